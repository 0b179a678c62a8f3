#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

#include "audio/MEncoderFeed.h"
#include "base/MStatus.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;

// Writes an MP4 file of constant-rate video pictures and 16-bit stereo PCM sound: the pictures
// in H.264 (libx264), or in MPEG-4 Part 2 where the FFmpeg libraries have no H.264 encoder, the
// sound in AAC, the index at the front of the file (so that playing can start before the whole
// file has arrived), and the title and artist in the file's metadata.
class MVideoWriter {
public:
    static constexpr const char* kPreferredEncoder = "libx264";
    static constexpr const char* kFallbackEncoder = "mpeg4";
    static constexpr int kAudioRateHz = 44100;
    static constexpr int kAudioBitRate = 192000;

    struct Options {
        int width = 1280;
        int height = 720;
        int fps = 30;
        // No loss beyond the colour conversion (full-size chroma): for checking pictures.
        bool lossless = false;
        // The video encoder by FFmpeg's name; empty: the preferred one, else the fallback.
        QString encoder;
        QString title;
        QString artist;
    };

    MVideoWriter();
    virtual ~MVideoWriter();
    MVideoWriter(const MVideoWriter&) = delete;
    MVideoWriter& operator=(const MVideoWriter&) = delete;

    // Creates path. sourceRateHz: the sample rate of the sound given to WriteAudio.
    MStatus Open(const QString& path, const Options& options, int sourceRateHz);
    // The encoder in use and whether it is the fallback for a missing preferred one.
    const QString& EncoderName() const { return encoderName_; }
    bool IsFallback() const { return fallback_; }
    // Whether the chroma planes are halved (4:2:0) or full size (4:4:4).
    bool HalfChroma() const;

    // The planes of the next picture, holding the last picture written.
    MStatus PicturePlanes(uint8_t* planes[3], int lineBytes[3]);
    MStatus WritePicture();
    // Interleaved 16-bit stereo sample frames at the source rate; null writes silence.
    MStatus WriteAudio(const int16_t* samples, int64_t frames);
    // Ends both streams, writes the index and closes the file.
    MStatus Finish();
    // Closes without finishing (the caller removes the file).
    void Abort();

private:
    MStatus OpenVideo(const Options& options);
    MStatus OpenAudio(int sourceRateHz);
    MStatus Drain(AVCodecContext* encoder, int streamIndex);
    MStatus EncodeAudio(bool flush);
    MStatus Failed(int status, const char* what);

    AVFormatContext* muxer_ = nullptr;
    AVCodecContext* video_ = nullptr;
    AVCodecContext* audio_ = nullptr;
    AVFrame* picture_ = nullptr;
    AVPacket* packet_ = nullptr;
    int64_t nextPicture_ = 0;
    MEncoderFeed feed_;
    bool headerWritten_ = false;
    QString encoderName_;
    bool fallback_ = false;
    QByteArray path_;
    std::vector<int16_t> silence_;
};
