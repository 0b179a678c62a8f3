// Feeds arbitrary bytes to the MIDI karaoke reader, once as they come and once behind a valid
// file header so that the track reader sees them.

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lyrics/MidiLyricsExtractor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView input(data, static_cast<qsizetype>(size));
    const QString plain = MidiLyricsExtractor::Extract(input);
    QByteArray file("MThd\0\0\0\x06\0\x01\0\x02\x01\xE0MTrk", 18);
    const uint32_t length = size > 0 ? data[0] * 97u : 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
        file += static_cast<char>((length >> shift) & 0xFF);
    }
    file += input;
    const QString wrapped = MidiLyricsExtractor::Extract(file);
    // Every character of the words comes from at least one byte of the file.
    if (plain.size() > input.size() || wrapped.size() > file.size()) {
        std::abort();
    }
    return 0;
}
