#include "audio/MWaveReader.h"

#include <QFile>
#include <algorithm>
#include <cstring>

#include "audio/WavChunks.h"
#include "base/MFileName.h"

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

MStatus MWaveReader::OpenDevice(const QString& name) {
    const WavChunks chunks = WavChunks::Parse(*device_);
    if (!chunks.IsOk() || !device_->seek(chunks.dataOffset)) {
        const QString why = chunks.IsOk() ? device_->errorString() : chunks.FaultText();
        Close();
        return MStatus::Failure(QStringLiteral("%1: %2").arg(name, why));
    }
    format_ = chunks.header.format;
    dataStart_ = chunks.dataOffset;
    dataBytes_ = chunks.header.dataBytes;
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
