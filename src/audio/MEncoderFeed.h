#pragma once

#include <cstdint>
#include <vector>

struct AVAudioFifo;
struct AVCodecContext;
struct AVFrame;
struct SwrContext;

// Feeds an audio encoder that takes planar float frames: converts interleaved PCM of any rate,
// width and channel count to the encoder's rate and channels, queues it, and hands the samples
// out as frames of the encoder's size (the last one may be short), stamped with their position
// in samples. Calls return 0 or a negative FFmpeg status. One feed serves one encoder at a time.
class MEncoderFeed {
public:
    MEncoderFeed() = default;
    ~MEncoderFeed();
    MEncoderFeed(const MEncoderFeed&) = delete;
    MEncoderFeed& operator=(const MEncoderFeed&) = delete;

    // encoder: opened, planar float. inFormat: an AVSampleFormat of interleaved samples.
    int Open(const AVCodecContext* encoder, int inFormat, int inChannels, int inRateHz);
    // Converts frames sample frames of interleaved PCM in the input format and queues them.
    int Push(const uint8_t* pcm, int frames);
    // Queues what the converter still holds: call once, after the last Push.
    int Drain();
    // The next whole frame (with flush: also the short rest), or null when there is none yet;
    // the frame stays valid until the next call. A failure leaves null and a status in *status.
    AVFrame* NextFrame(bool flush, int* status);
    void Release();

private:
    int Queue(const uint8_t* const* in, int frames);

    const AVCodecContext* encoder_ = nullptr;
    SwrContext* swr_ = nullptr;
    AVAudioFifo* fifo_ = nullptr;
    AVFrame* frame_ = nullptr;
    int64_t nextSample_ = 0;
    std::vector<float> converted_;
};
