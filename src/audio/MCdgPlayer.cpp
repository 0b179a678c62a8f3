#include "audio/MCdgPlayer.h"

#include <QThread>
#include <algorithm>
#include <chrono>

#include "audio/MAudioOutput.h"
#include "audio/MAudioOutputFactory.h"
#include "audio/MAudioSettings.h"
#include "audio/MTempoChanger.h"
#include "audio/MWaveReader.h"
#include "audio/WavInFile.h"
#include "base/MMessageReporter.h"
#include "cdg/MRwPlayer.h"

namespace {

constexpr int kPollMs = 10;
// The monitor follows the output more often than the reader polls: the position it publishes is
// at most this old, which leaves room within 15 ms of the sound for a busy machine.
constexpr int kMonitorPollMs = 5;
constexpr int kMinTempoChange = -95;
constexpr int kMaxTempoChange = 500;
// The reader gives up waiting for the last audio to be heard once the output has not moved
// for this long.
constexpr int kStalledOutputMs = 2000;
constexpr int kDeviceNameChars = 31;

// The player whose run the current thread belongs to (reader or monitor).
thread_local const MCdgPlayer* tRunPlayer = nullptr;

std::mutex& PlayerMutex() {
    static std::mutex mutex;
    return mutex;
}

std::unique_ptr<MCdgPlayer>& ThePlayer() {
    static std::unique_ptr<MCdgPlayer> player;
    return player;
}

int64_t NowUsecs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

// --- The one player ---------------------------------------------------------------------------

MCdgPlayer* MCdgPlayer::CreatePlayer(const MPlayerContext& context, MRwRenderer* renderer) {
    DestroyPlayer();
    auto player = std::make_unique<MCdgPlayer>(context, renderer);
    std::lock_guard<std::mutex> lock(PlayerMutex());
    ThePlayer() = std::move(player);
    return ThePlayer().get();
}

MCdgPlayer* MCdgPlayer::CurrentPlayer() {
    std::lock_guard<std::mutex> lock(PlayerMutex());
    return ThePlayer().get();
}

void MCdgPlayer::DestroyPlayer() {
    std::unique_ptr<MCdgPlayer> player;
    {
        std::lock_guard<std::mutex> lock(PlayerMutex());
        player = std::move(ThePlayer());
    }
    // Destroyed outside the lock: stopping runs the finished callback, which may ask for the
    // current player (there is none by then).
    player.reset();
}

// --- Set-up -------------------------------------------------------------------------------------

MCdgPlayer::MCdgPlayer(const MPlayerContext& context, MRwRenderer* renderer)
    : context_(context), renderer_(renderer) {}

MCdgPlayer::~MCdgPlayer() {
    Close();
    JoinThreads();
}

void MCdgPlayer::SetRenderer(MRwRenderer* renderer) {
    std::lock_guard<std::recursive_mutex> control(controlMutex_);
    std::lock_guard<std::mutex> lock(graphicsMutex_);
    if (renderer != renderer_) {
        graphics_.reset();
        renderer_ = renderer;
    }
}

void MCdgPlayer::SetSource(const QString& path, const uint8_t* stream, uint32_t streamBytes) {
    std::lock_guard<std::recursive_mutex> control(controlMutex_);
    path_ = path;
    stream_ = stream;
    streamBytes_ = stream != nullptr ? streamBytes : 0;
}

void MCdgPlayer::SetTempoChange(int percent) {
    tempoChange_ = std::clamp(percent, kMinTempoChange, kMaxTempoChange);
}

MRwPlayer* MCdgPlayer::GraphicsPlayer() const {
    std::lock_guard<std::mutex> lock(graphicsMutex_);
    return graphics_.get();
}

void MCdgPlayer::PrepareGraphics() {
    std::lock_guard<std::recursive_mutex> control(controlMutex_);
    PrepareGraphicsLocked();
}

void MCdgPlayer::PrepareGraphicsLocked() {
    std::lock_guard<std::mutex> lock(graphicsMutex_);
    if (renderer_ == nullptr) {
        return;
    }
    if (!graphics_) {
        graphics_ = std::make_unique<MRwPlayer>(renderer_);
    }
    if (!graphics_->IsPlaying()) {
        graphics_->SetStream(stream_, streamBytes_);
        graphics_->SetPositionSource([this] { return position_.load(); });
        if (context_.settings != nullptr) {
            graphics_->SetThreadPriority(MAudioSettings(context_.settings).CdgDisplayPriority());
        }
    }
}

int MCdgPlayer::ChooseDevice(const QStringList& names, int number) {
    const QString wanted =
        number >= 0 && number < names.size() ? names[number] : QStringLiteral("Default");
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].left(kDeviceNameChars) == wanted.left(kDeviceNameChars)) {
            return i;
        }
    }
    return -1;
}

void MCdgPlayer::ReadFormat() {
    // 16-bit stereo at 44,100 Hz when there is no file to tell.
    format_ = WaveFormat::Pcm(44100, 16, 2);
    uint32_t dataBytes = 0;
    if (!path_.isEmpty()) {
        WavInFile wav(path_);
        if (wav.HeadersOk() && wav.SampleRate() > 0 && wav.Channels() > 0 &&
            (wav.BitsPerSample() == 8 || wav.BitsPerSample() == 16)) {
            format_ = WaveFormat::Pcm(wav.SampleRate(), wav.BitsPerSample(), wav.Channels());
            dataBytes = wav.DataSizeBytes();
        }
    }
    bytesPerFrame_ = format_.blockAlign;
    blockBytes_ = kBlockBytes - kBlockBytes % static_cast<uint32_t>(bytesPerFrame_);
    ringBytes_ = blockBytes_ * kRingBlocks;
    const int64_t frames = static_cast<int64_t>(dataBytes) / bytesPerFrame_ +
                           std::max<int32_t>(0, leadingSilenceFrames_);
    totalFrames_ = static_cast<uint32_t>(std::min<int64_t>(frames, UINT32_MAX));
}

bool MCdgPlayer::SetUpOutput() {
    std::lock_guard<std::mutex> lock(outputMutex_);
    output_.reset();
    auto noDevice = [this] {
        if (context_.reporter != nullptr) {
            context_.reporter->Report(
                MStatus::Failure(
                    QStringLiteral("An audio sound card is not installed in this computer.\nYou "
                                   "will not be able to hear the audio when you play Karaoke CDG "
                                   "or Audio CD files."),
                    MStatus::Icon::Warning, QStringLiteral("Sound Device Not Detected")),
                QString());
        }
        output_.reset();
        return false;
    };
    if (context_.outputs == nullptr) {
        return noDevice();
    }
    const int device = ChooseDevice(context_.outputs->DeviceNames(), deviceNumber_);
    if (!tempo_) {
        tempo_ = std::make_unique<MTempoChanger>();
    }
    tempo_->Configure(format_, tempoChange_.load());
    output_ = context_.outputs->CreateOutput(device);
    if (!output_ || !output_->Open(format_, ringBytes_)) {
        return noDevice();
    }
    return true;
}

// --- Running --------------------------------------------------------------------------------

bool MCdgPlayer::Play(int flags, int32_t startFrame, uint32_t endFrame, FinishedCallback callback,
                      void* userValue) {
    std::unique_lock<std::recursive_mutex> control = LockStopped();
    JoinThreads();
    callback_ = std::move(callback);
    userValue_ = userValue;
    flags_ = flags;
    endOfData_.Reset();
    startFrame_ = std::max<int32_t>(0, startFrame);
    endFrame_ = endFrame;
    position_ = 0;
    playedBytes_ = 0;
    positionRemainder_ = 0;
    prerollBytes_ = 0;
    ReadFormat();
    if ((flags & kFlagGraphics) != 0) {
        PrepareGraphicsLocked();
    }
    if ((flags & kFlagAudio) != 0) {
        if (!SetUpOutput()) {
            return false;
        }
    } else {
        std::lock_guard<std::mutex> lock(outputMutex_);
        output_.reset();
        if (!tempo_) {
            tempo_ = std::make_unique<MTempoChanger>();
        }
        tempo_->Configure(format_, tempoChange_.load());
    }
    tempoUsed_ = false;
    RefreshTimeText();
    writeCursor_ = 0;
    bytesWritten_ = 0;
    blocksPlayed_ = 0;
    writeLimit_ = blockBytes_;
    readerFinished_.Reset();
    monitorFinished_.Reset();
    prerollDone_.Reset();
    state_ = kPlaying;

    const MAudioSettings stored(context_.settings);
    std::lock_guard<std::mutex> lock(threadsMutex_);
    threads_.emplace_back(QThread::create([this] {
        tRunPlayer = this;
        ReaderMain();
    }));
    // Named so that a look at the process's threads tells the audio from the rest.
    threads_.back()->setObjectName(QStringLiteral("Quilm audio reader"));
    threads_.back()->start(MRwPlayer::QtPriority(stored.CdgDisplayPriority()));
    threads_.emplace_back(QThread::create([this] {
        tRunPlayer = this;
        MonitorMain();
    }));
    threads_.back()->setObjectName(QStringLiteral("Quilm position"));
    threads_.back()->start(MRwPlayer::QtPriority(stored.CdgReadPriority()));
    return true;
}

void MCdgPlayer::Stop() {
    QThread* self = QThread::currentThread();
    bool mine = false;
    {
        // Whoever sees the state stopped also sees who is stopping it.
        std::lock_guard<std::mutex> lock(stopMutex_);
        int expected = kPlaying;
        mine = state_.compare_exchange_strong(expected, kStopped);
        if (mine) {
            stoppers_.push_back(self);
        }
    }
    if (!mine) {
        // Stopped, or being stopped by another thread: the owner waits for that to finish, the
        // run's own threads only need to see it.
        if (tRunPlayer != this) {
            WaitForOtherStops();
        }
        return;
    }
    { std::lock_guard<std::mutex> lock(wakeMutex_); }
    wake_.notify_all();
    {
        std::lock_guard<std::mutex> lock(graphicsMutex_);
        if (graphics_) {
            graphics_->Stop();
        }
    }
    {
        std::lock_guard<std::mutex> lock(outputMutex_);
        if (output_) {
            output_->Stop();
        }
    }
    endOfData_.Set();
    if (MEvent* event = stopEvent_.load()) {
        event->Set();
    }
    readerFinished_.Wait();
    monitorFinished_.Wait();
    readerFinished_.Reset();
    monitorFinished_.Reset();
    JoinThreads();
    const FinishedCallback callback = callback_;
    void* const userValue = userValue_;
    if (callback) {
        callback(0, userValue);
    }
    {
        std::lock_guard<std::mutex> lock(stopMutex_);
        stoppers_.erase(std::find(stoppers_.begin(), stoppers_.end(), self));
    }
    stopDone_.notify_all();
}

std::unique_lock<std::recursive_mutex> MCdgPlayer::LockStopped() {
    std::unique_lock<std::recursive_mutex> control(controlMutex_, std::defer_lock);
    for (;;) {
        // Not holding the lock while stopping: the finished callback may call Play or Close.
        Stop();
        control.lock();
        if (StoppedForGood()) {
            return control;
        }
        control.unlock();  // a run was started or is being stopped meanwhile
    }
}

bool MCdgPlayer::StoppedForGood() {
    QThread* self = QThread::currentThread();
    std::lock_guard<std::mutex> lock(stopMutex_);
    return state_.load() == kStopped && std::none_of(stoppers_.begin(), stoppers_.end(),
                                                     [self](QThread* t) { return t != self; });
}

void MCdgPlayer::WaitForOtherStops() {
    QThread* self = QThread::currentThread();
    std::unique_lock<std::mutex> lock(stopMutex_);
    stopDone_.wait(lock, [this, self] {
        return std::none_of(stoppers_.begin(), stoppers_.end(),
                            [self](QThread* t) { return t != self; });
    });
}

void MCdgPlayer::Close() {
    std::unique_lock<std::recursive_mutex> control = LockStopped();
    {
        std::lock_guard<std::mutex> lock(outputMutex_);
        output_.reset();
    }
    tempo_.reset();
    std::lock_guard<std::mutex> lock(graphicsMutex_);
    graphics_.reset();
}

void MCdgPlayer::JoinThreads() {
    // A thread that stops the run itself (and runs the finished callback) cannot wait for
    // itself; a later call waits for it.
    QThread* self = QThread::currentThread();
    std::vector<std::unique_ptr<QThread>> done;
    {
        std::lock_guard<std::mutex> lock(threadsMutex_);
        for (auto it = threads_.begin(); it != threads_.end();) {
            if (it->get() == self) {
                ++it;
            } else {
                done.push_back(std::move(*it));
                it = threads_.erase(it);
            }
        }
    }
    for (const auto& thread : done) {
        thread->wait();
    }
}

bool MCdgPlayer::WaitWhilePlaying(int ms) {
    std::unique_lock<std::mutex> lock(wakeMutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(ms),
                   [this] { return state_.load() != kPlaying; });
    return state_.load() == kPlaying;
}

MCdgPlayer::Progress MCdgPlayer::CurrentProgress() const {
    std::lock_guard<std::mutex> lock(progressMutex_);
    return Progress{position_.load(), playedBytes_.load()};
}

QString MCdgPlayer::TimeText(uint32_t frames, uint32_t sampleRate) {
    const uint32_t seconds = frames / std::max<uint32_t>(1, sampleRate);
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString MCdgPlayer::RemainingTimeText() const {
    std::lock_guard<std::mutex> lock(textMutex_);
    return timeText_;
}

void MCdgPlayer::RefreshTimeText() {
    const uint32_t total = totalFrames_.load();
    const uint32_t position = position_.load();
    const QString text = TimeText(position < total ? total - position : 0, format_.sampleRate);
    std::lock_guard<std::mutex> lock(textMutex_);
    timeText_ = text;
}

// --- The reader thread --------------------------------------------------------------------------

int64_t MCdgPlayer::NextBlock(MWaveReader& wav, std::vector<uint8_t>& block, bool* ended) {
    const int tempo = tempoChange_.load();
    // Whole frames only: an output never takes part of one, so a data block that ends inside a
    // frame (a damaged file) would otherwise be offered to it for ever.
    const auto readFrames = [&]() {
        const int64_t n = std::max<int64_t>(0, wav.Read(block.data(), blockBytes_));
        return n - n % bytesPerFrame_;
    };
    if (tempo == 0 && !tempoUsed_) {
        const int64_t n = readFrames();
        *ended = n < blockBytes_;
        return n;
    }
    if (tempo != tempo_->TempoChange()) {
        tempo_->SetTempoChange(tempo);
    }
    tempoUsed_ = true;
    // More of the file goes in only while less than a block is ready, so that a slower tempo
    // does not pile up stretched audio inside SoundTouch.
    const int64_t blockFrames = blockBytes_ / bytesPerFrame_;
    while (!endOfInput_ && tempo_->ReadyFrames() < blockFrames) {
        const int64_t n = readFrames();
        tempo_->Put(block.data(), n);
        if (n < blockBytes_) {
            endOfInput_ = true;
            // Lets the last samples through instead of leaving them inside SoundTouch.
            tempo_->Flush();
        }
    }
    const int64_t n = tempo_->Receive(block.data(), blockBytes_);
    *ended = endOfInput_ && n == 0;
    return n;
}

void MCdgPlayer::ReaderMain() {
    MWaveReader wav;
    wav.SetLeadingSilenceFrames(static_cast<uint32_t>(std::max<int32_t>(0, leadingSilenceFrames_)));
    if (!wav.Open(path_)) {
        // Nothing is heard; the owner stops the run.
        prerollDone_.Set();
        readerFinished_.Set();
        return;
    }
    std::vector<uint8_t> block(blockBytes_);

    // Pre-roll: drop whole blocks up to about one block before the start.
    const int64_t target = static_cast<int64_t>(startFrame_) * bytesPerFrame_ - blockBytes_;
    int64_t passed = 0;
    while (passed < target && state_.load() == kPlaying) {
        const int64_t n = wav.Read(block.data(), blockBytes_);
        if (n <= 0) {
            break;
        }
        passed += n;
    }
    prerollBytes_ = passed;
    {
        std::lock_guard<std::mutex> lock(progressMutex_);
        position_ = static_cast<uint32_t>(std::min<int64_t>(passed / bytesPerFrame_, UINT32_MAX));
    }
    prerollDone_.Set();

    endOfInput_ = false;
    bool ended = false;
    while (state_.load() == kPlaying && !ended) {
        while (bytesWritten_.load() > writeLimit_.load() && WaitWhilePlaying(kPollMs)) {
        }
        if (state_.load() != kPlaying) {
            break;
        }
        const int64_t n = NextBlock(wav, block, &ended);
        int64_t copied = 0;
        if ((flags_ & kFlagAudio) == 0) {
            copied = n;  // nothing to hear: the monitor's clock plays it
        }
        while (copied < n && state_.load() == kPlaying) {
            int64_t taken = 0;
            {
                std::lock_guard<std::mutex> lock(outputMutex_);
                if (output_) {
                    taken = output_->Write(block.data() + copied, n - copied);
                }
            }
            copied += taken;
            if (taken == 0 && !WaitWhilePlaying(kPollMs)) {
                break;
            }
        }
        writeCursor_ = static_cast<uint32_t>((writeCursor_ + copied) % ringBytes_);
        bytesWritten_ += copied;
    }
    if (!ended || state_.load() != kPlaying) {
        readerFinished_.Set();
        return;
    }
    // The end of the file: the run ends once what was queued has been heard.
    endOfData_.Set();
    {
        std::lock_guard<std::mutex> lock(outputMutex_);
        if (output_) {
            output_->Drain();
        }
    }
    int64_t lastPlayed = -1;
    auto lastMove = std::chrono::steady_clock::now();
    while (state_.load() == kPlaying && playedBytes_.load() < bytesWritten_.load()) {
        const int64_t played = playedBytes_.load();
        if (played != lastPlayed) {
            lastPlayed = played;
            lastMove = std::chrono::steady_clock::now();
        } else if (std::chrono::steady_clock::now() - lastMove >
                   std::chrono::milliseconds(kStalledOutputMs)) {
            break;
        }
        WaitWhilePlaying(kPollMs);
    }
    readerFinished_.Set();
    Stop();
}

// --- The monitor thread -------------------------------------------------------------------------

bool MCdgPlayer::UpdatePosition() {
    int64_t played = 0;
    if ((flags_ & kFlagAudio) != 0) {
        std::lock_guard<std::mutex> lock(outputMutex_);
        // Not counting the silence an output may play after the end.
        played = output_ ? std::min(output_->PlayedBytes(), bytesWritten_.load()) : 0;
    } else {
        // Without sound the queued blocks play on the clock.
        const int64_t usecs = NowUsecs() - clockStartUsecs_;
        played = std::min(usecs * format_.byteRate / 1000000 / bytesPerFrame_ * bytesPerFrame_,
                          bytesWritten_.load());
    }
    const int64_t delta = played - playedBytes_.load();
    if (delta > 0) {
        // One more block may be written for every block played.
        const int64_t blocks = played / blockBytes_;
        if (blocks > blocksPlayed_) {
            writeLimit_ += (blocks - blocksPlayed_) * blockBytes_;
            blocksPlayed_ = blocks;
        }
        // Frames of the unchanged song: with a tempo change, each frame heard stands for
        // (100 + change) / 100 frames of the file. The remainder is carried, so that no frame
        // is lost on the way.
        const int64_t scaled =
            delta / bytesPerFrame_ * (100 + tempoChange_.load()) + positionRemainder_;
        std::lock_guard<std::mutex> lock(progressMutex_);
        position_ = static_cast<uint32_t>(
            std::min<int64_t>(static_cast<int64_t>(position_.load()) + scaled / 100, UINT32_MAX));
        positionRemainder_ = scaled % 100;
        playedBytes_ = played;
    }
    return position_.load() < endFrame_;
}

void MCdgPlayer::MonitorMain() {
    while (!prerollDone_.IsSet() && WaitWhilePlaying(kPollMs)) {
    }
    if ((flags_ & kFlagGraphics) != 0) {
        std::lock_guard<std::mutex> lock(graphicsMutex_);
        if (graphics_ && state_.load() == kPlaying) {
            graphics_->Start(true, static_cast<uint32_t>(startFrame_));
        }
    }
    while (bytesWritten_.load() == 0 && WaitWhilePlaying(kPollMs)) {
    }
    if (state_.load() == kPlaying) {
        RefreshTimeText();
        clockStartUsecs_ = NowUsecs();
        std::lock_guard<std::mutex> lock(outputMutex_);
        if (output_ && (flags_ & kFlagAudio) != 0) {
            output_->Start();
        }
    }
    while (WaitWhilePlaying(kMonitorPollMs)) {
        if (!UpdatePosition()) {
            RefreshTimeText();
            monitorFinished_.Set();
            Stop();
            return;
        }
        RefreshTimeText();
    }
    {
        std::lock_guard<std::mutex> lock(progressMutex_);
        position_ = totalFrames_.load();
    }
    {
        std::lock_guard<std::mutex> lock(textMutex_);
        timeText_ = QStringLiteral("00:00");
    }
    monitorFinished_.Set();
}
