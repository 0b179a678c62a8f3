#pragma once

#include <QString>

class MSongSettings;

// Turns the raw lyrics with their markers into the karaoke line list, carrying word times over
// from the previous list by position, and numbers the lines' pages and rows.
//
// Markers: a line break separates lines; a line containing "^" is a page break; "&" at the start
// of a line marks the second voice ("&&" does not); spaces separate words; "*" splits a word into
// syllables; "_" is a space inside a word.
class MLineListGenerator {
public:
    static const char* const kDuetWarning;

    explicit MLineListGenerator(MSongSettings& song) : song_(song) {}

    void GenerateKaraokeLineList(bool keepTimings, bool convertMarks);
    void CalcLineAndPageNumbers();

    // The raw lyrics tidied: no carriage returns, single spaces, no spaces at line ends or
    // around "*", none at the ends of the whole text.
    static QString NormalizeRawLyrics(QString text);

private:
    MSongSettings& song_;
};
