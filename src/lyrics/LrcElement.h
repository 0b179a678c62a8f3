#pragma once

#include <QString>

// One word or syllable of an LRC line with its sweep times in hundredths of a second.
struct LrcElement {
    int startHundredths = 0;
    int endHundredths = 0;
    QString text;

    bool operator==(const LrcElement&) const = default;
};
