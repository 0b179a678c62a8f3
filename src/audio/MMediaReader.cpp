#include "audio/MMediaReader.h"

#include <QFile>

#include "audio/AudioStatus.h"
#include "audio/FfmpegLog.h"
#include "base/MFileName.h"
#include "base/MInterrupt.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace {

// Windows Media attribute names and the FFmpeg metadata keys that carry them.
const char* MetadataKey(const QString& name) {
    if (name == QLatin1String("Title")) {
        return "title";
    }
    if (name == QLatin1String("Author")) {
        return "artist";
    }
    if (name == QLatin1String("WM/AlbumArtist")) {
        return "album_artist";
    }
    if (name == QLatin1String("WM/Publisher")) {
        return "publisher";
    }
    if (name == QLatin1String("WM/AlbumTitle")) {
        return "album";
    }
    if (name == QLatin1String("WM/Track") || name == QLatin1String("WM/TrackNumber")) {
        return "track";
    }
    return nullptr;
}

}  // namespace

MMediaReader::MMediaReader() {
    RouteFfmpegLogToTrace();
}

MMediaReader::~MMediaReader() {
    Close();
}

void MMediaReader::Close() {
    swr_free(&swr_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
    streamIndex_ = -1;
    output_ = WaveFormat();
    swrRate_ = 0;
    swrFormat_ = -1;
    swrChannels_ = 0;
    highQuality_ = false;
    demuxEnded_ = false;
    decoderDrained_ = false;
    producedAudio_ = false;
}

int MMediaReader::StopReading(void* opaque) {
    const auto* self = static_cast<const MMediaReader*>(opaque);
    if (MInterrupt::Requested()) {
        return 1;
    }
    // A file that yields no audio at all over this much of its length (a damaged or zero-filled
    // file) would otherwise be read to its end, which for a large one takes minutes.
    const AVIOContext* io = self->format_ != nullptr ? self->format_->pb : nullptr;
    return !self->producedAudio_ && io != nullptr && io->pos > kMaxBytesWithoutAudio ? 1 : 0;
}

int MMediaReader::Open(const QString& path) {
    Close();
    const QByteArray name = MFileName::Encode(path);
    format_ = avformat_alloc_context();
    if (format_ == nullptr) {
        return AVERROR(ENOMEM);
    }
    format_->interrupt_callback.callback = &MMediaReader::StopReading;
    format_->interrupt_callback.opaque = this;
    int status = avformat_open_input(&format_, name.constData(), nullptr, nullptr);
    if (status < 0) {
        format_ = nullptr;
        return status;
    }
    status = avformat_find_stream_info(format_, nullptr);
    if (status < 0) {
        Close();
        return status;
    }
    return AudioStatus::kOk;
}

QString MMediaReader::Attribute(const QString& name) const {
    const char* key = MetadataKey(name);
    if (format_ == nullptr || key == nullptr) {
        return {};
    }
    const AVDictionaryEntry* entry = av_dict_get(format_->metadata, key, nullptr, 0);
    if (entry == nullptr) {
        // Some containers (Ogg, FLAC in Matroska) keep the tags on the stream.
        for (unsigned i = 0; i < format_->nb_streams && entry == nullptr; ++i) {
            if (format_->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
                entry = av_dict_get(format_->streams[i]->metadata, key, nullptr, 0);
                break;
            }
        }
    }
    return entry != nullptr ? QString::fromUtf8(entry->value) : QString();
}

uint64_t MMediaReader::DurationHns() const {
    if (format_ == nullptr) {
        return 0;
    }
    if (format_->duration != AV_NOPTS_VALUE && format_->duration > 0) {
        return static_cast<uint64_t>(av_rescale(format_->duration, 10000000, AV_TIME_BASE));
    }
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        const AVStream* s = format_->streams[i];
        if (s->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && s->duration != AV_NOPTS_VALUE &&
            s->duration > 0) {
            return static_cast<uint64_t>(
                av_rescale_q(s->duration, s->time_base, AVRational{1, 10000000}));
        }
    }
    return 0;
}

int MMediaReader::SelectAudio(WaveFormat* format) {
    if (format_ == nullptr) {
        return AudioStatus::kNotOpen;
    }
    if (codec_ != nullptr) {
        *format = output_;
        return AudioStatus::kOk;
    }
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        if (format_->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            streamIndex_ = static_cast<int>(i);
            break;
        }
    }
    if (streamIndex_ < 0) {
        return AudioStatus::kNoAudioStream;
    }
    const AVCodecParameters* par = format_->streams[streamIndex_]->codecpar;
    const AVCodec* decoder = avcodec_find_decoder(par->codec_id);
    if (decoder == nullptr) {
        return AVERROR_DECODER_NOT_FOUND;
    }
    codec_ = avcodec_alloc_context3(decoder);
    // A reader asked again after a decoder that would not open keeps its packet and frame.
    if (packet_ == nullptr) {
        packet_ = av_packet_alloc();
    }
    if (frame_ == nullptr) {
        frame_ = av_frame_alloc();
    }
    if (codec_ == nullptr || packet_ == nullptr || frame_ == nullptr) {
        return AVERROR(ENOMEM);
    }
    int status = avcodec_parameters_to_context(codec_, par);
    if (status >= 0) {
        status = avcodec_open2(codec_, decoder, nullptr);
    }
    if (status < 0) {
        avcodec_free_context(&codec_);
        return status;
    }
    const int channels = codec_->ch_layout.nb_channels;
    if (codec_->sample_rate <= 0 || channels <= 0 || channels > 8) {
        avcodec_free_context(&codec_);
        return AudioStatus::kUnsupportedFormat;
    }
    output_ = WaveFormat::Pcm(static_cast<uint32_t>(codec_->sample_rate), 16,
                              static_cast<uint16_t>(channels));
    *format = output_;
    return AudioStatus::kOk;
}

int MMediaReader::SelectAudioAs(uint32_t targetRate, uint16_t targetChannels,
                                WaveFormat* sourceFormat) {
    WaveFormat source;
    const int status = SelectAudio(&source);
    if (status < 0) {
        return status;
    }
    const int bytes = av_get_bytes_per_sample(codec_->sample_fmt);
    const bool isFloat =
        codec_->sample_fmt == AV_SAMPLE_FMT_FLT || codec_->sample_fmt == AV_SAMPLE_FMT_FLTP ||
        codec_->sample_fmt == AV_SAMPLE_FMT_DBL || codec_->sample_fmt == AV_SAMPLE_FMT_DBLP;
    int bits = codec_->bits_per_raw_sample > 0 ? codec_->bits_per_raw_sample : bytes * 8;
    if (isFloat || bits <= 0) {
        bits = bytes > 0 ? bytes * 8 : 32;
    }
    source.bitsPerSample = static_cast<uint16_t>(bits);
    *sourceFormat = source;
    output_ = WaveFormat::Pcm(targetRate, 16, targetChannels);
    highQuality_ = true;
    return AudioStatus::kOk;
}

int MMediaReader::ConvertFrame(std::vector<uint8_t>* pcm) {
    const int channels = frame_->ch_layout.nb_channels;
    if (channels <= 0 || frame_->sample_rate <= 0) {
        return AVERROR_INVALIDDATA;
    }
    if (swr_ == nullptr || swrRate_ != frame_->sample_rate || swrFormat_ != frame_->format ||
        swrChannels_ != channels) {
        // Normally only the sample format changes; a stream that switches its rate or channel
        // count midway is brought back to the format announced at the start.
        swr_free(&swr_);
        AVChannelLayout outLayout;
        av_channel_layout_default(&outLayout, output_.channels);
        AVChannelLayout inLayout;
        if (frame_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
            av_channel_layout_default(&inLayout, channels);
        } else {
            av_channel_layout_copy(&inLayout, &frame_->ch_layout);
        }
        int status = swr_alloc_set_opts2(
            &swr_, &outLayout, AV_SAMPLE_FMT_S16, static_cast<int>(output_.sampleRate), &inLayout,
            static_cast<AVSampleFormat>(frame_->format), frame_->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&inLayout);
        av_channel_layout_uninit(&outLayout);
        if (status >= 0 && highQuality_) {
            // The SoX resampler at its highest precision; samples are rounded to 16 bits without
            // dither, so that the same file always gives the same work WAV.
            av_opt_set(swr_, "resampler", "soxr", 0);
            av_opt_set_int(swr_, "precision", 28, 0);
            // Filtered in double precision, so that only the final 16-bit rounding adds noise.
            av_opt_set_sample_fmt(swr_, "internal_sample_fmt", AV_SAMPLE_FMT_DBLP, 0);
        }
        if (status >= 0 && channels == 1 && output_.channels == 2) {
            // Mono plays at full level on both sides, not 3 dB lower as a centre speaker.
            const double both[2] = {1.0, 1.0};
            status = swr_set_matrix(swr_, both, 1);
        }
        if (status >= 0) {
            status = swr_init(swr_);
        }
        if (status < 0) {
            swr_free(&swr_);
            return status;
        }
        swrRate_ = frame_->sample_rate;
        swrFormat_ = frame_->format;
        swrChannels_ = channels;
    }
    const int outSamples = swr_get_out_samples(swr_, frame_->nb_samples);
    if (outSamples < 0) {
        return outSamples;
    }
    const size_t start = pcm->size();
    pcm->resize(start + static_cast<size_t>(outSamples) * output_.blockAlign);
    uint8_t* out = pcm->data() + start;
    const int converted =
        swr_convert(swr_, &out, outSamples, const_cast<const uint8_t**>(frame_->extended_data),
                    frame_->nb_samples);
    if (converted < 0) {
        pcm->resize(start);
        return converted;
    }
    pcm->resize(start + static_cast<size_t>(converted) * output_.blockAlign);
    return AudioStatus::kOk;
}

int MMediaReader::DrainConverter(std::vector<uint8_t>* pcm) {
    if (swr_ == nullptr) {
        return AudioStatus::kOk;
    }
    const int outSamples = swr_get_out_samples(swr_, 0);
    if (outSamples <= 0) {
        return AudioStatus::kOk;
    }
    const size_t start = pcm->size();
    pcm->resize(start + static_cast<size_t>(outSamples) * output_.blockAlign);
    uint8_t* out = pcm->data() + start;
    const int converted = swr_convert(swr_, &out, outSamples, nullptr, 0);
    pcm->resize(start + static_cast<size_t>(std::max(converted, 0)) * output_.blockAlign);
    return converted < 0 ? converted : AudioStatus::kOk;
}

int64_t MMediaReader::ReadPcm(std::vector<uint8_t>* pcm) {
    if (codec_ == nullptr) {
        return AudioStatus::kNotOpen;
    }
    constexpr int kMaxRetries = 1000;
    int retries = 0;
    const size_t before = pcm->size();
    while (pcm->size() == before) {
        // Take every frame the decoder has ready.
        for (;;) {
            const int status = avcodec_receive_frame(codec_, frame_);
            if (status == AVERROR(EAGAIN)) {
                break;
            }
            if (status == AVERROR_EOF) {
                if (!decoderDrained_) {
                    decoderDrained_ = true;
                    const int drained = DrainConverter(pcm);
                    if (drained < 0) {
                        return drained;
                    }
                }
                return static_cast<int64_t>(pcm->size() - before);
            }
            if (status == AVERROR_INVALIDDATA) {
                continue;  // a damaged frame is dropped; the decoder goes on with the next
            }
            if (status < 0) {
                return status;
            }
            const int converted = ConvertFrame(pcm);
            av_frame_unref(frame_);
            producedAudio_ = producedAudio_ || pcm->size() != before;
            if (converted < 0) {
                return converted;
            }
        }
        if (pcm->size() != before) {
            break;
        }
        // Feed the decoder the next packet of the stream, or the end.
        if (demuxEnded_) {
            return static_cast<int64_t>(pcm->size() - before);
        }
        const int read = av_read_frame(format_, packet_);
        if (read == AVERROR(EAGAIN) && ++retries < kMaxRetries) {
            continue;
        }
        if (read < 0) {
            // The end of the file, or a damaged or cut-off end: what was read so far stands.
            demuxEnded_ = true;
            avcodec_send_packet(codec_, nullptr);
            continue;
        }
        if (packet_->stream_index == streamIndex_) {
            const int sent = avcodec_send_packet(codec_, packet_);
            // A damaged packet is skipped, as players do; the rest of the stream still plays.
            if (sent < 0 && sent != AVERROR_INVALIDDATA && sent != AVERROR(EAGAIN)) {
                av_packet_unref(packet_);
                return sent;
            }
        }
        av_packet_unref(packet_);
    }
    return static_cast<int64_t>(pcm->size() - before);
}
