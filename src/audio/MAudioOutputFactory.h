#pragma once

#include <QStringList>
#include <memory>

class MAudioOutput;

// The sound devices of the machine, by the names the user sees, and outputs on them.
class MAudioOutputFactory {
public:
    virtual ~MAudioOutputFactory() = default;

    // The output devices in the system's order; empty when there is no sound device.
    virtual QStringList DeviceNames() = 0;
    // An output on the device with the given index in DeviceNames (-1: the system's default
    // device); null when there is no sound device at all.
    virtual std::unique_ptr<MAudioOutput> CreateOutput(int deviceIndex) = 0;
};
