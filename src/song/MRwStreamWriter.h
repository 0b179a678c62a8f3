#pragma once

#include <cstdint>
#include <utility>
#include <vector>

class MKaraokeLine;
struct MKaraokeWord;
class MSongSettings;
class MRwGenerator;
struct IMAGE_STRUCT;

// Renders a timed song into its complete CD+G stream: the title page, every lyrics page with
// its lines drawn, swept word by word and erased, the lyrics-page graphic and the credits page.
// It decides when each line appears and leaves, and how much silence the music needs in front
// so that the first page is on screen in time.
class MRwStreamWriter {
public:
    explicit MRwStreamWriter(MSongSettings& song) : song_(song) {}

    // Fills buffer (size bytes); streamLength receives the length of the stream. Events before
    // fromTime (sample frames) are not written. Returns the lead-in in sample frames.
    int32_t WriteRwMemory(uint8_t* buffer, uint32_t size, uint32_t* streamLength, int32_t fromTime);

    // The erase time of every row of every page, from the end time of each row's last word
    // (tables of pages x linesPerPage entries, row by row).
    static std::vector<int32_t> EraseTimes(const std::vector<int32_t>& hiliteEnd, int pages,
                                           int linesPerPage);

    // Makes the drawing schedule hold for any word times a song may carry (hand-edited, damaged
    // or imported times that run backwards): in every row, each line is drawn before its words
    // are swept, erased after its last sweep ends, and erased before the next line of that row
    // is drawn. Lines are visited in list order; only lines that are drawn (placed, with words)
    // take part. Times that already satisfy this are left as they are.
    static void OrderRowTimes(std::vector<MKaraokeLine*>& drawnLines, int linesPerPage);
    // The span a word is swept over: its own times kept within its line's draw and erase times.
    // A word that was never placed (start 0) keeps its times.
    static std::pair<int32_t, int32_t> SweepSpan(const MKaraokeLine& line,
                                                 const MKaraokeWord& word);

private:
    // Colour table, border and memory presets of a page, from position; returns the bytes.
    static uint32_t PageSetup(MRwGenerator& gen, const IMAGE_STRUCT& page, uint32_t position);

    MSongSettings& song_;
};
