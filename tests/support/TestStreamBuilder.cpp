#include "support/TestStreamBuilder.h"

#include "cdg/CdgColour.h"
#include "cdg/CdgTimeBase.h"

TestStreamBuilder::TestStreamBuilder(double lengthSeconds)
    : stream_(static_cast<size_t>(PositionOf(lengthSeconds)), 0),
      generator_(stream_.data(), static_cast<uint32_t>(stream_.size())) {}

uint32_t TestStreamBuilder::PositionOf(double seconds) {
    return static_cast<uint32_t>(
        CdgTimeBase::StreamBytesFromFrames(CdgTimeBase::FramesFromSeconds(seconds)));
}

MRwGenerator::ColorTable TestStreamBuilder::DefaultColours() {
    MRwGenerator::ColorTable c{};
    c[9] = CdgColour::Make(255, 128, 255);
    c[10] = CdgColour::Make(64, 255, 0);
    c[11] = CdgColour::Make(0, 17, 102);
    c[12] = CdgColour::Make(128, 255, 255);
    c[13] = CdgColour::Make(0, 0, 0);
    c[14] = CdgColour::Make(255, 238, 0);
    c[15] = CdgColour::Make(0, 17, 102);
    c[1] = CdgColour::Make(200, 30, 30);
    c[2] = CdgColour::Make(30, 200, 30);
    return c;
}

std::vector<std::pair<int, int>> TestStreamBuilder::WordRanges(const QString& text) {
    std::vector<std::pair<int, int>> words;
    int start = -1;
    for (int i = 0; i <= text.size(); ++i) {
        const bool space = i == text.size() || text[i] == QLatin1Char(' ');
        if (!space && start < 0) {
            start = i;
        } else if (space && start >= 0) {
            words.emplace_back(start, i - 1);
            start = -1;
        }
    }
    return words;
}

void TestStreamBuilder::PageSetup(double seconds, const MRwGenerator::ColorTable& colours,
                                  int border, int background) {
    uint32_t p = PositionOf(seconds);
    for (int run = 0; run < 2; ++run) {
        p += generator_.WriteColorTable(colours, p);
        p += generator_.WriteBorderPreset(border, p);
        p += generator_.WriteMemoryPreset(background, p);
    }
}

void TestStreamBuilder::EmitLines(int background, int sweep) {
    for (const Line& line : lines_) {
        const auto words = WordRanges(line.text);
        for (size_t w = 0; w < words.size(); ++w) {
            const double start = line.firstWordSeconds + line.wordSeconds * static_cast<double>(w);
            generator_.SweepWord(line.linesPerPage, line.slot, line.text, words[w].first,
                                 words[w].second, line.type, background, sweep, line.sweepBehind,
                                 PositionOf(start), PositionOf(start + line.wordSeconds * 0.9),
                                 nullptr);
        }
    }
    for (const Line& line : lines_) {
        generator_.DrawTextBlock(line.linesPerPage, line.slot, line.text, line.type, background,
                                 PositionOf(line.drawSeconds));
        if (line.eraseSeconds > 0) {
            generator_.EraseTextBlock(line.linesPerPage, line.slot, line.text, line.type,
                                      background, PositionOf(line.eraseSeconds));
        }
    }
    lines_.clear();
}
