#include "platform/MQtAudioOutputFactory.h"

#include <QMediaDevices>

#include "platform/MQtAudioOutput.h"

namespace {

// The system's default device first, then the others in the system's order: device number 0,
// which the program uses unless told otherwise, is the default device.
QList<QAudioDevice> Devices() {
    QList<QAudioDevice> devices = QMediaDevices::audioOutputs();
    const QAudioDevice preferred = QMediaDevices::defaultAudioOutput();
    const qsizetype at = devices.indexOf(preferred);
    if (at > 0) {
        devices.move(at, 0);
    }
    return devices;
}

}  // namespace

MQtAudioOutputFactory::MQtAudioOutputFactory() {
    (void)QMediaDevices::audioOutputs();
}

QStringList MQtAudioOutputFactory::DeviceNames() {
    QStringList names;
    for (const QAudioDevice& device : Devices()) {
        names << device.description();
    }
    return names;
}

std::unique_ptr<MAudioOutput> MQtAudioOutputFactory::CreateOutput(int deviceIndex) {
    const QList<QAudioDevice> devices = Devices();
    if (devices.isEmpty()) {
        return nullptr;
    }
    const QAudioDevice device =
        deviceIndex >= 0 && deviceIndex < devices.size() ? devices[deviceIndex] : devices.front();
    return std::make_unique<MQtAudioOutput>(device);
}
