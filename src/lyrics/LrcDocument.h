#pragma once

#include <QList>
#include <QString>
#include <cstdint>

#include "lyrics/LrcLine.h"

// A parsed LRC file: its ID tags and its time-tagged lines. The lines run parallel to the lines
// of the lyrics text that the parser hands out, so line i of the document times line i of the
// song and element j of it word j.
class LrcDocument {
public:
    // One hundredth of a second in sample frames of the 44,100 Hz work WAV.
    static constexpr int kFramesPerHundredth = 441;
    // The latest time a document holds, so that every time fits the song's 32-bit frame times.
    static constexpr int kMaxHundredths = INT32_MAX / kFramesPerHundredth;

    static constexpr int32_t FramesFromHundredths(int hundredths) {
        return hundredths * kFramesPerHundredth;
    }

    virtual ~LrcDocument() = default;

    void Clear();
    bool HasLines() const { return !lines.isEmpty(); }

    QString artist;            // [ar:]
    QString album;             // [al:]
    QString title;             // [ti:]
    QString author;            // [au:]
    QString lrcBy;             // [by:]
    QString tool;              // [re:]
    QString toolVersion;       // [ve:]
    int lengthHundredths = 0;  // [length:m:ss]
    // [offset:] as written. The times of the lines already have it applied: a positive offset
    // shows the lyrics that many milliseconds earlier, as LRC players do.
    int offsetMilliseconds = 0;
    QList<LrcLine> lines;  // in the order they are sung

    // What the parser passed over: lines that are neither tags nor empty, and leading tags that
    // are neither time nor known ID tags.
    int unreadableLines = 0;
    int unknownTags = 0;
    // The text encoding the file was read in.
    QString encoding;
};
