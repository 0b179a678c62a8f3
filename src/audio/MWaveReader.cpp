#include "audio/MWaveReader.h"
#include "base/MFileName.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace {

constexpr int64_t kFirstChildOffset = 12;  // after "RIFF", its length and "WAVE"

}  // namespace

MWaveReader::MWaveReader() = default;

MWaveReader::~MWaveReader() {
    Close();
}

void MWaveReader::Close() {
    device_ = nullptr;
    ownedFile_.reset();
    format_ = WaveFormat();
    silenceBytesDelivered_ = 0;
    dataStart_ = 0;
    dataBytes_ = 0;
    dataBytesLeft_ = 0;
}

MStatus MWaveReader::Open(const QString& path) {
    Close();
    auto file = std::make_unique<QFile>(MFileName::Openable(path));
    if (!file->open(QIODevice::ReadOnly)) {
        return MStatus::Failure(
            QStringLiteral("%1: cannot open: %2").arg(path, file->errorString()));
    }
    ownedFile_ = std::move(file);
    device_ = ownedFile_.get();
    return OpenDevice(path);
}

MStatus MWaveReader::Open(QIODevice* device) {
    Close();
    if (device == nullptr || !device->isOpen() || !device->isReadable() || device->isSequential()) {
        return MStatus::Failure(QStringLiteral("the audio source cannot be read"));
    }
    device_ = device;
    return OpenDevice(QStringLiteral("the audio source"));
}

bool MWaveReader::FindChunk(const char* label, uint32_t* length) {
    // Children are searched up to the end of the file rather than the RIFF length, which
    // streaming writers leave at 0 or 0xFFFFFFFF.
    const int64_t end = device_->size();
    int64_t pos = kFirstChildOffset;
    while (pos + 8 <= end) {
        uint8_t head[8];
        if (!device_->seek(pos) || device_->read(reinterpret_cast<char*>(head), 8) != 8) {
            return false;
        }
        const uint32_t size = qFromLittleEndian<uint32_t>(head + 4);
        if (std::memcmp(head, label, 4) == 0) {
            *length = size;
            return true;
        }
        pos += 8 + static_cast<int64_t>(size) + (size & 1);
    }
    return false;
}

MStatus MWaveReader::OpenDevice(const QString& name) {
    auto fail = [this, &name](const QString& why) {
        Close();
        return MStatus::Failure(QStringLiteral("%1: %2").arg(name, why));
    };
    uint8_t riff[12];
    if (!device_->seek(0) || device_->read(reinterpret_cast<char*>(riff), 12) != 12 ||
        std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) {
        return fail(QStringLiteral("not a RIFF/WAVE file"));
    }
    uint32_t fmtBytes = 0;
    if (!FindChunk("fmt ", &fmtBytes)) {
        return fail(QStringLiteral("no \"fmt \" chunk"));
    }
    uint8_t raw[16];
    if (fmtBytes < 16 || device_->read(reinterpret_cast<char*>(raw), 16) != 16) {
        return fail(QStringLiteral("the \"fmt \" chunk is too short"));
    }
    format_ = WaveFormat::FromFmtBlock(raw);
    // Silence and lengths are counted in frames of channels x bits: a damaged header must not
    // turn a few frames into gigabytes.
    if (format_.channels == 0 || format_.channels > kMaxChannels || format_.bitsPerSample == 0 ||
        format_.bitsPerSample > kMaxBitsPerSample) {
        return fail(QStringLiteral("%1 channels of %2 bits is not a sound format")
                        .arg(format_.channels)
                        .arg(format_.bitsPerSample));
    }
    if (format_.formatTag != WaveFormat::kTagPcm && fmtBytes >= 18) {
        uint8_t extraSize[2];
        if (device_->read(reinterpret_cast<char*>(extraSize), 2) != 2) {
            return fail(QStringLiteral("the \"fmt \" chunk is too short"));
        }
        // The extra bytes never reach beyond their chunk.
        const uint32_t extraBytes =
            std::min<uint32_t>(qFromLittleEndian<uint16_t>(extraSize), fmtBytes - 18);
        format_.extra = device_->read(extraBytes);
        if (format_.extra.size() != static_cast<qsizetype>(extraBytes)) {
            return fail(QStringLiteral("the \"fmt \" chunk is too short"));
        }
    }
    uint32_t dataBytes = 0;
    if (!FindChunk("data", &dataBytes)) {
        return fail(QStringLiteral("no \"data\" chunk"));
    }
    dataStart_ = device_->pos();
    dataBytes_ = std::min<int64_t>(dataBytes, device_->size() - dataStart_);
    dataBytesLeft_ = dataBytes_;
    silenceBytesDelivered_ = 0;
    return MStatus::Ok();
}

int64_t MWaveReader::LeadingSilenceBytes() const {
    return static_cast<int64_t>(leadingSilenceFrames_) * format_.channels * format_.bitsPerSample /
           8;
}

int64_t MWaveReader::Read(uint8_t* buffer, int64_t byteCount) {
    if (device_ == nullptr || buffer == nullptr || byteCount <= 0) {
        return 0;
    }
    int64_t delivered = 0;
    const int64_t silenceLeft = LeadingSilenceBytes() - silenceBytesDelivered_;
    if (silenceLeft > 0) {
        const int64_t n = std::min(silenceLeft, byteCount);
        std::memset(buffer, 0, static_cast<size_t>(n));
        silenceBytesDelivered_ += n;
        delivered = n;
    }
    const int64_t wanted = std::min(byteCount - delivered, dataBytesLeft_);
    if (wanted > 0) {
        const int64_t got = device_->read(reinterpret_cast<char*>(buffer + delivered), wanted);
        if (got < 0) {
            return -1;
        }
        dataBytesLeft_ -= got;
        if (got < wanted) {
            dataBytesLeft_ = 0;
        }
        delivered += got;
    }
    return delivered;
}
