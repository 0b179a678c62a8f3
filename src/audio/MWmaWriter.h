#pragma once

#include <QSaveFile>
#include <QString>
#include <cstdint>
#include <vector>

#include "audio/MEncoderFeed.h"
#include "audio/MediaAttribute.h"
#include "audio/WaveFormat.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVIOContext;
struct AVFrame;
struct AVPacket;

// Writes Windows Media Audio (WMA version 2 in an ASF file) from PCM samples. The output is
// 44,100 Hz stereo at the bit rate of the chosen profile; the file appears under its name only
// when Finish succeeds. Every call returns 0 or a negative status (AudioStatus).
class MWmaWriter {
public:
    MWmaWriter();
    virtual ~MWmaWriter();
    MWmaWriter(const MWmaWriter&) = delete;
    MWmaWriter& operator=(const MWmaWriter&) = delete;

    // The bit rate in kbit/s that a system profile number stands for (23: 96, 24: 128,
    // 25: 160, 26: 192); 0 for other numbers.
    static int ProfileBitRateKbps(int profileNumber);

    // input: 8- or 16-bit PCM, 1 or 2 channels, any rate.
    int Open(const QString& path, int profileNumber, const WaveFormat& input,
             const std::vector<MediaAttribute>& attributes);
    // Appends PCM bytes in the input format (whole sample frames).
    int Write(const uint8_t* pcm, int64_t bytes);
    // Ends the stream and puts the file in place.
    int Finish();
    // Drops everything written; no file is left behind.
    void Abort();

private:
    int EncodeFrames(bool flush);
    int SendFrame(AVFrame* frame);
    void Release();
    static int WritePacket(void* opaque, uint8_t* buffer, int size);
    static int64_t Seek(void* opaque, int64_t offset, int whence);

    QSaveFile file_;
    AVFormatContext* muxer_ = nullptr;
    AVIOContext* io_ = nullptr;
    AVCodecContext* encoder_ = nullptr;
    AVPacket* packet_ = nullptr;
    WaveFormat input_;
    MEncoderFeed feed_;
    bool headerWritten_ = false;
    bool ioFailed_ = false;
};
