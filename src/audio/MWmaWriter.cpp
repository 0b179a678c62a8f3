#include "audio/MWmaWriter.h"

#include <QDebug>
#include <cstring>

#include "audio/AudioStatus.h"
#include "audio/FfmpegLog.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mem.h>
}

namespace {

constexpr int kOutputRate = 44100;
constexpr int kOutputChannels = 2;
constexpr int kIoBufferBytes = 64 * 1024;

// FFmpeg's generic metadata keys for the Windows Media attribute names; the ASF muxer stores
// them under the Windows Media names again.
QByteArray MetadataKey(const QString& name) {
    static const struct {
        const char* wm;
        const char* key;
    } kKeys[] = {{"Title", "title"},
                 {"Author", "artist"},
                 {"WM/AlbumArtist", "album_artist"},
                 {"WM/Publisher", "publisher"},
                 {"WM/AlbumTitle", "album"},
                 {"WM/Track", "track"},
                 {"WM/TrackNumber", "track"}};
    for (const auto& k : kKeys) {
        if (name == QLatin1String(k.wm)) {
            return k.key;
        }
    }
    return name.toUtf8();
}

}  // namespace

MWmaWriter::MWmaWriter() {
    RouteFfmpegLogToTrace();
}

MWmaWriter::~MWmaWriter() {
    Abort();
}

int MWmaWriter::ProfileBitRateKbps(int profileNumber) {
    switch (profileNumber) {
        case 23:
            return 96;
        case 24:
            return 128;
        case 25:
            return 160;
        case 26:
            return 192;
        default:
            return 0;
    }
}

int MWmaWriter::WritePacket(void* opaque, uint8_t* buffer, int size) {
    auto* self = static_cast<MWmaWriter*>(opaque);
    if (self->file_.write(reinterpret_cast<const char*>(buffer), size) != size) {
        self->ioFailed_ = true;
        return AVERROR(EIO);
    }
    return size;
}

int64_t MWmaWriter::Seek(void* opaque, int64_t offset, int whence) {
    auto* self = static_cast<MWmaWriter*>(opaque);
    QSaveFile& f = self->file_;
    int64_t target = 0;
    switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return f.size();
        case SEEK_SET:
            target = offset;
            break;
        case SEEK_CUR:
            target = f.pos() + offset;
            break;
        case SEEK_END:
            target = f.size() + offset;
            break;
        default:
            return AVERROR(EINVAL);
    }
    if (target < 0 || !f.seek(target)) {
        return AVERROR(EIO);
    }
    return target;
}

void MWmaWriter::Release() {
    av_packet_free(&packet_);
    feed_.Release();
    avcodec_free_context(&encoder_);
    if (muxer_ != nullptr) {
        muxer_->pb = nullptr;
        avformat_free_context(muxer_);
        muxer_ = nullptr;
    }
    if (io_ != nullptr) {
        av_freep(&io_->buffer);
        avio_context_free(&io_);
    }
    headerWritten_ = false;
}

void MWmaWriter::Abort() {
    Release();
    if (file_.isOpen()) {
        file_.cancelWriting();
        file_.commit();  // with writing cancelled this discards the temporary file
    }
}

int MWmaWriter::Open(const QString& path, int profileNumber, const WaveFormat& input,
                     const std::vector<MediaAttribute>& attributes) {
    Abort();
    const int kbps = ProfileBitRateKbps(profileNumber);
    if (kbps == 0) {
        return AudioStatus::kUnknownProfile;
    }
    if ((input.bitsPerSample != 8 && input.bitsPerSample != 16) ||
        (input.channels != 1 && input.channels != 2) || input.sampleRate == 0 ||
        input.blockAlign != input.channels * input.bitsPerSample / 8) {
        return AudioStatus::kUnsupportedFormat;
    }
    input_ = input;

    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly)) {
        return AudioStatus::kWriteFailed;
    }
    auto fail = [this](int status) {
        Abort();
        return status;
    };

    int status = avformat_alloc_output_context2(&muxer_, nullptr, "asf", nullptr);
    if (status < 0 || muxer_ == nullptr) {
        return fail(status < 0 ? status : AVERROR(ENOMEM));
    }
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    if (codec == nullptr) {
        return fail(AVERROR_ENCODER_NOT_FOUND);
    }
    encoder_ = avcodec_alloc_context3(codec);
    packet_ = av_packet_alloc();
    if (encoder_ == nullptr || packet_ == nullptr) {
        return fail(AVERROR(ENOMEM));
    }
    encoder_->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder_->sample_rate = kOutputRate;
    av_channel_layout_default(&encoder_->ch_layout, kOutputChannels);
    encoder_->bit_rate = static_cast<int64_t>(kbps) * 1000;
    encoder_->time_base = AVRational{1, kOutputRate};
    if (muxer_->oformat->flags & AVFMT_GLOBALHEADER) {
        encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    status = avcodec_open2(encoder_, codec, nullptr);
    if (status < 0) {
        return fail(status);
    }
    AVStream* stream = avformat_new_stream(muxer_, nullptr);
    if (stream == nullptr) {
        return fail(AVERROR(ENOMEM));
    }
    status = avcodec_parameters_from_context(stream->codecpar, encoder_);
    if (status < 0) {
        return fail(status);
    }
    stream->time_base = encoder_->time_base;

    for (const MediaAttribute& a : attributes) {
        QByteArray value;
        if (a.type == MediaAttribute::kNumber) {
            bool ok = false;
            const uint32_t number = a.value.trimmed().toUInt(&ok);
            if (!ok) {
                qWarning() << "attribute" << a.name << "is not a number:" << a.value;
                continue;
            }
            value = QByteArray::number(number);
        } else if (a.type == MediaAttribute::kText) {
            value = a.value;
        } else {
            qWarning() << "attribute" << a.name << "holds raw bytes, which cannot be stored";
            continue;
        }
        av_dict_set(&muxer_->metadata, MetadataKey(a.name).constData(), value.constData(), 0);
    }

    auto* ioBuffer = static_cast<unsigned char*>(av_malloc(kIoBufferBytes));
    if (ioBuffer == nullptr) {
        return fail(AVERROR(ENOMEM));
    }
    io_ = avio_alloc_context(ioBuffer, kIoBufferBytes, 1, this, nullptr, &WritePacket, &Seek);
    if (io_ == nullptr) {
        av_free(ioBuffer);
        return fail(AVERROR(ENOMEM));
    }
    muxer_->pb = io_;
    muxer_->flags |= AVFMT_FLAG_CUSTOM_IO;
    status = avformat_write_header(muxer_, nullptr);
    if (status < 0) {
        return fail(status);
    }
    headerWritten_ = true;

    status = feed_.Open(encoder_, input.bitsPerSample == 8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16,
                        input.channels, static_cast<int>(input.sampleRate));
    return status < 0 ? fail(status) : AudioStatus::kOk;
}

int MWmaWriter::SendFrame(AVFrame* frame) {
    int status = avcodec_send_frame(encoder_, frame);
    if (status < 0) {
        return status;
    }
    for (;;) {
        status = avcodec_receive_packet(encoder_, packet_);
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) {
            return AudioStatus::kOk;
        }
        if (status < 0) {
            return status;
        }
        packet_->stream_index = 0;
        av_packet_rescale_ts(packet_, encoder_->time_base, muxer_->streams[0]->time_base);
        status = av_interleaved_write_frame(muxer_, packet_);
        if (status < 0 || ioFailed_) {
            return status < 0 ? status : AudioStatus::kWriteFailed;
        }
    }
}

int MWmaWriter::EncodeFrames(bool flush) {
    int status = AudioStatus::kOk;
    while (AVFrame* frame = feed_.NextFrame(flush, &status)) {
        status = SendFrame(frame);
        if (status < 0) {
            return status;
        }
    }
    return status;
}

int MWmaWriter::Write(const uint8_t* pcm, int64_t bytes) {
    if (!headerWritten_) {
        return AudioStatus::kNotOpen;
    }
    const int64_t frames = bytes / input_.blockAlign;
    constexpr int64_t kChunkFrames = 32768;
    for (int64_t done = 0; done < frames;) {
        const int n = static_cast<int>(std::min(kChunkFrames, frames - done));
        int status = feed_.Push(pcm + done * input_.blockAlign, n);
        if (status >= 0) {
            status = EncodeFrames(false);
        }
        if (status < 0) {
            return status;
        }
        done += n;
    }
    return AudioStatus::kOk;
}

int MWmaWriter::Finish() {
    if (!headerWritten_) {
        return AudioStatus::kNotOpen;
    }
    auto fail = [this](int status) {
        Abort();
        return status;
    };
    // What the converter still holds, then the last (short) frame, then the encoder's tail.
    int status = feed_.Drain();
    if (status >= 0) {
        status = EncodeFrames(true);
    }
    if (status >= 0) {
        status = SendFrame(nullptr);
    }
    if (status >= 0) {
        status = av_write_trailer(muxer_);
    }
    if (status >= 0) {
        avio_flush(io_);
        if (io_->error < 0) {
            status = io_->error;
        }
    }
    if (status >= 0 && ioFailed_) {
        status = AudioStatus::kWriteFailed;
    }
    if (status < 0) {
        return fail(status);
    }
    Release();
    if (!file_.commit()) {
        return AudioStatus::kWriteFailed;
    }
    return AudioStatus::kOk;
}
