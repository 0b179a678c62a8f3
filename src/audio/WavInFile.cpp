#include "audio/WavInFile.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "audio/WaveFormat.h"
#include "base/MFileName.h"

namespace {

constexpr uint16_t kFormatExtensible = 0xFFFE;

bool ReadExact(QIODevice* device, void* out, qint64 bytes) {
    return device->read(static_cast<char*>(out), bytes) == bytes;
}

bool ReadU32(QIODevice* device, uint32_t* value) {
    uint8_t raw[4];
    if (!ReadExact(device, raw, 4)) {
        return false;
    }
    *value = qFromLittleEndian<uint32_t>(raw);
    return true;
}

// Moves past bytes the reader does not need; false when the file ends before that.
bool Skip(QIODevice* device, qint64 bytes) {
    if (bytes <= 0) {
        return true;
    }
    const qint64 target = device->pos() + bytes;
    if (target > device->size()) {
        device->seek(device->size());
        return false;
    }
    return device->seek(target);
}

bool IsLabelByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 32 && b <= 122;
}

}  // namespace

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
    header_ = WavHeader();
    char riff[12];
    if (!device_->seek(0) || !ReadExact(device_, riff, 12) || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0) {
        return;
    }
    std::memcpy(header_.riffLabel.data(), riff, 4);
    header_.riffSizeBytes = qFromLittleEndian<uint32_t>(riff + 4);
    std::memcpy(header_.waveLabel.data(), riff + 8, 4);

    bool formatSeen = false;
    for (;;) {
        std::array<char, 4> label;
        uint32_t length = 0;
        if (!ReadExact(device_, label.data(), 4) ||
            !std::all_of(label.begin(), label.end(), IsLabelByte) || !ReadU32(device_, &length)) {
            return;
        }
        if (std::memcmp(label.data(), "data", 4) == 0) {
            header_.dataLabel = label;
            // A truncated file (or a header written before the length was known) declares more
            // than it holds; only what is there can be read.
            const qint64 available = std::max<qint64>(0, device_->size() - device_->pos());
            header_.dataBytes = static_cast<uint32_t>(std::min<qint64>(length, available));
            break;
        }
        qint64 skipBytes = length;
        if (std::memcmp(label.data(), "fmt ", 4) == 0) {
            header_.formatLabel = label;
            header_.formatBlockBytes = length;
            uint8_t raw[16] = {};
            const qint64 wanted = std::min<uint32_t>(length, 16);
            if (!ReadExact(device_, raw, wanted)) {
                return;
            }
            const WaveFormat f = WaveFormat::FromFmtBlock(raw);
            header_.formatTag = f.formatTag;
            header_.channels = f.channels;
            header_.sampleRate = f.sampleRate;
            header_.byteRate = f.byteRate;
            header_.blockAlign = f.blockAlign;
            header_.bitsPerSample = f.bitsPerSample;
            skipBytes -= wanted;
            formatSeen = true;
        } else if (std::memcmp(label.data(), "fact", 4) == 0) {
            header_.factLabel = label;
            header_.factBytes = length;
            uint8_t raw[4] = {};
            const qint64 wanted = std::min<uint32_t>(length, 4);
            if (!ReadExact(device_, raw, wanted)) {
                return;
            }
            header_.factSampleFrames = qFromLittleEndian<uint32_t>(raw);
            skipBytes -= wanted;
            factSeen_ = true;
        }
        // Chunks of odd length are followed by a pad byte.
        if (!Skip(device_, skipBytes + (length & 1))) {
            return;
        }
    }
    headersOk_ = formatSeen;
    dataBytesRead_ = 0;
}

uint32_t WavInFile::SampleFrames() const {
    if (header_.blockAlign == 0) {
        return 0;
    }
    // Extensible PCM without a fact group is measured by its data like plain PCM.
    if (header_.formatTag < 2 || (header_.formatTag == kFormatExtensible && !factSeen_)) {
        return header_.dataBytes / header_.blockAlign;
    }
    return header_.factSampleFrames;
}

uint32_t WavInFile::LengthMs() const {
    if (header_.sampleRate == 0) {
        return 0;
    }
    // A damaged header (a rate of a few hertz) can claim a length beyond 49 days.
    const double ms =
        static_cast<double>(SampleFrames()) * 1000.0 / static_cast<double>(header_.sampleRate) +
        0.5;
    return ms >= static_cast<double>(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(ms);
}

int WavInFile::Read(int16_t* buffer, int maxElems) {
    if (!headersOk_ || maxElems <= 0 || buffer == nullptr) {
        return 0;
    }
    const uint32_t remaining = header_.dataBytes - dataBytesRead_;
    if (header_.bitsPerSample == 8) {
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
    if (header_.bitsPerSample == 16) {
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
