#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "cdg/MRwGenerator.h"
#include "cdg/MTextType.h"

// Builds karaoke-like CD+G streams for tests and benchmarks: a colour table and presets, then
// pages of lyric lines that are drawn, swept word by word and erased, in the order a song
// writer emits them (sweeps first, then draws and erases).
class TestStreamBuilder {
public:
    struct Line {
        QString text;
        MTextType type;
        int linesPerPage = 4;
        int slot = 0;
        double drawSeconds = 0;
        double firstWordSeconds = 0;
        double wordSeconds = 0.4;
        double eraseSeconds = 0;
        bool sweepBehind = false;
    };

    explicit TestStreamBuilder(double lengthSeconds);

    static MRwGenerator::ColorTable DefaultColours();
    static std::vector<std::pair<int, int>> WordRanges(const QString& text);
    static uint32_t PositionOf(double seconds);

    // Colour table, border and memory presets, twice, at the given time.
    void PageSetup(double seconds, const MRwGenerator::ColorTable& colours, int border,
                   int background);
    void AddLine(const Line& line) { lines_.push_back(line); }
    // Emits every line added so far; background and sweep colour indices as given.
    void EmitLines(int background, int sweep);

    std::vector<uint8_t>& Stream() { return stream_; }
    MRwGenerator& Generator() { return generator_; }

private:
    std::vector<uint8_t> stream_;
    MRwGenerator generator_;
    std::vector<Line> lines_;
};
