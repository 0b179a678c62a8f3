#include "song/MKaraokeLine.h"

MKaraokeWord* MKaraokeLine::AddWord(const MKaraokeWord& word) {
    auto w = std::make_unique<MKaraokeWord>(word);
    w->line = this;
    words.push_back(std::move(w));
    return words.back().get();
}
