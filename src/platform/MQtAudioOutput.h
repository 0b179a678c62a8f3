#pragma once

#include <QAudioDevice>
#include <QByteArray>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "audio/MAudioOutput.h"
#include "platform/MPlayedClock.h"
#include "platform/MPulseProbe.h"

class QAudioSink;
class QIODevice;
class QObject;
class QThread;
class QTimer;

// Plays through Qt Multimedia (PulseAudio on Linux). The QAudioSink lives on a thread of its
// own with an event loop, where a 5 ms timer moves the queued audio into the sink as it has room.
//
// What has been heard is not what QAudioSink::processedUSecs says: on PulseAudio it is the
// server's read position less an average of past sink latencies, which runs up to tens of
// milliseconds ahead of the sound or behind it, and at the start of a stream (while the sink
// still plays the silence it had mixed ahead) by more than a second. We ask the server
// ourselves how much of our stream it has not yet played (the stream's buffer and the sink's
// latency) and follow the sound with MPlayedClock. Without an answer from the server, the
// sink's own figure is used.
class MQtAudioOutput : public MAudioOutput {
public:
    explicit MQtAudioOutput(const QAudioDevice& device);
    ~MQtAudioOutput() override;

    MStatus Open(const WaveFormat& format, int64_t queueBytes) override;
    void Close() override;
    int64_t Write(const uint8_t* data, int64_t bytes) override;
    void Start() override;
    void Drain() override;
    void Stop() override;
    int64_t PlayedBytes() override;
    int64_t DeviceBytes() const override { return deviceBytes_.load(); }

    // The PulseAudio sink input of the open stream, when the server told us.
    std::optional<uint32_t> SinkInputIndex() const;
    // What the sink itself reports as played (microseconds), for comparison.
    int64_t SinkProcessedUsecs();

    // Audio the sink holds (PulseAudio's target length): enough to ride out a busy moment of
    // the machine, short enough to stop at once.
    static constexpr int kSinkBufferMs = 200;

private:
    void StartThread();
    void StopSink();
    // Runs fn on the sink's thread and waits for it.
    void RunOnSinkThread(const std::function<void()>& fn);
    // On the sink's thread: hands queued audio to the sink as far as it has room.
    void Feed();
    void FindSinkInput();
    static int64_t NowUsecs();

    QAudioDevice device_;
    std::unique_ptr<QThread> thread_;
    QObject* context_ = nullptr;  // lives on thread_
    // Owned by the sink's thread.
    QAudioSink* sink_ = nullptr;
    QIODevice* sinkDevice_ = nullptr;
    QTimer* timer_ = nullptr;

    WaveFormat format_;
    int bytesPerFrame_ = 4;

    std::mutex queueMutex_;
    std::vector<uint8_t> queue_;
    size_t queueHead_ = 0;
    size_t queued_ = 0;

    std::atomic<bool> open_{false};
    std::atomic<bool> feeding_{false};
    std::atomic<int64_t> deviceBytes_{0};
    std::atomic<int64_t> lastWriteUsecs_{0};

    mutable std::mutex clockMutex_;
    MPulseProbe probe_;
    bool probeTried_ = false;
    std::optional<uint32_t> sinkInput_;
    std::unique_ptr<MPlayedClock> clock_;
    int64_t lastReportUsecs_ = 0;
};
