#pragma once

#include <QThread>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "cdg/CdgColour.h"
#include "cdg/CdgPacket.h"

class MRwRenderer;

// Decodes a CD+G stream in memory into a renderer, packet by packet, following a sample
// position that its owner advances: the audio player's position during playback, a wall clock
// during previews. Runs on its own thread, or inline until stopped.
class MRwPlayer {
public:
    // Returns the current position in sample frames.
    using PositionSource = std::function<uint32_t()>;

    explicit MRwPlayer(MRwRenderer* renderer);
    virtual ~MRwPlayer();
    MRwPlayer(const MRwPlayer&) = delete;
    MRwPlayer& operator=(const MRwPlayer&) = delete;

    // The stream is not owned and must outlive playing.
    void SetStream(const uint8_t* stream, uint32_t streamBytes);
    void SetPositionSource(PositionSource source);
    // Thread priority as a Windows priority number (-2 lowest .. 2 highest, 15 time critical);
    // the setting "AutoPlayCDGDisplayPriority" supplies it, 1 by default.
    void SetThreadPriority(int priority) { priority_ = priority; }

    // Starts decoding on a new thread (threaded) or runs the loop on the caller's thread until
    // Stop is called from elsewhere. Does nothing while already playing. decodedUpTo is the
    // position up to which the stream counts as decoded already (0: from its start).
    void Start(bool threaded, uint32_t decodedUpTo = 0);
    // Stops the loop, waits for the thread to finish, forgets the stream and clears positions.
    void Stop();
    bool IsPlaying() const { return state_.load() == kPlaying; }

    // Decodes one packet into the renderer.
    void DecodePacket(const CdgPacket& packet);
    // Decodes the graphics packets with indices [firstPacket, endPacket) of a stream.
    void DecodePackets(const uint8_t* stream, uint32_t firstPacket, uint32_t endPacket);

    // Calls fn with the last decoded position while no batch of packets is being decoded, so
    // that the renderer's screen shows exactly the packets due before that position.
    void WithSettledScreen(const std::function<void(uint32_t decodedTo)>& fn);

    uint32_t HighestPosition() const { return highestPosition_.load(); }
    uint32_t LastDecodedPosition() const { return lastDecodedPosition_.load(); }

    static QThread::Priority QtPriority(int windowsPriority);

private:
    static constexpr int kStopped = 0;
    static constexpr int kPlaying = 2;

    void Loop();

    MRwRenderer* renderer_;
    std::unique_ptr<QThread> worker_;
    std::atomic<int> state_{kStopped};
    const uint8_t* stream_ = nullptr;
    uint32_t streamBytes_ = 0;
    PositionSource source_;
    int priority_ = 1;
    std::atomic<uint32_t> highestPosition_{0};
    std::atomic<uint32_t> lastDecodedPosition_{0};
    std::array<std::array<MRgb, 8>, 2> colourCache_{};
    std::array<bool, 2> colourCacheValid_{false, false};

    // Held while a batch of packets is decoded.
    std::mutex batchMutex_;
    std::atomic<bool> loopRunning_{false};
    std::atomic<Qt::HANDLE> loopThread_{nullptr};
    std::mutex wakeMutex_;
    std::condition_variable wake_;
};
