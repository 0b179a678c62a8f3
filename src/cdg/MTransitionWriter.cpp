#include "cdg/MTransitionWriter.h"

#include <array>

#include "cdg/MRwGenerator.h"

namespace {

constexpr int kColumns = CdgScreen::kPictureColumns;
constexpr int kRows = CdgScreen::kPictureRows;

MRgb Blend(MRgb a, int aWeight, MRgb b, int bWeight) {
    return CdgColour::Make((CdgColour::Red(a) * aWeight + CdgColour::Red(b) * bWeight) / 8,
                           (CdgColour::Green(a) * aWeight + CdgColour::Green(b) * bWeight) / 8,
                           (CdgColour::Blue(a) * aWeight + CdgColour::Blue(b) * bWeight) / 8);
}

// The four scroll transitions bring the picture on a strip of tiles at a time (a column for the
// horizontal ones, a row for the vertical ones) at one edge, scroll the screen by a tile after
// each strip, and move the scroll offset a step at a time while a strip is drawn, so that the
// picture glides in.
struct ScrollRun {
    int code;
    bool horizontal;
    // Strips in increasing order with offsets growing from 0 (Left, Up); otherwise from the last
    // strip with offsets shrinking from the largest (Right, Down).
    bool forward;
    // The first offset step of the closing run (Scroll Left starts it from offset 0 again).
    int closingFirstStep;
};

constexpr ScrollRun kScrollRuns[] = {
    {MTransitionWriter::kScrollRight, true, false, 1},
    {MTransitionWriter::kScrollLeft, true, true, 0},
    {MTransitionWriter::kScrollDown, false, false, 1},
    {MTransitionWriter::kScrollUp, false, true, 1},
};

// A column of a horizontal scroll takes an offset step after these tiles (rows).
constexpr int kColumnStepRows[] = {3, 5, 8, 10, 13};

}  // namespace

MTransitionWriter::MTransitionWriter(MRwGenerator& generator, MRandom& random)
    : gen_(generator), random_(random) {}

QString MTransitionWriter::TransitionName(int code) {
    static const char* const names[] = {"Fill Right",     "Fill Left",   "Fill Down",   "Fill Up",
                                        "Scroll Right",   "Scroll Left", "Scroll Down", "Scroll Up",
                                        "Block Dissolve", "Fade In",     "Fade Out"};
    return code >= 0 && code <= 10 ? QString::fromLatin1(names[code]) : QString();
}

QString MTransitionWriter::PlacementName(int code) {
    static const char* const names[] = {"Top", "Center", "Bottom", "Tiled", "Stretched"};
    return code >= 0 && code <= 4 ? QString::fromLatin1(names[code]) : QString();
}

uint32_t MTransitionWriter::Tile(const MPicture& picture, int column, int row, int screenColumn,
                                 int screenRow) {
    const uint32_t n =
        gen_.WriteTile(picture, column, row, screenColumn, screenRow, position_ + total_);
    total_ += n;
    return n;
}

uint32_t MTransitionWriter::Scroll(int hCommand, int hOffset, int vCommand, int vOffset) {
    const uint32_t n =
        gen_.WriteScrollCopy(hCommand, hOffset, vCommand, vOffset, position_ + total_);
    total_ += n;
    return n;
}

void MTransitionWriter::ScrollIn(const MPicture& picture, int code, int rows, int lastRowUp) {
    const ScrollRun* run = nullptr;
    for (const auto& s : kScrollRuns) {
        run = s.code == code ? &s : run;
    }
    const bool horizontal = run->horizontal;
    const bool forward = run->forward;
    // A tile is 6 pixels wide and 12 high: offsets 0-5 across, 0-11 down.
    const int largestOffset = horizontal ? 5 : 11;
    // Scroll command 1 moves the screen right (or down) by a tile, 2 left (or up).
    const int command = forward ? 2 : 1;
    auto scroll = [&](int scrollCommand, int step) {
        const int offset = forward ? step : largestOffset - step;
        if (horizontal) {
            Scroll(scrollCommand, offset, 0, 0);
        } else {
            Scroll(0, 0, scrollCommand, offset);
        }
    };

    scroll(0, 0);
    const int strips = horizontal ? kColumns : (forward ? rows : lastRowUp + 1);
    for (int i = 0; i < strips; ++i) {
        const int strip = forward ? i : strips - 1 - i;
        if (horizontal) {
            for (int r = 0; r < rows; ++r) {
                Tile(picture, strip, r, 0, r + 1);
                for (int k = 0; k < 5; ++k) {
                    if (r == kColumnStepRows[k]) {
                        scroll(0, k + 1);
                    }
                }
            }
        } else {
            for (int c = 0; c < kColumns; ++c) {
                Tile(picture, c, strip, c + 1, 0);
                if (c >= 4 && c <= 44 && c % 4 == 0) {
                    scroll(0, c / 4);
                }
            }
        }
        scroll(command, 0);
    }
    for (int step = run->closingFirstStep; step <= largestOffset; ++step) {
        scroll(0, step);
    }
    if (forward) {
        scroll(command, 0);
    }
}

uint32_t MTransitionWriter::Colours(const MPicture::ColourTable& colours) {
    const uint32_t n = gen_.WriteColorTable(colours, position_ + total_);
    total_ += n;
    return n;
}

uint32_t MTransitionWriter::RunTransition(const MPicture& picture, int code,
                                          const MPicture::ColourTable& colours, int backgroundIndex,
                                          uint32_t position) {
    position_ = position;
    total_ = 0;
    const int height = gen_.PictureHeight();
    const int rows = height * 16 / 100;
    const int lastRowUp = height * 15 / 100;  // where the bottom-up transitions start
    switch (code) {
        case kFillRight:
            for (int c = 0; c < kColumns; ++c) {
                for (int r = 0; r < rows; ++r) {
                    Tile(picture, c, r, c + 1, r + 1);
                }
            }
            break;
        case kFillLeft:
            for (int c = kColumns - 1; c >= 0; --c) {
                for (int r = 0; r < rows; ++r) {
                    Tile(picture, c, r, c + 1, r + 1);
                }
            }
            break;
        case kFillDown:
            for (int r = 0; r < rows; ++r) {
                for (int c = 0; c < kColumns; ++c) {
                    Tile(picture, c, r, c + 1, r + 1);
                }
            }
            break;
        case kFillUp:
            for (int r = lastRowUp; r >= 0; --r) {
                for (int c = 0; c < kColumns; ++c) {
                    Tile(picture, c, r, c + 1, r + 1);
                }
            }
            break;
        case kBlockDissolve: {
            std::array<bool, kColumns * kRows> taken{};
            int left = kColumns * kRows;
            while (left > 0) {
                const int skip =
                    static_cast<int>(static_cast<int64_t>(left) * random_.Next() / MRandom::kMax);
                int passed = 0;
                for (int i = 0; i < kColumns * kRows; ++i) {
                    if (taken[static_cast<size_t>(i)]) {
                        continue;
                    }
                    if (passed < skip) {
                        ++passed;
                        continue;
                    }
                    taken[static_cast<size_t>(i)] = true;
                    const int r = i / kColumns;
                    const int c = i % kColumns;
                    if (r < rows) {
                        Tile(picture, c, r, c + 1, r + 1);
                    }
                    --left;
                    break;
                }
            }
            break;
        }
        case kScrollRight:
        case kScrollLeft:
        case kScrollDown:
        case kScrollUp:
            ScrollIn(picture, code, rows, lastRowUp);
            break;
        case kFadeIn: {
            const MRgb bg = colours[static_cast<size_t>(backgroundIndex & 0x0F)];
            MPicture::ColourTable working;
            working.fill(bg);
            Colours(working);
            for (int r = 0; r < rows; ++r) {
                for (int c = 0; c < kColumns; ++c) {
                    Tile(picture, c, r, c + 1, r + 1);
                }
            }
            for (int f = 1; f <= 8; ++f) {
                for (int k = 0; k < 16; ++k) {
                    working[static_cast<size_t>(k)] =
                        Blend(bg, 8 - f, colours[static_cast<size_t>(k)], f);
                    Colours(working);
                }
            }
            break;
        }
        case kFadeOut: {
            const MRgb bg = colours[static_cast<size_t>(backgroundIndex & 0x0F)];
            MPicture::ColourTable working = colours;
            for (int c = 0; c <= 8; ++c) {
                for (int k = 0; k < 16; ++k) {
                    working[static_cast<size_t>(k)] =
                        Blend(colours[static_cast<size_t>(k)], 8 - c, bg, c);
                    Colours(working);
                }
            }
            break;
        }
        default:
            return 0;
    }
    return total_;
}
