#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "audio/WaveFormat.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVPacket;
struct AVFrame;
struct SwrContext;

// Reads a compressed media file (WMA, MP3 and whatever else FFmpeg can demux): its tags, its
// duration, the format of its first audio stream, and that stream decoded to interleaved
// signed 16-bit PCM at the stream's own sample rate and channel count. Every call returns 0 or
// a negative status (AudioStatus).
class MMediaReader {
public:
    MMediaReader();
    virtual ~MMediaReader();
    MMediaReader(const MMediaReader&) = delete;
    MMediaReader& operator=(const MMediaReader&) = delete;

    int Open(const QString& path);
    void Close();
    bool IsOpen() const { return format_ != nullptr; }

    // A header attribute by its Windows Media name: "Title", "Author", "WM/AlbumArtist",
    // "WM/Publisher", "WM/AlbumTitle", "WM/Track", "WM/TrackNumber". Empty when missing.
    QString Attribute(const QString& name) const;
    // The "Duration" attribute in 100-ns units; 0 when unknown.
    uint64_t DurationHns() const;

    // Chooses the first audio stream and prepares its decoder; *format gets the PCM format
    // that ReadPcm delivers (16 bits, the stream's rate and channels).
    int SelectAudio(WaveFormat* format);
    // The same, but ReadPcm delivers 16-bit PCM at targetRate with targetChannels, converted by
    // the high-quality resampler; *sourceFormat gets the stream's own rate and channels (with
    // the bits of its samples, 32 for floating point).
    int SelectAudioAs(uint32_t targetRate, uint16_t targetChannels, WaveFormat* sourceFormat);
    // Appends the next decoded samples to *pcm. Returns the bytes appended; 0 at the end.
    int64_t ReadPcm(std::vector<uint8_t>* pcm);

    // Bytes of a file read without any audio coming out before the file is given up.
    static constexpr int64_t kMaxBytesWithoutAudio = 32LL * 1024 * 1024;

private:
    // FFmpeg's interrupt callback: stops reading once a signal asked to stop, or when the file
    // has given no audio over kMaxBytesWithoutAudio.
    static int StopReading(void* opaque);
    int ConvertFrame(std::vector<uint8_t>* pcm);
    int DrainConverter(std::vector<uint8_t>* pcm);

    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    SwrContext* swr_ = nullptr;
    int streamIndex_ = -1;
    WaveFormat output_;
    // The input parameters the converter was set up for.
    int swrRate_ = 0;
    int swrFormat_ = -1;
    int swrChannels_ = 0;
    // Convert to the output rate and channels with the high-quality resampler.
    bool highQuality_ = false;
    bool demuxEnded_ = false;
    bool decoderDrained_ = false;
    bool producedAudio_ = false;
};
