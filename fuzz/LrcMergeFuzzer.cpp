// Imports arbitrary LRC bytes into a song and merges their times into the line list, as the
// import does and as it does after the user has edited the text: the bytes up to the first NUL
// are the LRC file, the bytes after it (when there is one) the edited lyrics.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lyrics/LrcDocument.h"
#include "lyrics/LrcParser.h"
#include "lyrics/LyricImport.h"
#include "song/MSongSettings.h"

namespace {

void CheckWords(const MSongSettings& song) {
    for (const auto& line : song.lineList) {
        for (const auto& w : line->words) {
            if (w->firstChar < 0 || w->lastChar < w->firstChar ||
                w->lastChar >= line->text.size() || w->startTime < 0 || w->endTime < w->startTime) {
                std::abort();
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    const qsizetype split = bytes.indexOf('\0');
    LrcDocument document;
    const QString text = LrcParser::ParseLrc(split < 0 ? bytes : bytes.first(split), document);

    MSongSettings song;
    song.ResetToNewProject();
    song.SetRawLyrics(split < 0 ? text : QString::fromUtf8(bytes.sliced(split + 1)));
    song.GenerateKaraokeLineList(true, false);
    const bool merged = LyricImport(song).MergeLrcTimings(document);
    if (merged != document.HasLines()) {
        std::abort();
    }
    CheckWords(song);
    // The list for output keeps the times and the ranges stay inside the shorter texts.
    song.GenerateKaraokeLineList(true, true);
    CheckWords(song);
    return 0;
}
