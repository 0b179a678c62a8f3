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
        case kScrollRight: {
            Scroll(0, 5, 0, 0);
            for (int c = kColumns - 1; c >= 0; --c) {
                for (int r = 0; r < rows; ++r) {
                    Tile(picture, c, r, 0, r + 1);
                    switch (r) {
                        case 3:
                            Scroll(0, 4, 0, 0);
                            break;
                        case 5:
                            Scroll(0, 3, 0, 0);
                            break;
                        case 8:
                            Scroll(0, 2, 0, 0);
                            break;
                        case 10:
                            Scroll(0, 1, 0, 0);
                            break;
                        case 13:
                            Scroll(0, 0, 0, 0);
                            break;
                        default:
                            break;
                    }
                }
                Scroll(1, 5, 0, 0);
            }
            for (int offset = 4; offset >= 0; --offset) {
                Scroll(0, offset, 0, 0);
            }
            break;
        }
        case kScrollLeft: {
            Scroll(0, 0, 0, 0);
            for (int c = 0; c < kColumns; ++c) {
                for (int r = 0; r < rows; ++r) {
                    Tile(picture, c, r, 0, r + 1);
                    switch (r) {
                        case 3:
                            Scroll(0, 1, 0, 0);
                            break;
                        case 5:
                            Scroll(0, 2, 0, 0);
                            break;
                        case 8:
                            Scroll(0, 3, 0, 0);
                            break;
                        case 10:
                            Scroll(0, 4, 0, 0);
                            break;
                        case 13:
                            Scroll(0, 5, 0, 0);
                            break;
                        default:
                            break;
                    }
                }
                Scroll(2, 0, 0, 0);
            }
            for (int offset = 0; offset <= 5; ++offset) {
                Scroll(0, offset, 0, 0);
            }
            Scroll(2, 0, 0, 0);
            break;
        }
        case kScrollDown: {
            Scroll(0, 0, 0, 11);
            for (int r = lastRowUp; r >= 0; --r) {
                for (int c = 0; c < kColumns; ++c) {
                    Tile(picture, c, r, c + 1, 0);
                    if (c >= 4 && c <= 44 && c % 4 == 0) {
                        Scroll(0, 0, 0, 11 - c / 4);
                    }
                }
                Scroll(0, 0, 1, 11);
            }
            for (int offset = 10; offset >= 0; --offset) {
                Scroll(0, 0, 0, offset);
            }
            break;
        }
        case kScrollUp: {
            Scroll(0, 0, 0, 0);
            for (int r = 0; r < rows; ++r) {
                for (int c = 0; c < kColumns; ++c) {
                    Tile(picture, c, r, c + 1, 0);
                    if (c >= 4 && c <= 44 && c % 4 == 0) {
                        Scroll(0, 0, 0, c / 4);
                    }
                }
                Scroll(0, 0, 2, 0);
            }
            for (int offset = 1; offset <= 11; ++offset) {
                Scroll(0, 0, 0, offset);
            }
            Scroll(0, 0, 2, 0);
            break;
        }
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
