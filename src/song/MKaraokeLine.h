#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "song/MKaraokeWord.h"

// One lyric line: its place on a lyrics page, its text, its singer colour, when it is drawn
// and erased, and its words, which it owns.
class MKaraokeLine {
public:
    static constexpr int kSinger1 = 12;
    static constexpr int kSinger2 = 9;
    static constexpr int kBothSingers = 10;

    MKaraokeLine() = default;
    virtual ~MKaraokeLine() = default;
    MKaraokeLine(const MKaraokeLine&) = delete;
    MKaraokeLine& operator=(const MKaraokeLine&) = delete;

    // Appends a word owned by this line and returns it.
    MKaraokeWord* AddWord(const MKaraokeWord& word);
    int WordCount() const { return static_cast<int>(words.size()); }
    bool HasWords() const { return !words.empty(); }

    int32_t page = 0;
    QString text;
    int32_t singerColour = kSinger1;
    int32_t drawTime = 0;
    int32_t eraseTime = 0;
    int32_t row = 0;
    std::vector<std::unique_ptr<MKaraokeWord>> words;
    bool placed = false;
    bool newPageBefore = false;
    bool duet = false;
};
