#include "song/MKaraokeWord.h"

#include <QtEndian>

void MKaraokeWord::Store(uint8_t out[kStoredBytes]) const {
    qToLittleEndian<int32_t>(firstChar, out + 0);
    qToLittleEndian<int32_t>(lastChar, out + 4);
    qToLittleEndian<int32_t>(startTime, out + 8);
    qToLittleEndian<int32_t>(endTime, out + 12);
    qToLittleEndian<int32_t>(0, out + 16);
    for (int i = 0; i < 4; ++i) {
        qToLittleEndian<int32_t>(box[i], out + 20 + 4 * i);
    }
    qToLittleEndian<uint32_t>(flags, out + 36);
}

void MKaraokeWord::Restore(const uint8_t in[kStoredBytes]) {
    firstChar = qFromLittleEndian<int32_t>(in + 0);
    lastChar = qFromLittleEndian<int32_t>(in + 4);
    startTime = qFromLittleEndian<int32_t>(in + 8);
    endTime = qFromLittleEndian<int32_t>(in + 12);
    for (int i = 0; i < 4; ++i) {
        box[i] = qFromLittleEndian<int32_t>(in + 20 + 4 * i);
    }
    flags = qFromLittleEndian<uint32_t>(in + 36);
}
