#pragma once

#include <cstdint>

#include "audio/WaveFormat.h"
#include "base/MStatus.h"

// A sound device that plays PCM bytes queued block by block and tells how much of them has been
// heard. The player feeds it from its reader thread and follows it from its monitor thread;
// every call may come from any thread.
class MAudioOutput {
public:
    virtual ~MAudioOutput() = default;

    // Connects to the device for the given format with room for queueBytes bytes that are
    // queued but not yet handed to the device. Nothing is heard before Start.
    virtual MStatus Open(const WaveFormat& format, int64_t queueBytes) = 0;
    // Stops and disconnects; Open may be called again afterwards.
    virtual void Close() = 0;

    // Queues up to bytes bytes (whole frames); returns how many were taken.
    virtual int64_t Write(const uint8_t* data, int64_t bytes) = 0;
    // Starts handing the queued audio to the device.
    virtual void Start() = 0;
    // No more audio will come: whatever is queued is to be played out, however short.
    virtual void Drain() = 0;
    // Silences the device at once and drops what is queued.
    virtual void Stop() = 0;

    // Bytes of the audio written since Open that have been heard: never more than was written,
    // never decreasing, whole frames.
    virtual int64_t PlayedBytes() = 0;
    // Bytes handed to the device since Open (queued bytes not counted).
    virtual int64_t DeviceBytes() const = 0;
};
