#pragma once

#include <QString>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

struct pa_mainloop;
struct pa_context;
struct pa_operation;

// A connection of our own to the PulseAudio server (the one Qt Multimedia plays through) for
// asking about playback streams: which sink they play on and how much of what they were given is
// not yet heard. Calls block for one round trip to the server; they may come from any thread.
class MPulseProbe {
public:
    struct SinkInput {
        uint32_t index = 0;
        uint32_t sink = 0;
        QString name;
        int64_t processId = -1;
        // Audio the stream holds that the sink has not taken yet, and the sink's own latency.
        int64_t bufferUsecs = 0;
        int64_t sinkUsecs = 0;
        bool corked = false;
    };

    MPulseProbe();
    virtual ~MPulseProbe();
    MPulseProbe(const MPulseProbe&) = delete;
    MPulseProbe& operator=(const MPulseProbe&) = delete;

    // Connects to the default server; false when there is none (or it does not answer in time).
    bool Connect(int timeoutMs = 2000);
    bool IsConnected() const { return connected_; }

    std::vector<SinkInput> SinkInputs();
    std::optional<SinkInput> SinkInputInfo(uint32_t index);
    // The name of a sink ("null", ...), empty when unknown.
    QString SinkName(uint32_t sinkIndex);

private:
    void Disconnect();
    // Runs the main loop until done() or the deadline; false on timeout or a lost connection.
    template <typename Done>
    bool RunUntil(Done done, int timeoutMs);
    bool Finish(pa_operation* operation, const bool& done);

    std::mutex mutex_;
    pa_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    bool connected_ = false;
};
