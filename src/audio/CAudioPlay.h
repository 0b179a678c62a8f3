#pragma once

#include <QString>
#include <cstdint>

#include "audio/WaveFormat.h"

class MProgress;

// Decodes a WMA or MP3 file (or anything else FFmpeg reads) into a PCM WAV file for music
// import, and reads a media file's tags and duration. Playing is the audio player's job.
//
// Status values are 0 or negative (AudioStatus); a failed step leaves its message in
// ErrorText() (the status itself goes to the trace log). One object serves one operation.
class CAudioPlay {
public:
    CAudioPlay();
    virtual ~CAudioPlay();
    CAudioPlay(const CAudioPlay&) = delete;
    CAudioPlay& operator=(const CAudioPlay&) = delete;

    // Must precede everything else.
    int Init();

    // Formats the decoder accepts besides 44,100 Hz, 16-bit stereo (all off after Init).
    void SetAcceptAnyRate(bool accept) { acceptAnyRate_ = accept; }
    void SetAcceptAnyBits(bool accept) { acceptAnyBits_ = accept; }
    void SetAcceptAnyChannels(bool accept) { acceptAnyChannels_ = accept; }
    // Converts whatever the file holds to 44,100 Hz 16-bit stereo with the high-quality
    // resampler (off after Init); the format checks above then do not apply.
    void SetConvertToWorkFormat(bool convert) { convert_ = convert; }

    // Decodes path into outputPath: 44 zero bytes (room for the work-WAV header) followed by the
    // PCM data. Progress is reported against expectedBytes, or against the length the duration
    // gives when that is 0. start is in 1/75 s, counted from the end when fromEnd is set.
    // Returns when the decoding is done; on failure no output file is left.
    int Open(const QString& path, const QString& outputPath, MProgress* progress,
             uint64_t expectedBytes, uint32_t start, bool fromEnd);
    // Fills the requested texts (null pointers are skipped) with at most maxChars characters.
    // An empty author is taken from "WM/AlbumArtist", an empty track from "WM/TrackNumber".
    // Unless the path is a web address, the duration is taken from the file too.
    int ReadTags(const QString& path, QString* title, QString* author, QString* publisher,
                 QString* album, QString* track, int maxChars);
    // Milliseconds.
    uint32_t Duration() const { return static_cast<uint32_t>(durationHns_ / 10000); }
    void Close();

    // The format of the decoded output, as reported to the owner.
    uint32_t SampleRate() const { return sampleRate_; }
    uint16_t BitsPerSample() const { return bitsPerSample_; }
    uint16_t Channels() const { return channels_; }
    uint64_t BytesWritten() const { return bytesWritten_; }
    // The format of the file's own audio stream (0 where it could not be found).
    uint32_t SourceSampleRate() const { return source_.sampleRate; }
    uint16_t SourceBitsPerSample() const { return source_.bitsPerSample; }
    uint16_t SourceChannels() const { return source_.channels; }
    const QString& ErrorText() const { return errorText_; }

private:
    int Fail(const QString& text, int status);

    bool initialised_ = false;
    bool acceptAnyRate_ = false;
    bool acceptAnyBits_ = false;
    bool acceptAnyChannels_ = false;
    bool convert_ = false;
    WaveFormat source_;
    bool streaming_ = false;
    uint64_t durationHns_ = 0;
    uint32_t sampleRate_ = 0;
    uint16_t bitsPerSample_ = 0;
    uint16_t channels_ = 0;
    uint64_t bytesWritten_ = 0;
    QString errorText_;
};

// The playing time of a media file in milliseconds, 0 when none can be found. Files that do not
// declare a duration are measured by decoding them.
uint32_t MediaDurationMs(const QString& path);
