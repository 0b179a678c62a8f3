#pragma once

#include <cstdint>

// The one place that ties audio time to the CD+G stream. The work WAV runs at 44,100 sample
// frames per second, the subcode stream at 300 packets of 24 bytes per second, so one packet
// lasts exactly 147 sample frames. All conversions truncate towards zero, the way the stream
// positions of a song have always been computed.
class CdgTimeBase {
public:
    static constexpr int kSampleRateHz = 44100;
    static constexpr int kPacketBytes = 24;
    static constexpr int kPacketsPerSecond = 300;
    static constexpr int kFramesPerPacket = kSampleRateHz / kPacketsPerSecond;      // 147
    static constexpr int kStreamBytesPerSecond = kPacketsPerSecond * kPacketBytes;  // 7,200
    static constexpr int kAudioBytesPerSecond = kSampleRateHz * 4;  // 16-bit stereo: 176,400
    static constexpr int kPacketsPerSector = 4;
    static constexpr int kSectorAudioBytes = 2352;

    // Stream byte position of a sample frame: (frames / 147) x 24, integer division first.
    static constexpr int64_t StreamBytesFromFrames(int64_t frames) {
        return frames / kFramesPerPacket * kPacketBytes;
    }
    // Sample frame of a stream byte position: bytes x 147 / 24.
    static constexpr int64_t FramesFromStreamBytes(int64_t bytes) {
        return bytes * kFramesPerPacket / kPacketBytes;
    }
    // Index of the packet that is due at a sample frame.
    static constexpr int64_t PacketIndexFromFrames(int64_t frames) {
        return frames / kFramesPerPacket;
    }
    // Bytes of 16-bit stereo audio that play as long as a stream of the given length (rounded
    // to the nearest byte; exact for whole packets).
    static constexpr int64_t AudioBytesFromStreamBytes(int64_t bytes) {
        return (bytes * kAudioBytesPerSecond + kStreamBytesPerSecond / 2) / kStreamBytesPerSecond;
    }
    // Sample frame of a time in seconds (truncated).
    static constexpr int64_t FramesFromSeconds(double seconds) {
        return static_cast<int64_t>(seconds * kSampleRateHz);
    }
    static constexpr double SecondsFromFrames(int64_t frames) {
        return static_cast<double>(frames) / kSampleRateHz;
    }
};

static_assert(CdgTimeBase::StreamBytesFromFrames(44100) == 7200);
static_assert(CdgTimeBase::FramesFromStreamBytes(7200) == 44100);
