#include "cdg/MRwPlayer.h"

#include <algorithm>
#include <chrono>

#include "cdg/CdgTimeBase.h"
#include "cdg/MRwRenderer.h"

MRwPlayer::MRwPlayer(MRwRenderer* renderer) : renderer_(renderer) {}

MRwPlayer::~MRwPlayer() {
    Stop();
}

void MRwPlayer::SetStream(const uint8_t* stream, uint32_t streamBytes) {
    stream_ = stream;
    streamBytes_ = stream ? streamBytes : 0;
}

void MRwPlayer::SetPositionSource(PositionSource source) {
    source_ = std::move(source);
}

QThread::Priority MRwPlayer::QtPriority(int windowsPriority) {
    if (windowsPriority <= -15) {
        return QThread::IdlePriority;
    }
    if (windowsPriority >= 15) {
        return QThread::TimeCriticalPriority;
    }
    switch (std::clamp(windowsPriority, -2, 2)) {
        case -2:
            return QThread::LowestPriority;
        case -1:
            return QThread::LowPriority;
        case 0:
            return QThread::NormalPriority;
        case 1:
            return QThread::HighPriority;
        default:
            return QThread::HighestPriority;
    }
}

void MRwPlayer::Start(bool threaded, uint32_t decodedUpTo) {
    int expected = kStopped;
    if (worker_ || !state_.compare_exchange_strong(expected, kPlaying)) {
        return;
    }
    lastDecodedPosition_ = decodedUpTo;
    if (threaded) {
        worker_.reset(QThread::create([this] { Loop(); }));
        worker_->setObjectName(QStringLiteral("Quilm graphics"));
        worker_->start(QtPriority(priority_));
    } else {
        Loop();
    }
}

void MRwPlayer::Stop() {
    state_ = kStopped;
    { std::lock_guard<std::mutex> lock(wakeMutex_); }
    wake_.notify_all();
    if (worker_) {
        worker_->wait();
        worker_.reset();
    }
    // An inline loop running on another thread finishes its current packet first.
    if (loopThread_.load() != QThread::currentThreadId()) {
        std::unique_lock<std::mutex> lock(wakeMutex_);
        wake_.wait(lock, [this] { return !loopRunning_.load(); });
    }
    stream_ = nullptr;
    streamBytes_ = 0;
    lastDecodedPosition_ = 0;
}

void MRwPlayer::Loop() {
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        loopRunning_ = true;
        loopThread_ = QThread::currentThreadId();
    }
    struct Finish {
        MRwPlayer* self;
        ~Finish() {
            {
                std::lock_guard<std::mutex> lock(self->wakeMutex_);
                self->loopRunning_ = false;
                self->loopThread_ = nullptr;
            }
            self->wake_.notify_all();
        }
    } finish{this};
    bool firstBatch = true;
    while (state_.load() != kStopped) {
        uint32_t position = source_ ? source_() : 0;
        if (position < highestPosition_.load()) {
            position = highestPosition_.load();
        }
        highestPosition_ = position;
        if (position == lastDecodedPosition_.load()) {
            std::unique_lock<std::mutex> lock(wakeMutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(10),
                           [this] { return state_.load() == kStopped; });
            continue;
        }
        std::lock_guard<std::mutex> batch(batchMutex_);
        const uint32_t packets = streamBytes_ / CdgTimeBase::kPacketBytes;
        const uint32_t last = packets > 0 ? packets - 1 : 0;
        const uint32_t from = std::min<uint32_t>(
            static_cast<uint32_t>(CdgTimeBase::PacketIndexFromFrames(lastDecodedPosition_)), last);
        const uint32_t to = std::min<uint32_t>(
            static_cast<uint32_t>(CdgTimeBase::PacketIndexFromFrames(position)), last);
        if (firstBatch) {
            renderer_->SetSuspended(true);
        }
        for (uint32_t i = from; i < to && state_.load() != kStopped; ++i) {
            const uint8_t* p = stream_ + static_cast<size_t>(i) * CdgTimeBase::kPacketBytes;
            if ((p[0] & CdgPacket::kMask) == CdgPacket::kGraphicsCommand) {
                DecodePacket(CdgPacket::FromBytes(p));
            }
        }
        if (firstBatch) {
            renderer_->SetSuspended(false);
            renderer_->PresentAll();
            firstBatch = false;
        }
        lastDecodedPosition_ = position;
    }
}

void MRwPlayer::WithSettledScreen(const std::function<void(uint32_t decodedTo)>& fn) {
    std::lock_guard<std::mutex> batch(batchMutex_);
    fn(lastDecodedPosition_.load());
}

void MRwPlayer::DecodePackets(const uint8_t* stream, uint32_t firstPacket, uint32_t endPacket) {
    for (uint32_t i = firstPacket; i < endPacket; ++i) {
        const uint8_t* p = stream + static_cast<size_t>(i) * CdgTimeBase::kPacketBytes;
        if ((p[0] & CdgPacket::kMask) == CdgPacket::kGraphicsCommand) {
            DecodePacket(CdgPacket::FromBytes(p));
        }
    }
}

void MRwPlayer::DecodePacket(const CdgPacket& packet) {
    const uint8_t* d = packet.data;
    switch (packet.Code()) {
        case CdgPacket::kMemoryPreset:
            renderer_->ClearScreen(d[0] & 0x3F);
            break;
        case CdgPacket::kBorderPreset:
            renderer_->SetBorderColor(d[0] & 0x3F);
            break;
        case CdgPacket::kTileBlock:
        case CdgPacket::kTileBlockXor: {
            const int channel = (((d[0] >> 4) & 3) << 2) | ((d[1] >> 4) & 3);
            if (channel > 1 || (d[2] >= 81 && d[2] <= 127)) {
                break;
            }
            const int row = d[2] & 0x1F;
            const int column = d[3] & 0x3F;
            if (packet.Code() == CdgPacket::kTileBlock) {
                renderer_->DrawTile(row, column, d[0] & 0x0F, d[1] & 0x0F, d + 4);
            } else {
                renderer_->XorTile(row, column, d[0] & 0x0F, d[1] & 0x0F, d + 4);
            }
            break;
        }
        case CdgPacket::kScrollPreset:
            renderer_->ScrollPreset(d[0] & 0x0F, (d[1] >> 4) & 3, d[1] & 7, (d[2] >> 4) & 3,
                                    d[2] & 0x0F);
            break;
        case CdgPacket::kScrollCopy:
            renderer_->ScrollCopy((d[1] >> 4) & 3, d[1] & 7, (d[2] >> 4) & 3, d[2] & 0x0F);
            break;
        case CdgPacket::kDefineTransparent:
            renderer_->SetTransparentColor(d[0] & 0x3F);
            break;
        case CdgPacket::kLoadColorTableLow:
        case CdgPacket::kLoadColorTableHigh: {
            const int half = packet.Code() == CdgPacket::kLoadColorTableLow ? 0 : 1;
            std::array<MRgb, 8> entries;
            for (int k = 0; k < 8; ++k) {
                entries[static_cast<size_t>(k)] = CdgColour::Decode(d + 2 * k);
            }
            if (colourCacheValid_[half] && entries == colourCache_[half]) {
                break;
            }
            colourCache_[half] = entries;
            colourCacheValid_[half] = true;
            renderer_->LoadColors(half * 8, 8, entries.data());
            break;
        }
        default:
            break;
    }
}
