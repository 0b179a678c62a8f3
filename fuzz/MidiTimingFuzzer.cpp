// Karaoke MIDI timing from arbitrary bytes: the first three bytes choose the format and the
// division (ticks per quarter note or SMPTE frames and ticks), the rest is split into a tempo
// track and a words track. Every syllable time must lie within the song's range, and the times
// of the words, read from one track in tick order, must never run backwards.

#include <QByteArray>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lyrics/LrcDocument.h"
#include "lyrics/MidiLyricsExtractor.h"

namespace {

QByteArray Chunk(const char* id, QByteArrayView body) {
    QByteArray chunk(id, 4);
    const auto length = static_cast<uint32_t>(body.size());
    for (int shift = 24; shift >= 0; shift -= 8) {
        chunk += static_cast<char>((length >> shift) & 0xFF);
    }
    return chunk + body.toByteArray();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) {
        return 0;
    }
    const QByteArrayView input(data + 4, static_cast<qsizetype>(size - 4));
    const qsizetype split = std::min<qsizetype>(input.size(), data[3] * 8);
    // MThd: format, two tracks, division.
    const char header[] = {'M',
                           'T',
                           'h',
                           'd',
                           0,
                           0,
                           0,
                           6,
                           0,
                           static_cast<char>(data[0] % 3),
                           0,
                           2,
                           static_cast<char>(data[1]),
                           static_cast<char>(data[2])};
    const QByteArray file = QByteArray(header, sizeof(header)) + Chunk("MTrk", input.first(split)) +
                            Chunk("MTrk", input.sliced(split));
    LrcDocument document;
    MidiLyricsExtractor::Extract(file, &document);
    int last = 0;
    for (const LrcLine& line : document.lines) {
        for (const LrcElement& e : line.elements) {
            if (e.startHundredths < last || e.endHundredths < e.startHundredths ||
                e.startHundredths > LrcDocument::kMaxHundredths) {
                std::abort();
            }
            last = e.startHundredths;
        }
    }
    return 0;
}
