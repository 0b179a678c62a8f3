#pragma once

#include <cstdint>
#include <vector>

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

private:
    // Colour table, border and memory presets of a page, from position; returns the bytes.
    static uint32_t PageSetup(MRwGenerator& gen, const IMAGE_STRUCT& page, uint32_t position);

    MSongSettings& song_;
};
