#include "dialogs/PreviewRun.h"

#include <algorithm>

#include "cdg/CdgTimeBase.h"
#include "cdg/MRwPlayer.h"

PreviewRun::PreviewRun(QObject* parent) : QObject(parent) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &PreviewRun::Tick);
}

PreviewRun::~PreviewRun() = default;

int64_t PreviewRun::DurationMs(uint32_t lengthBytes, int pauseMs) {
    const int64_t packets = lengthBytes / CdgTimeBase::kPacketBytes;
    return (packets * 1000 + CdgTimeBase::kPacketsPerSecond - 1) / CdgTimeBase::kPacketsPerSecond +
           2 * static_cast<int64_t>(pauseMs);
}

void PreviewRun::Start(MRwRenderer* renderer, std::vector<uint8_t> stream, uint32_t lengthBytes,
                       int pauseMs) {
    Stop();
    stream_ = std::move(stream);
    packets_ = static_cast<uint32_t>(std::min<size_t>(lengthBytes, stream_.size()) /
                                     CdgTimeBase::kPacketBytes);
    decoded_ = 0;
    pauseMs_ = std::max(0, pauseMs);
    decoder_ = std::make_unique<MRwPlayer>(renderer);
    clock_.start();
    timer_.start();
}

void PreviewRun::Stop() {
    timer_.stop();
    decoder_.reset();
    stream_.clear();
    stream_.shrink_to_fit();
}

void PreviewRun::Tick() {
    const int64_t playedMs = clock_.elapsed() - pauseMs_;
    if (playedMs > 0 && decoded_ < packets_) {
        const int64_t frames = playedMs * CdgTimeBase::kSampleRateHz / 1000;
        const auto due = static_cast<uint32_t>(
            std::min<int64_t>(packets_, CdgTimeBase::PacketIndexFromFrames(frames)));
        if (due > decoded_) {
            decoder_->DecodePackets(stream_.data(), decoded_, due);
            decoded_ = due;
        }
    }
    if (decoded_ >= packets_ && clock_.elapsed() >= DurationMs(packets_ * 24u, pauseMs_)) {
        Stop();
        emit Finished();
    }
}
