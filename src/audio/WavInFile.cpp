#include "audio/WavInFile.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>

#include "audio/WavChunks.h"
#include "base/MFileName.h"

WavInFile::WavInFile(const QString& path)
    : ownedFile_(std::make_unique<QFile>(MFileName::Openable(path))) {
    if (ownedFile_->open(QIODevice::ReadOnly)) {
        device_ = ownedFile_.get();
        ReadHeaders();
    }
}

WavInFile::WavInFile(QIODevice* device) {
    if (device != nullptr && device->isOpen() && device->isReadable() && !device->isSequential()) {
        device_ = device;
        ReadHeaders();
    }
}

WavInFile::~WavInFile() = default;

void WavInFile::ReadHeaders() {
    const WavChunks chunks = WavChunks::Parse(*device_);
    header_ = chunks.header;
    factSeen_ = chunks.factSeen;
    headersOk_ = chunks.IsOk() && device_->seek(chunks.dataOffset);
    dataBytesRead_ = 0;
}

uint32_t WavInFile::SampleFrames() const {
    const WaveFormat& f = header_.format;
    if (f.blockAlign == 0) {
        return 0;
    }
    // Extensible PCM without a fact group is measured by its data like plain PCM.
    if (f.formatTag < 2 || (f.formatTag == WaveFormat::kTagExtensible && !factSeen_)) {
        return header_.dataBytes / f.blockAlign;
    }
    return header_.factSampleFrames;
}

uint32_t WavInFile::LengthMs() const {
    const uint32_t rate = header_.format.sampleRate;
    if (rate == 0) {
        return 0;
    }
    // A damaged header (a rate of a few hertz) can claim a length beyond 49 days.
    const double ms =
        static_cast<double>(SampleFrames()) * 1000.0 / static_cast<double>(rate) + 0.5;
    return ms >= static_cast<double>(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(ms);
}

int WavInFile::Read(int16_t* buffer, int maxElems) {
    if (!headersOk_ || maxElems <= 0 || buffer == nullptr) {
        return 0;
    }
    const uint32_t remaining = header_.dataBytes - dataBytesRead_;
    if (BitsPerSample() == 8) {
        const qint64 wanted = std::min<qint64>(maxElems, remaining);
        uint8_t* bytes = ConversionBuffer(static_cast<size_t>(maxElems));
        const qint64 got =
            std::max<qint64>(0, device_->read(reinterpret_cast<char*>(bytes), wanted));
        dataBytesRead_ += static_cast<uint32_t>(got);
        for (qint64 i = 0; i < got; ++i) {
            buffer[i] = static_cast<int16_t>((bytes[i] - 128) * 256);
        }
        return static_cast<int>(got);
    }
    if (BitsPerSample() == 16) {
        const qint64 wanted = std::min<qint64>(2 * static_cast<qint64>(maxElems), remaining);
        const qint64 got =
            std::max<qint64>(0, device_->read(reinterpret_cast<char*>(buffer), wanted));
        dataBytesRead_ += static_cast<uint32_t>(got);
        const int elems = static_cast<int>(got / 2);
        for (int i = 0; i < elems; ++i) {
            buffer[i] = qFromLittleEndian(buffer[i]);
        }
        return elems;
    }
    return 0;
}
