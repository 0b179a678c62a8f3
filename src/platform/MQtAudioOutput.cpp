#include "platform/MQtAudioOutput.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QMetaObject>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstring>

#include <unistd.h>

namespace {

constexpr int kFeedIntervalMs = 5;
// Audio handed to the server within this time may still be on its way there, so a report of
// what the server holds would leave it out.
constexpr int64_t kInFlightUsecs = 1500;
constexpr int64_t kReportIntervalUsecs = 4000;
// A report that took longer than this to come back is not precise enough to use.
constexpr int64_t kSlowReportUsecs = 5000;

QAudioFormat QtFormat(const WaveFormat& format) {
    QAudioFormat f;
    f.setSampleRate(static_cast<int>(format.sampleRate));
    f.setChannelCount(format.channels);
    f.setSampleFormat(format.bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    return f;
}

}  // namespace

MQtAudioOutput::MQtAudioOutput(const QAudioDevice& device) : device_(device) {}

MQtAudioOutput::~MQtAudioOutput() {
    Close();
}

int64_t MQtAudioOutput::NowUsecs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void MQtAudioOutput::StartThread() {
    if (thread_) {
        return;
    }
    thread_ = std::make_unique<QThread>();
    thread_->setObjectName(QStringLiteral("Quilm audio output"));
    context_ = new QObject;
    context_->moveToThread(thread_.get());
    thread_->start(QThread::TimeCriticalPriority);
}

void MQtAudioOutput::RunOnSinkThread(const std::function<void()>& fn) {
    if (QThread::currentThread() == thread_.get()) {
        fn();
    } else {
        QMetaObject::invokeMethod(context_, fn, Qt::BlockingQueuedConnection);
    }
}

MStatus MQtAudioOutput::Open(const WaveFormat& format, int64_t queueBytes) {
    Close();
    if (device_.isNull()) {
        return MStatus::Failure(QStringLiteral("no sound device"));
    }
    if ((format.bitsPerSample != 8 && format.bitsPerSample != 16) || format.channels < 1 ||
        format.sampleRate == 0) {
        return MStatus::Failure(QStringLiteral("the sound device cannot play this format"));
    }
    format_ = format;
    bytesPerFrame_ = format.channels * format.bitsPerSample / 8;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queue_.assign(static_cast<size_t>(std::max<int64_t>(queueBytes, bytesPerFrame_)), 0);
        queueHead_ = 0;
        queued_ = 0;
    }
    deviceBytes_ = 0;
    lastWriteUsecs_ = 0;
    feeding_ = false;

    StartThread();
    QString failure;
    RunOnSinkThread([this, &failure] {
        const QAudioFormat qtFormat = QtFormat(format_);
        if (!device_.isFormatSupported(qtFormat)) {
            failure = QStringLiteral("the sound device cannot play this format");
            return;
        }
        sink_ = new QAudioSink(device_, qtFormat);
        sink_->setBufferSize(qtFormat.bytesForDuration(kSinkBufferMs * 1000));
        sinkDevice_ = sink_->start();
        if (sinkDevice_ == nullptr || sink_->error() == QAudio::OpenError ||
            sink_->error() == QAudio::FatalError) {
            failure = QStringLiteral("the sound device cannot be opened");
            delete sink_;
            sink_ = nullptr;
            sinkDevice_ = nullptr;
            return;
        }
        timer_ = new QTimer;
        timer_->setTimerType(Qt::PreciseTimer);
        timer_->setInterval(kFeedIntervalMs);
        QObject::connect(timer_, &QTimer::timeout, [this] { Feed(); });
        timer_->start();
    });
    if (!failure.isEmpty()) {
        Close();
        return MStatus::Failure(failure);
    }
    {
        std::lock_guard<std::mutex> lock(clockMutex_);
        clock_ = std::make_unique<MPlayedClock>(
            static_cast<int64_t>(format_.sampleRate) * bytesPerFrame_, bytesPerFrame_);
        lastReportUsecs_ = 0;
        if (!probeTried_) {
            probeTried_ = true;
            probe_.Connect();
        }
        FindSinkInput();
    }
    open_ = true;
    return MStatus::Ok();
}

void MQtAudioOutput::FindSinkInput() {
    sinkInput_.reset();
    if (!probe_.IsConnected()) {
        return;
    }
    // Our process plays one stream at a time; the newest of ours is the one just opened.
    const int64_t pid = ::getpid();
    for (const MPulseProbe::SinkInput& input : probe_.SinkInputs()) {
        if (input.processId == pid && (!sinkInput_ || input.index > *sinkInput_)) {
            sinkInput_ = input.index;
        }
    }
}

std::optional<uint32_t> MQtAudioOutput::SinkInputIndex() const {
    std::lock_guard<std::mutex> lock(clockMutex_);
    return sinkInput_;
}

void MQtAudioOutput::StopSink() {
    feeding_ = false;
    if (!thread_) {
        return;
    }
    RunOnSinkThread([this] {
        delete timer_;
        timer_ = nullptr;
        if (sink_ != nullptr) {
            sink_->stop();
            delete sink_;
            sink_ = nullptr;
            sinkDevice_ = nullptr;
        }
    });
    std::lock_guard<std::mutex> lock(queueMutex_);
    queueHead_ = 0;
    queued_ = 0;
}

void MQtAudioOutput::Close() {
    open_ = false;
    StopSink();
    if (thread_) {
        context_->deleteLater();  // deleted when the thread finishes
        context_ = nullptr;
        thread_->quit();
        thread_->wait();
        thread_.reset();
    }
    std::lock_guard<std::mutex> lock(clockMutex_);
    sinkInput_.reset();
}

int64_t MQtAudioOutput::Write(const uint8_t* data, int64_t bytes) {
    if (!open_ || data == nullptr || bytes <= 0) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(queueMutex_);
    const size_t capacity = queue_.size();
    size_t n = std::min(static_cast<size_t>(bytes), capacity - queued_);
    n -= n % static_cast<size_t>(bytesPerFrame_);
    size_t tail = (queueHead_ + queued_) % capacity;
    size_t done = 0;
    while (done < n) {
        const size_t piece = std::min(n - done, capacity - tail);
        std::memcpy(queue_.data() + tail, data + done, piece);
        done += piece;
        tail = (tail + piece) % capacity;
    }
    queued_ += n;
    return static_cast<int64_t>(n);
}

void MQtAudioOutput::Start() {
    if (open_) {
        feeding_ = true;
        QMetaObject::invokeMethod(
            context_, [this] { Feed(); }, Qt::QueuedConnection);
    }
}

void MQtAudioOutput::Drain() {
    // PulseAudio starts a stream only once it holds its target length; audio shorter than that
    // would wait for more forever. Silence behind the last of the audio pushes it through.
    const int64_t silenceBytes =
        static_cast<int64_t>(format_.sampleRate) * bytesPerFrame_ * kSinkBufferMs / 1000;
    std::vector<uint8_t> silence(static_cast<size_t>(silenceBytes),
                                 format_.bitsPerSample == 8 ? 0x80 : 0);
    Write(silence.data(), silenceBytes);
}

void MQtAudioOutput::Stop() {
    StopSink();
}

void MQtAudioOutput::Feed() {
    if (!feeding_ || sink_ == nullptr || sinkDevice_ == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> lock(queueMutex_);
    int64_t room = sink_->bytesFree();
    room -= room % bytesPerFrame_;
    size_t n = std::min(static_cast<size_t>(std::max<int64_t>(room, 0)), queued_);
    const size_t capacity = queue_.size();
    int64_t written = 0;
    while (n > 0) {
        const size_t piece = std::min(n, capacity - queueHead_);
        const qint64 w = sinkDevice_->write(
            reinterpret_cast<const char*>(queue_.data() + queueHead_), static_cast<qint64>(piece));
        if (w <= 0) {
            break;
        }
        written += w;
        queueHead_ = (queueHead_ + static_cast<size_t>(w)) % capacity;
        queued_ -= static_cast<size_t>(w);
        n -= static_cast<size_t>(w);
        if (static_cast<size_t>(w) < piece) {
            break;
        }
    }
    if (written > 0) {
        lastWriteUsecs_ = NowUsecs();
        deviceBytes_ += written;
    }
}

int64_t MQtAudioOutput::SinkProcessedUsecs() {
    int64_t usecs = 0;
    if (thread_) {
        RunOnSinkThread([this, &usecs] { usecs = sink_ ? sink_->processedUSecs() : 0; });
    }
    return usecs;
}

int64_t MQtAudioOutput::PlayedBytes() {
    std::lock_guard<std::mutex> lock(clockMutex_);
    if (!clock_) {
        return 0;
    }
    const int64_t now = NowUsecs();
    if (!sinkInput_) {
        // No word from the server: the sink's own figure, within what it was given.
        const int64_t usecs = SinkProcessedUsecs();
        const int64_t bytes =
            usecs * static_cast<int64_t>(format_.sampleRate) / 1000000 * bytesPerFrame_;
        return std::min(bytes, deviceBytes_.load());
    }
    const int64_t before = deviceBytes_.load();
    // Before the first audio reaches the server its report says nothing about when that audio
    // will play (the sink may still drop the silence it had mixed ahead).
    if (before > 0 && now - lastReportUsecs_ >= kReportIntervalUsecs &&
        now - lastWriteUsecs_ >= kInFlightUsecs) {
        const std::optional<MPulseProbe::SinkInput> info = probe_.SinkInputInfo(*sinkInput_);
        const int64_t after = NowUsecs();
        // A stream with nothing left in its buffer has run dry (at the end of a run, say): the
        // sink's latency then counts silence mixed after our audio, not our audio.
        if (info && info->bufferUsecs > 0 && deviceBytes_.load() == before &&
            after - now < kSlowReportUsecs) {
            clock_->AddReport((now + after) / 2, before, info->bufferUsecs + info->sinkUsecs);
            lastReportUsecs_ = after;
        }
    }
    return clock_->PlayedBytes(NowUsecs(), deviceBytes_.load());
}
