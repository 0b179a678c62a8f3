// Runs both WAV readers over arbitrary bytes held in memory.

#include <QBuffer>
#include <cstddef>
#include <cstdint>

#include "audio/MWaveReader.h"
#include "audio/WavInFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    buffer.open(QIODevice::ReadOnly);

    WavInFile in(&buffer);
    (void)in.LengthMs();
    int16_t samples[509];
    while (in.Read(samples, 509) > 0) {
    }

    MWaveReader reader;
    reader.SetLeadingSilenceFrames(size > 0 ? data[0] : 0);
    if (reader.Open(&buffer).IsOk()) {
        uint8_t block[1021];
        while (reader.Read(block, sizeof block) > 0) {
        }
    }
    return 0;
}
