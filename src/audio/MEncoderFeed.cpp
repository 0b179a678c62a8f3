#include "audio/MEncoderFeed.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

MEncoderFeed::~MEncoderFeed() {
    Release();
}

void MEncoderFeed::Release() {
    av_frame_free(&frame_);
    av_audio_fifo_free(fifo_);
    fifo_ = nullptr;
    swr_free(&swr_);
    encoder_ = nullptr;
    nextSample_ = 0;
}

int MEncoderFeed::Open(const AVCodecContext* encoder, int inFormat, int inChannels, int inRateHz) {
    Release();
    encoder_ = encoder;
    AVChannelLayout inLayout;
    av_channel_layout_default(&inLayout, inChannels);
    // FFmpeg 5 takes the output layout as a non-const pointer; it only reads it.
    auto* outLayout = const_cast<AVChannelLayout*>(&encoder->ch_layout);
    int status =
        swr_alloc_set_opts2(&swr_, outLayout, AV_SAMPLE_FMT_FLTP, encoder->sample_rate, &inLayout,
                            static_cast<AVSampleFormat>(inFormat), inRateHz, 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    if (status >= 0) {
        status = swr_init(swr_);
    }
    if (status < 0) {
        return status;
    }
    fifo_ = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, encoder->ch_layout.nb_channels,
                                std::max(encoder->frame_size, 1) * 4);
    frame_ = av_frame_alloc();
    return fifo_ == nullptr || frame_ == nullptr ? AVERROR(ENOMEM) : 0;
}

int MEncoderFeed::Queue(const uint8_t* const* in, int frames) {
    const int outMax = swr_get_out_samples(swr_, frames);
    if (outMax <= 0) {
        return outMax;
    }
    const int channels = encoder_->ch_layout.nb_channels;
    converted_.resize(static_cast<size_t>(outMax) * channels);
    std::vector<uint8_t*> planes(channels);
    for (int c = 0; c < channels; ++c) {
        planes[c] = reinterpret_cast<uint8_t*>(converted_.data() + static_cast<size_t>(c) * outMax);
    }
    const int got =
        swr_convert(swr_, planes.data(), outMax, const_cast<const uint8_t**>(in), frames);
    if (got < 0) {
        return got;
    }
    if (got > 0 &&
        av_audio_fifo_write(fifo_, reinterpret_cast<void**>(planes.data()), got) != got) {
        return AVERROR(ENOMEM);
    }
    return 0;
}

int MEncoderFeed::Push(const uint8_t* pcm, int frames) {
    return Queue(&pcm, frames);
}

int MEncoderFeed::Drain() {
    return Queue(nullptr, 0);
}

AVFrame* MEncoderFeed::NextFrame(bool flush, int* status) {
    *status = 0;
    const int frameSize = encoder_->frame_size > 0 ? encoder_->frame_size : 1024;
    const int queued = av_audio_fifo_size(fifo_);
    if (queued < frameSize && !(flush && queued > 0)) {
        return nullptr;
    }
    const int n = std::min(frameSize, queued);
    av_frame_unref(frame_);
    frame_->nb_samples = n;
    frame_->format = AV_SAMPLE_FMT_FLTP;
    frame_->sample_rate = encoder_->sample_rate;
    int s = av_channel_layout_copy(&frame_->ch_layout, &encoder_->ch_layout);
    if (s >= 0) {
        s = av_frame_get_buffer(frame_, 0);
    }
    if (s >= 0 && av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame_->data), n) != n) {
        s = AVERROR_BUG;
    }
    if (s < 0) {
        *status = s;
        return nullptr;
    }
    frame_->pts = nextSample_;
    nextSample_ += n;
    return frame_;
}
