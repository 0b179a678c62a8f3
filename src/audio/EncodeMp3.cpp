#include "audio/EncodeMp3.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <vector>

#include "audio/MLameLibrary.h"
#include "audio/WavChunks.h"
#include "base/MProgress.h"

namespace {

constexpr int64_t kSilenceBlockBytes = 88200;

struct SourceFormat {
    int sampleRate = 44100;
    int channels = 2;
    int bits = 16;
    int64_t dataBytes = 0;
};

MStatus Failure(const QString& text) {
    return MStatus::Failure(text, MStatus::Icon::None);
}

// Finds the sample data of a WAV source, leaving the device at its first byte.
MStatus ReadSourceFormat(QIODevice& source, SourceFormat* format) {
    char head[12];
    if (source.read(head, 12) < 12 || std::memcmp(head, "RIFF", 4) != 0) {
        // Raw PCM from its first byte.
        *format = SourceFormat();
        format->dataBytes = source.size();
        source.seek(0);
        return format->dataBytes > 0 ? MStatus::Ok()
                                     : Failure(QStringLiteral("The audio is empty"));
    }
    const WavChunks chunks = WavChunks::Parse(source);
    const WaveFormat& fmt = chunks.header.format;
    switch (chunks.fault) {
        case WavChunks::Fault::kNone:
        case WavChunks::Fault::kNotASoundFormat:
            break;
        case WavChunks::Fault::kNoFormat:
            return Failure(QStringLiteral("The WAV file has no format block"));
        case WavChunks::Fault::kShortFormat:
            return Failure(QStringLiteral("The WAV file's format block is too short"));
        default:
            return Failure(QStringLiteral("The WAV file has no audio data"));
    }
    if ((fmt.channels != 1 && fmt.channels != 2) ||
        (fmt.bitsPerSample != 8 && fmt.bitsPerSample != 16)) {
        return Failure(
            QStringLiteral("Only WAV files of 8 or 16 bits with 1 or 2 channels can be encoded"));
    }
    format->channels = fmt.channels;
    format->sampleRate = static_cast<int>(fmt.sampleRate);
    format->bits = fmt.bitsPerSample;
    format->dataBytes = chunks.header.dataBytes;
    if (format->dataBytes <= 0 || !source.seek(chunks.dataOffset)) {
        return Failure(QStringLiteral("The WAV file has no audio data"));
    }
    return MStatus::Ok();
}

// The length of an ID3v2 tag at the start of the encoder's first output (0 when there is none).
int64_t Id3v2TagBytes(const unsigned char* bytes, int n) {
    if (n < 10 || std::memcmp(bytes, "ID3", 3) != 0) {
        return 0;
    }
    const int64_t size = (int64_t{bytes[6] & 0x7F} << 21) | ((bytes[7] & 0x7F) << 14) |
                         ((bytes[8] & 0x7F) << 7) | (bytes[9] & 0x7F);
    const bool footer = (bytes[5] & 0x10) != 0;
    return 10 + size + (footer ? 10 : 0);
}

// Puts the encoder's info frame (frame count, encoder delay and padding) over the placeholder
// it wrote as the first frame, so that readers know the exact length instead of estimating it
// from the bit rate.
bool WriteInfoFrame(const MLameLibrary::Functions& fn, MLameLibrary::Flags* gf, QSaveFile& output,
                    int64_t firstFrameOffset) {
    if (fn.lame_get_lametag_frame == nullptr || firstFrameOffset < 0) {
        return true;
    }
    unsigned char frame[2880];  // the largest MPEG audio frame
    const size_t n = fn.lame_get_lametag_frame(gf, frame, sizeof(frame));
    if (n == 0 || n > sizeof(frame)) {
        return true;  // no info frame was asked for
    }
    const qint64 end = output.pos();
    return output.seek(firstFrameOffset) &&
           output.write(reinterpret_cast<const char*>(frame), static_cast<qint64>(n)) ==
               static_cast<qint64>(n) &&
           output.seek(end);
}

// Frees the encoder on every way out.
class LameSession {
public:
    explicit LameSession(const MLameLibrary& lame) : fn_(lame.Fn()), flags_(fn_.lame_init()) {}
    ~LameSession() {
        if (flags_ != nullptr) {
            fn_.lame_close(flags_);
        }
    }
    LameSession(const LameSession&) = delete;
    LameSession& operator=(const LameSession&) = delete;

    MLameLibrary::Flags* Flags() const { return flags_; }

private:
    const MLameLibrary::Functions& fn_;
    MLameLibrary::Flags* flags_;
};

MStatus Encode(const MLameLibrary& lame, QIODevice& source, const QString& outputPath,
               const Mp3EncodeOptions& options, MProgress* progress) {
    if (!lame.IsComplete()) {
        return Failure(QStringLiteral("MP3 encoding is not available"));
    }
    const MLameLibrary::Functions& fn = lame.Fn();
    LameSession session(lame);
    MLameLibrary::Flags* gf = session.Flags();
    if (gf == nullptr) {
        return Failure(QStringLiteral("The MP3 encoder could not be started"));
    }
    if (fn.lame_set_brate != nullptr) {
        fn.lame_set_brate(gf, options.bitRateKbps);
    }
    // ID3v1 texts are ISO 8859-1 (characters beyond it become '?'); the ID3v2 tag carries
    // them in UTF-16, so that every player reads any script.
    const QByteArray title = options.title.toLatin1();
    const QByteArray artist = options.artist.toLatin1();
    if (fn.id3tag_init != nullptr) {
        fn.id3tag_init(gf);
        if (!title.isEmpty() && fn.id3tag_set_title != nullptr) {
            fn.id3tag_set_title(gf, title.constData());
        }
        if (!artist.isEmpty() && fn.id3tag_set_artist != nullptr) {
            fn.id3tag_set_artist(gf, artist.constData());
        }
        if (fn.id3tag_add_v2 != nullptr && fn.id3tag_set_textinfo_utf16 != nullptr) {
            fn.id3tag_add_v2(gf);
            const auto setUtf16 = [&](const char* frame, const QString& text) {
                if (text.isEmpty()) {
                    return;
                }
                std::vector<unsigned short> utf16{0xFEFF};  // the byte order mark LAME wants
                for (const QChar c : text) {
                    utf16.push_back(c.unicode());
                }
                utf16.push_back(0);
                fn.id3tag_set_textinfo_utf16(gf, frame, utf16.data());
            };
            setUtf16("TIT2", options.title);
            setUtf16("TPE1", options.artist);
        }
    }

    QSaveFile output(outputPath);
    if (!output.open(QIODevice::WriteOnly)) {
        return Failure(
            QStringLiteral("Cannot create \"%1\": %2").arg(outputPath, output.errorString()));
    }
    SourceFormat format;
    MStatus status = ReadSourceFormat(source, &format);
    if (!status) {
        return status;
    }
    fn.lame_set_in_samplerate(gf, format.sampleRate);
    fn.lame_set_num_channels(gf, format.channels);
    if (fn.lame_init_params(gf) < 0) {
        return Failure(QStringLiteral("The MP3 encoder does not accept this audio (%1 Hz)")
                           .arg(format.sampleRate));
    }

    const int frameBytes = format.channels * format.bits / 8;
    const int64_t dataBlockBytes =
        (format.channels == 2 ? 88200 : 44100) / (format.bits == 8 ? 2 : 1);
    const int64_t total = format.dataBytes + int64_t{frameBytes} * options.trailingFrames;
    int64_t leadingLeft = int64_t{frameBytes} * options.leadingFrames;
    int64_t dataLeft = format.dataBytes;
    int64_t counted = 0;
    int lastPercent = -1;

    // 8-bit samples are unsigned: their silence is 128.
    const uint8_t silence = format.bits == 8 ? 0x80 : 0x00;
    std::vector<uint8_t> block(static_cast<size_t>(kSilenceBlockBytes));
    int64_t firstFrameOffset = -1;
    std::vector<short> stereo;
    std::vector<unsigned char> mp3;
    // Flushed as it goes, so that a full disk is told as such (the file's own error text would
    // only say that writing stopped).
    int writeErrno = 0;
    auto writeOut = [&output, &firstFrameOffset, &writeErrno](const unsigned char* bytes, int n) {
        if (n > 0 && firstFrameOffset < 0) {
            firstFrameOffset = output.pos() + Id3v2TagBytes(bytes, n);
        }
        errno = 0;
        if (n <= 0 ||
            (output.write(reinterpret_cast<const char*>(bytes), n) == n && output.flush())) {
            return true;
        }
        writeErrno = errno;
        return false;
    };
    auto cannotWrite = [&]() {
        return Failure(QStringLiteral("Cannot write \"%1\": %2")
                           .arg(outputPath, writeErrno != 0
                                                ? QString::fromLocal8Bit(std::strerror(writeErrno))
                                                : output.errorString()));
    };

    while (leadingLeft > 0 || counted < total) {
        if (progress != nullptr && progress->IsCancelled()) {
            output.cancelWriting();
            return Failure(QStringLiteral("MP3 encoding was cancelled"));
        }
        int64_t bytes = 0;
        if (leadingLeft > 0) {
            bytes = std::min(leadingLeft, kSilenceBlockBytes);
            std::fill_n(block.begin(), bytes, silence);
            leadingLeft -= bytes;
        } else {
            if (dataLeft > 0) {
                const int64_t want = std::min({dataLeft, dataBlockBytes, total - counted});
                bytes =
                    std::max<qint64>(0, source.read(reinterpret_cast<char*>(block.data()), want));
                dataLeft = bytes < want ? 0 : dataLeft - bytes;
            }
            if (bytes == 0) {
                // The data are used up: trailing silence up to the total.
                dataLeft = 0;
                bytes = std::min(kSilenceBlockBytes, total - counted);
                std::fill_n(block.begin(), bytes, silence);
            }
            counted += bytes;
            const int percent = static_cast<int>(std::min<int64_t>(100, counted * 100 / total));
            if (percent != lastPercent && progress != nullptr) {
                progress->SetPercent(percent);
            }
            lastPercent = percent;
        }

        // To 16-bit interleaved stereo; for mono the encoder reads every other sample.
        const int frames = static_cast<int>(bytes / frameBytes);
        stereo.resize(static_cast<size_t>(frames) * 2);
        for (int i = 0; i < frames; ++i) {
            for (int c = 0; c < 2; ++c) {
                const int channel = format.channels == 2 ? c : 0;
                const uint8_t* p = block.data() + i * frameBytes + channel * (format.bits / 8);
                stereo[static_cast<size_t>(2 * i + c)] =
                    format.bits == 8 ? static_cast<short>((p[0] - 128) * 256)
                                     : qFromLittleEndian<int16_t>(p);
            }
        }
        mp3.resize(static_cast<size_t>(frames) * 5 / 4 + 7200);
        const int encoded = fn.lame_encode_buffer_interleaved(gf, stereo.data(), frames, mp3.data(),
                                                              static_cast<int>(mp3.size()));
        if (encoded < 0) {
            output.cancelWriting();
            return Failure(QStringLiteral("The MP3 encoder failed (%1)").arg(encoded));
        }
        if (!writeOut(mp3.data(), encoded)) {
            output.cancelWriting();
            return cannotWrite();
        }
    }
    mp3.resize(7200 + 132300);
    const int flushed = fn.lame_encode_flush(gf, mp3.data(), static_cast<int>(mp3.size()));
    if (flushed < 0) {
        output.cancelWriting();
        return Failure(QStringLiteral("The MP3 encoder failed (%1)").arg(flushed));
    }
    if (!writeOut(mp3.data(), flushed)) {
        output.cancelWriting();
        return cannotWrite();
    }
    errno = 0;
    if (!WriteInfoFrame(fn, gf, output, firstFrameOffset) || !output.commit()) {
        writeErrno = writeErrno != 0 ? writeErrno : errno;
        return cannotWrite();
    }
    return MStatus::Ok();
}

}  // namespace

MStatus EncodeMp3(const MLameLibrary& lame, const QString& sourcePath, const QString& outputPath,
                  const Mp3EncodeOptions& options, MProgress* progress) {
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly)) {
        return Failure(
            QStringLiteral("Cannot open \"%1\": %2").arg(sourcePath, source.errorString()));
    }
    return Encode(lame, source, outputPath, options, progress);
}

MStatus EncodeMp3(const MLameLibrary& lame, const QByteArray& source, const QString& outputPath,
                  const Mp3EncodeOptions& options, MProgress* progress) {
    QByteArray copy = source;  // shares the data; QBuffer needs a non-const array
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return Encode(lame, buffer, outputPath, options, progress);
}
