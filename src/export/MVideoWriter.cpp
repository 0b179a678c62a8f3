#include "export/MVideoWriter.h"

#include <QFile>
#include <algorithm>

#include "audio/AudioStatus.h"
#include "audio/FfmpegLog.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace {

constexpr int kVideoStream = 0;
constexpr int kAudioStream = 1;
constexpr int kChannels = 2;
constexpr int64_t kChunkFrames = 16384;

bool IsH264(const AVCodec* codec) {
    return codec->id == AV_CODEC_ID_H264;
}

}  // namespace

MVideoWriter::MVideoWriter() {
    RouteFfmpegLogToTrace();
}

MVideoWriter::~MVideoWriter() {
    Abort();
}

bool MVideoWriter::HalfChroma() const {
    return video_ == nullptr || video_->pix_fmt != AV_PIX_FMT_YUV444P;
}

MStatus MVideoWriter::Failed(int status, const char* what) {
    return MStatus::Failure(
        QStringLiteral("%1: %2").arg(QString::fromLatin1(what), AudioStatus::Describe(status)));
}

void MVideoWriter::Abort() {
    av_packet_free(&packet_);
    av_frame_free(&picture_);
    feed_.Release();
    avcodec_free_context(&video_);
    avcodec_free_context(&audio_);
    if (muxer_ != nullptr) {
        avio_closep(&muxer_->pb);
        avformat_free_context(muxer_);
        muxer_ = nullptr;
    }
    headerWritten_ = false;
    nextPicture_ = 0;
}

MStatus MVideoWriter::OpenVideo(const Options& options) {
    const QByteArray wanted =
        options.encoder.isEmpty() ? QByteArray(kPreferredEncoder) : options.encoder.toUtf8();
    const AVCodec* codec = avcodec_find_encoder_by_name(wanted.constData());
    fallback_ = codec == nullptr && options.encoder.isEmpty();
    if (fallback_) {
        codec = avcodec_find_encoder_by_name(kFallbackEncoder);
    }
    if (codec == nullptr || codec->type != AVMEDIA_TYPE_VIDEO) {
        return MStatus::Failure(QStringLiteral("The video encoder %1 is not available.")
                                    .arg(QString::fromUtf8(wanted)));
    }
    encoderName_ = QString::fromLatin1(codec->name);
    video_ = avcodec_alloc_context3(codec);
    if (video_ == nullptr) {
        return Failed(AVERROR(ENOMEM), "video encoder");
    }
    video_->width = options.width;
    video_->height = options.height;
    video_->time_base = AVRational{1, options.fps};
    video_->framerate = AVRational{options.fps, 1};
    video_->sample_aspect_ratio = AVRational{1, 1};
    const bool fullChroma = options.lossless && IsH264(codec);
    video_->pix_fmt = fullChroma ? AV_PIX_FMT_YUV444P : AV_PIX_FMT_YUV420P;
    video_->color_range = AVCOL_RANGE_MPEG;
    video_->colorspace = AVCOL_SPC_BT709;
    video_->color_primaries = AVCOL_PRI_BT709;
    video_->color_trc = AVCOL_TRC_BT709;
    video_->gop_size = options.fps * 4;
    video_->thread_count = 0;
    if (muxer_->oformat->flags & AVFMT_GLOBALHEADER) {
        video_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    AVDictionary* settings = nullptr;
    if (IsH264(codec)) {
        // Flat colours and hard edges: few bits at a low constant-quality factor.
        av_dict_set(&settings, "preset", "veryfast", 0);
        av_dict_set(&settings, "tune", "animation", 0);
        av_dict_set(&settings, options.lossless ? "qp" : "crf", options.lossless ? "0" : "18", 0);
    } else {
        video_->flags |= AV_CODEC_FLAG_QSCALE;
        video_->global_quality = FF_QP2LAMBDA * (options.lossless ? 1 : 3);
    }
    const int status = avcodec_open2(video_, codec, &settings);
    av_dict_free(&settings);
    if (status < 0) {
        return MStatus::Failure(QStringLiteral("The video encoder %1 cannot be opened: %2")
                                    .arg(encoderName_, AudioStatus::Describe(status)));
    }
    picture_ = av_frame_alloc();
    if (picture_ == nullptr) {
        return Failed(AVERROR(ENOMEM), "video picture");
    }
    picture_->format = video_->pix_fmt;
    picture_->width = video_->width;
    picture_->height = video_->height;
    picture_->color_range = video_->color_range;
    picture_->colorspace = video_->colorspace;
    picture_->color_primaries = video_->color_primaries;
    picture_->color_trc = video_->color_trc;
    if (const int s = av_frame_get_buffer(picture_, 0); s < 0) {
        return Failed(s, "video picture");
    }
    AVStream* stream = avformat_new_stream(muxer_, nullptr);
    if (stream == nullptr) {
        return Failed(AVERROR(ENOMEM), "video stream");
    }
    stream->time_base = video_->time_base;
    stream->avg_frame_rate = video_->framerate;
    return avcodec_parameters_from_context(stream->codecpar, video_) < 0
               ? Failed(AVERROR(EINVAL), "video stream")
               : MStatus::Ok();
}

MStatus MVideoWriter::OpenAudio(int sourceRateHz) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (codec == nullptr) {
        return MStatus::Failure(QStringLiteral("The AAC audio encoder is not available."));
    }
    audio_ = avcodec_alloc_context3(codec);
    if (audio_ == nullptr) {
        return Failed(AVERROR(ENOMEM), "audio encoder");
    }
    audio_->sample_fmt = AV_SAMPLE_FMT_FLTP;
    audio_->sample_rate = kAudioRateHz;
    av_channel_layout_default(&audio_->ch_layout, kChannels);
    audio_->bit_rate = kAudioBitRate;
    audio_->time_base = AVRational{1, kAudioRateHz};
    if (muxer_->oformat->flags & AVFMT_GLOBALHEADER) {
        audio_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (const int s = avcodec_open2(audio_, codec, nullptr); s < 0) {
        return Failed(s, "The AAC audio encoder cannot be opened");
    }
    AVStream* stream = avformat_new_stream(muxer_, nullptr);
    if (stream == nullptr || avcodec_parameters_from_context(stream->codecpar, audio_) < 0) {
        return Failed(AVERROR(ENOMEM), "audio stream");
    }
    stream->time_base = audio_->time_base;
    if (const int s = feed_.Open(audio_, AV_SAMPLE_FMT_S16, kChannels, sourceRateHz); s < 0) {
        return Failed(s, "audio converter");
    }
    return MStatus::Ok();
}

MStatus MVideoWriter::Open(const QString& path, const Options& options, int sourceRateHz) {
    Abort();
    if (options.width < 2 || options.height < 2 || options.width % 2 != 0 ||
        options.height % 2 != 0 || options.fps <= 0 || sourceRateHz <= 0) {
        return MStatus::Failure(QStringLiteral("%1 x %2 at %3 frames per second cannot be written.")
                                    .arg(options.width)
                                    .arg(options.height)
                                    .arg(options.fps));
    }
    path_ = QFile::encodeName(path);
    if (const int s = avformat_alloc_output_context2(&muxer_, nullptr, "mp4", path_.constData());
        s < 0 || muxer_ == nullptr) {
        return Failed(s < 0 ? s : AVERROR(ENOMEM), "MP4 muxer");
    }
    packet_ = av_packet_alloc();
    if (packet_ == nullptr) {
        return Failed(AVERROR(ENOMEM), "packet");
    }
    if (MStatus s = OpenVideo(options); !s) {
        return s;
    }
    if (MStatus s = OpenAudio(sourceRateHz); !s) {
        return s;
    }
    if (!options.title.isEmpty()) {
        av_dict_set(&muxer_->metadata, "title", options.title.toUtf8().constData(), 0);
    }
    if (!options.artist.isEmpty()) {
        av_dict_set(&muxer_->metadata, "artist", options.artist.toUtf8().constData(), 0);
    }
    if (const int s = avio_open(&muxer_->pb, path_.constData(), AVIO_FLAG_WRITE); s < 0) {
        return MStatus::Failure(AudioStatus::Describe(s));
    }
    AVDictionary* muxing = nullptr;
    av_dict_set(&muxing, "movflags", "+faststart", 0);
    const int s = avformat_write_header(muxer_, &muxing);
    av_dict_free(&muxing);
    if (s < 0) {
        return MStatus::Failure(AudioStatus::Describe(s));
    }
    headerWritten_ = true;
    return MStatus::Ok();
}

MStatus MVideoWriter::Drain(AVCodecContext* encoder, int streamIndex) {
    for (;;) {
        int s = avcodec_receive_packet(encoder, packet_);
        if (s == AVERROR(EAGAIN) || s == AVERROR_EOF) {
            return MStatus::Ok();
        }
        if (s < 0) {
            return Failed(s, "encoding");
        }
        packet_->stream_index = streamIndex;
        av_packet_rescale_ts(packet_, encoder->time_base, muxer_->streams[streamIndex]->time_base);
        s = av_interleaved_write_frame(muxer_, packet_);
        if (s >= 0 && muxer_->pb->error < 0) {
            s = muxer_->pb->error;
        }
        if (s < 0) {
            return MStatus::Failure(AudioStatus::Describe(s));
        }
    }
}

MStatus MVideoWriter::PicturePlanes(uint8_t* planes[3], int lineBytes[3]) {
    if (!headerWritten_) {
        return MStatus::Failure(QStringLiteral("The video is not open."));
    }
    // The encoder may still hold the last picture: then it is copied first.
    if (const int s = av_frame_make_writable(picture_); s < 0) {
        return Failed(s, "video picture");
    }
    for (int i = 0; i < 3; ++i) {
        planes[i] = picture_->data[i];
        lineBytes[i] = picture_->linesize[i];
    }
    return MStatus::Ok();
}

MStatus MVideoWriter::WritePicture() {
    picture_->pts = nextPicture_++;
    if (const int s = avcodec_send_frame(video_, picture_); s < 0) {
        return Failed(s, "encoding");
    }
    return Drain(video_, kVideoStream);
}

MStatus MVideoWriter::EncodeAudio(bool flush) {
    int s = 0;
    while (AVFrame* frame = feed_.NextFrame(flush, &s)) {
        if (s = avcodec_send_frame(audio_, frame); s < 0) {
            return Failed(s, "encoding");
        }
        if (MStatus d = Drain(audio_, kAudioStream); !d) {
            return d;
        }
    }
    return s < 0 ? Failed(s, "audio buffer") : MStatus::Ok();
}

MStatus MVideoWriter::WriteAudio(const int16_t* samples, int64_t frames) {
    if (!headerWritten_) {
        return MStatus::Failure(QStringLiteral("The video is not open."));
    }
    for (int64_t done = 0; done < frames;) {
        const int n = static_cast<int>(std::min(kChunkFrames, frames - done));
        const int16_t* chunk = samples + done * kChannels;
        if (samples == nullptr) {
            silence_.resize(static_cast<size_t>(n) * kChannels, 0);
            chunk = silence_.data();
        }
        if (const int s = feed_.Push(reinterpret_cast<const uint8_t*>(chunk), n); s < 0) {
            return Failed(s, "audio converter");
        }
        if (MStatus s = EncodeAudio(false); !s) {
            return s;
        }
        done += n;
    }
    return MStatus::Ok();
}

MStatus MVideoWriter::Finish() {
    if (!headerWritten_) {
        return MStatus::Failure(QStringLiteral("The video is not open."));
    }
    if (const int drained = feed_.Drain(); drained < 0) {
        return Failed(drained, "audio converter");
    }
    MStatus s = EncodeAudio(true);
    if (s && avcodec_send_frame(audio_, nullptr) >= 0) {
        s = Drain(audio_, kAudioStream);
    }
    if (s && avcodec_send_frame(video_, nullptr) >= 0) {
        s = Drain(video_, kVideoStream);
    }
    if (!s) {
        return s;
    }
    // With the index moved to the front, the file is read back and written again here.
    int status = av_write_trailer(muxer_);
    headerWritten_ = false;
    if (status >= 0 && muxer_->pb->error < 0) {
        status = muxer_->pb->error;
    }
    const int closed = avio_closep(&muxer_->pb);
    if (status >= 0) {
        status = closed;
    }
    return status < 0 ? MStatus::Failure(AudioStatus::Describe(status)) : MStatus::Ok();
}
