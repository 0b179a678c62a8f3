#pragma once

#include "audio/MAudioOutputFactory.h"

// The sound devices that Qt Multimedia knows (on Linux, the sinks of the PulseAudio server),
// the system's default device first.
// Construct it on the application's main thread: Qt Multimedia sets up its connection to the
// sound server on first use.
class MQtAudioOutputFactory : public MAudioOutputFactory {
public:
    MQtAudioOutputFactory();

    QStringList DeviceNames() override;
    std::unique_ptr<MAudioOutput> CreateOutput(int deviceIndex) override;
};
