#pragma once

#include <QCoreApplication>
#include <QString>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "audio/MAudioOutputFactory.h"
#include "audio/MCdgPlayer.h"
#include "base/MMessageReporter.h"
#include "platform/MPulseProbe.h"

class MQtAudioOutput;

// The messages a player showed.
class MessageLog : public MMessageReporter {
public:
    bool Report(const MStatus& message, const QString& checkBoxText) override;
    std::vector<MStatus> Messages();

private:
    std::mutex mutex_;
    std::vector<MStatus> messages_;
};

// WAV files for the player.
class PlayerFixtures {
public:
    // A 44,100 Hz WAV of a 440 Hz tone; frames sample frames long.
    static bool WriteToneWav(const QString& path, int64_t frames, int bits = 16, int channels = 2);
    static int64_t NowUsecs();
    // Polls done until it holds or timeoutMs have passed; returns whether it held.
    template <typename Done>
    static bool WaitFor(Done done, int timeoutMs) {
        const int64_t end = NowUsecs() + timeoutMs * 1000LL;
        while (!done()) {
            if (NowUsecs() > end) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    // The same on a thread with an event loop, which runs meanwhile.
    template <typename Done>
    static bool RunEventsUntil(Done done, int timeoutMs) {
        const int64_t end = NowUsecs() + timeoutMs * 1000LL;
        while (!done()) {
            if (NowUsecs() > end) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }
};

// A null sink of our own on the PulseAudio server, for as long as the object lives. It mixes
// no more than 50 ms ahead (norewinds), so that a new stream is heard at once; the server's
// default null sink may first play up to 2 s of silence it has mixed ahead.
class PulseSink {
public:
    explicit PulseSink(const QString& name);
    ~PulseSink();
    bool Loaded() const { return module_ >= 0; }
    QString Description() const { return QStringLiteral("Quilm-test-%1").arg(name_); }
    // The device number of this program's test sink among the outputs' devices (loaded on
    // first use, unloaded when the tests end); -1, the default device, when there is none.
    static int TestDeviceNumber(MAudioOutputFactory& outputs);
    // The server's default sink.
    static QString DefaultSink();

private:
    QString name_;
    int module_ = -1;
};

// Notices when the machine stops our threads (a loaded or CPU-capped machine can hold every
// thread, the sound server's too, for a tenth of a second): a thread that sleeps 2 ms at a time
// records every gap of more than 10 ms.
class StallWatch {
public:
    StallWatch();
    ~StallWatch();
    // Whether a gap overlapped the span of sinceUsecs before atUsecs.
    bool StalledBefore(int64_t atUsecs, int64_t sinceUsecs);
    int Stalls();
    int64_t LongestStallUsecs();

private:
    std::mutex mutex_;
    std::vector<std::pair<int64_t, int64_t>> gaps_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// What PulseAudio says has been heard of the player's output, read together with the player's
// position.
class HeardProbe {
public:
    struct Sample {
        int64_t atUsecs = 0;
        uint32_t position = 0;
        // Bytes of the output heard at atUsecs by the server's account: what it was handed,
        // less what its stream buffer and its sink still hold.
        int64_t heardBytes = 0;
        // atUsecs less the time of the heard audio: constant while the sound plays on.
        int64_t lagUsecs = 0;
    };

    bool Connect();
    // One sample, or none when the output was handed audio just before or during the question
    // (the server's figure would leave that audio out).
    std::optional<Sample> Take(MCdgPlayer& player, MQtAudioOutput& output);
    QString SinkOf(MQtAudioOutput& output);
    // The lag of the first of a few samples that gets an answer (none when none does).
    std::optional<int64_t> LagUsecs(MCdgPlayer& player, MQtAudioOutput& output);
    // When the sound heard at atUsecs (in the run's own time) played: lagBefore and lagAfter
    // are lags taken just before and just after it, and must agree (the sound did not stand
    // still a moment in between, as it may on a loaded machine).
    static std::optional<int64_t> HeardAt(int64_t atUsecs, std::optional<int64_t> lagBefore,
                                          std::optional<int64_t> lagAfter);

private:
    MPulseProbe probe_;
};
