#pragma once

#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/MPlayerContext.h"
#include "audio/WaveFormat.h"
#include "base/MEvent.h"

class MAudioOutput;
class MRwPlayer;
class MRwRenderer;
class MTempoChanger;
class MWaveReader;
class QThread;

// Plays the work WAV and, when asked, drives an MRwPlayer so that the CD+G graphics follow what
// is heard. It keeps the song position in sample frames (counted in frames of the unchanged
// song, whatever the tempo, and following what has been played, not what has been read) and a
// remaining-time text, and can change the tempo through SoundTouch.
//
// A run has two threads. The reader reads the WAV block by block and queues the blocks on the
// sound output, never more than about one block ahead of what has been played. The monitor
// starts the output and the graphics, follows the output's play position every 10 ms and stops
// the run at the end frame. The run ends by Stop from the owner, at the end of the file or at
// the end frame; Stop then calls the finished callback once, on the thread that stopped.
//
// There is one player for the whole program (CreatePlayer, CurrentPlayer, DestroyPlayer).
class MCdgPlayer {
public:
    // Called by Stop with (0, user value).
    using FinishedCallback = std::function<void(int, void*)>;

    static constexpr int kStopped = 0;
    static constexpr int kPlaying = 2;
    static constexpr int kFlagAudio = 1;
    static constexpr int kFlagGraphics = 2;
    static constexpr uint32_t kToTheEnd = 0xFFFFFFFF;
    // 13 CD sectors of audio, about 0.17 s, cut to whole frames.
    static constexpr uint32_t kBlockBytes = 30576;
    static constexpr int kRingBlocks = 16;

    // Destroys the current player, if any, and makes a new one.
    static MCdgPlayer* CreatePlayer(const MPlayerContext& context, MRwRenderer* renderer);
    // The current player; none before the first creation.
    static MCdgPlayer* CurrentPlayer();
    static void DestroyPlayer();

    MCdgPlayer(const MPlayerContext& context, MRwRenderer* renderer);
    // Stops and closes. Must not be called from the finished callback.
    virtual ~MCdgPlayer();
    MCdgPlayer(const MCdgPlayer&) = delete;
    MCdgPlayer& operator=(const MCdgPlayer&) = delete;

    // --- Set by the owner -----------------------------------------------------------------
    void SetRenderer(MRwRenderer* renderer);
    // Index of the sound device in the output factory's list (0, the system's default, unless
    // set); a number past the list selects the default device.
    void SetOutputDeviceNumber(int number) { deviceNumber_ = number; }
    // The WAV to play and the CD+G stream to show (none for audio only), set between runs; the
    // stream is not owned and must outlive playing.
    void SetSource(const QString& path, const uint8_t* stream, uint32_t streamBytes);
    // Silence played before the file's data (the lead-in of the song's stream).
    void SetLeadingSilenceFrames(int32_t frames) { leadingSilenceFrames_ = frames; }
    // Length of the song for the remaining-time text; Play with audio replaces it with the
    // length of the leading silence and the file.
    void SetTotalFrames(uint32_t frames) { totalFrames_ = frames; }
    uint32_t TotalFrames() const { return totalFrames_.load(); }
    // Tempo change in percent (0 unchanged, -20 is 20 % slower, from -95 to +500), before Play
    // or during playback.
    void SetTempoChange(int percent);
    int TempoChange() const { return tempoChange_.load(); }
    // Set when playback stops; not owned, may be null.
    void SetStopEvent(MEvent* event) { stopEvent_ = event; }

    // --- Playing ----------------------------------------------------------------------------
    // Creates the graphics player on the renderer if there is none and gives it the stream and
    // the position as its position source.
    void PrepareGraphics();
    // Starts a run: flags kFlagAudio and kFlagGraphics; from startFrame to endFrame (kToTheEnd:
    // the end of the file). False, with nothing started, when the sound device cannot be set up
    // (the user has been warned through the context's reporter). A run in progress is stopped
    // first.
    bool Play(int flags, int32_t startFrame, uint32_t endFrame, FinishedCallback callback = {},
              void* userValue = nullptr);
    // Stops the run and waits for its threads; calls the finished callback. Does nothing when
    // stopped. May be called from the finished callback.
    void Stop();
    // Releases SoundTouch, the sound output and the graphics player (stopping first).
    void Close();

    bool IsPlaying() const { return state_.load() == kPlaying; }
    int State() const { return state_.load(); }
    // The song position in sample frames, as the monitor last brought it up to date (every few
    // milliseconds while playing).
    uint32_t Position() const { return position_.load(); }
    // The song position heard at this moment: Position() carried forward by what the output has
    // played since the monitor's last update. For the moment of a key press.
    uint32_t HeardPosition();
    // "mm:ss" of the time left to the total length; "00:00" after the end.
    QString RemainingTimeText() const;

    // --- For diagnostics and tests ------------------------------------------------------------
    struct Progress {
        uint32_t position = 0;
        // Output bytes heard when the position was last updated.
        int64_t playedBytes = 0;
    };
    // The position with the output bytes it was computed from, read together.
    Progress CurrentProgress() const;
    // Bytes of the file (silence included) dropped before the start frame in the last run.
    int64_t PrerollBytes() const { return prerollBytes_.load(); }
    uint32_t BlockBytes() const { return blockBytes_; }
    const WaveFormat& Format() const { return format_; }
    MRwPlayer* GraphicsPlayer() const;
    MAudioOutput* Output() const { return output_.get(); }

    // "mm:ss" of a number of frames at the given rate.
    static QString TimeText(uint32_t frames, uint32_t sampleRate);
    // The sound device an output device number selects among names: the first whose name, cut
    // to 31 characters, equals that of the device with the number; -1 for the default device.
    static int ChooseDevice(const QStringList& names, int number);

private:
    bool SetUpOutput();
    void ReadFormat();
    void PrepareGraphicsLocked();
    void ReaderMain();
    void MonitorMain();
    // Reads (and with a tempo change, stretches) the next block; returns its bytes and sets
    // *ended once nothing more will come.
    int64_t NextBlock(MWaveReader& wav, std::vector<uint8_t>& block, bool* ended);
    // Follows the output's play position; false once the end frame is reached.
    bool UpdatePosition();
    void RefreshTimeText();
    // Waits up to ms milliseconds for the run to stop; true while it is still playing.
    bool WaitWhilePlaying(int ms);
    // Stops any run, then takes the control lock once no run is playing or being stopped.
    std::unique_lock<std::recursive_mutex> LockStopped();
    // Waits until no other thread is stopping a run.
    void WaitForOtherStops();
    // No run is playing, and no other thread is stopping one.
    bool StoppedForGood();
    void JoinThreads();

    MPlayerContext context_;
    MRwRenderer* renderer_ = nullptr;
    int deviceNumber_ = 0;
    QString path_;
    const uint8_t* stream_ = nullptr;
    uint32_t streamBytes_ = 0;
    int32_t leadingSilenceFrames_ = 0;
    std::atomic<uint32_t> totalFrames_{0};
    std::atomic<int> tempoChange_{0};
    std::atomic<MEvent*> stopEvent_{nullptr};

    // Play, Close and the owner's setters one at a time. Stop does not take it: the thread that
    // wins the change of state to stopped does the stopping (and runs the callback, which may
    // call Play, Stop and Close again), and other threads that ask to stop wait for it, except
    // the run's own threads, which only need to see the run end.
    std::recursive_mutex controlMutex_;
    std::mutex stopMutex_;
    std::condition_variable stopDone_;
    std::vector<QThread*> stoppers_;
    std::atomic<int> state_{kStopped};
    int flags_ = 0;
    int32_t startFrame_ = 0;
    uint32_t endFrame_ = kToTheEnd;
    FinishedCallback callback_;
    void* userValue_ = nullptr;

    mutable std::mutex progressMutex_;
    std::atomic<uint32_t> position_{0};
    std::atomic<int64_t> playedBytes_{0};
    int64_t positionRemainder_ = 0;
    mutable std::mutex textMutex_;
    QString timeText_ = QStringLiteral("00:00");

    // Guards every call on the sound output.
    mutable std::mutex outputMutex_;
    std::unique_ptr<MAudioOutput> output_;
    WaveFormat format_;
    int bytesPerFrame_ = 4;
    uint32_t blockBytes_ = kBlockBytes;
    uint32_t ringBytes_ = kBlockBytes * kRingBlocks;
    uint32_t writeCursor_ = 0;
    std::atomic<int64_t> bytesWritten_{0};
    std::atomic<int64_t> writeLimit_{0};
    int64_t blocksPlayed_ = 0;
    std::atomic<int64_t> prerollBytes_{0};
    std::unique_ptr<MTempoChanger> tempo_;
    bool tempoUsed_ = false;
    bool endOfInput_ = false;
    int64_t clockStartUsecs_ = 0;

    // Guards starting and stopping the graphics player.
    mutable std::mutex graphicsMutex_;
    std::unique_ptr<MRwPlayer> graphics_;

    // Hand-shakes between the threads.
    MEvent endOfData_;
    MEvent readerFinished_;
    MEvent monitorFinished_;
    MEvent prerollDone_;
    std::mutex wakeMutex_;
    std::condition_variable wake_;

    std::mutex threadsMutex_;
    std::vector<std::unique_ptr<QThread>> threads_;
};
