// Lyric lines drawn, swept and erased as packet sequences, checked through the decoder.

#include <gtest/gtest.h>

#include <vector>

#include "cdg/CdgPacket.h"
#include "cdg/MRwGenerator.h"
#include "cdg/MRwRenderer.h"
#include "cdg/MTextCanvas.h"
#include "support/ScreenProbe.h"
#include "support/TestStreamBuilder.h"

namespace {

constexpr int kBackground = 15;
constexpr int kText = 12;
constexpr int kOutline = 13;
constexpr int kSweep = 14;

MTextType LyricType(int flags, int hAlign = MTextType::kHLeft) {
    return MTextType(QStringLiteral("Arial"), kText, 24, flags, hAlign, MTextType::kVCentre,
                     kOutline, 0, 0);
}

struct Emitted {
    uint32_t position;
    CdgPacket packet;
};

std::vector<Emitted> PacketsIn(const std::vector<uint8_t>& stream) {
    std::vector<Emitted> out;
    for (size_t i = 0; i + 24 <= stream.size(); i += 24) {
        if (stream[i] != 0) {
            out.push_back({static_cast<uint32_t>(i), CdgPacket::FromBytes(stream.data() + i)});
        }
    }
    return out;
}

struct Screen {
    std::vector<uint8_t> stream;
    MRwGenerator gen;
    explicit Screen(size_t bytes = 24 * 20000)
        : stream(bytes, 0), gen(stream.data(), static_cast<uint32_t>(bytes)) {
        gen.WriteMemoryPreset(kBackground, 0);
    }
    std::vector<uint8_t> Decode() {
        MRwRenderer r;
        ScreenProbe::Decode(r, stream);
        return ScreenProbe::InnerArea(r);
    }
};

}  // namespace

TEST(DrawTextBlock, EmitsOutlineThenTextTilesColumnByColumn) {
    Screen s;
    const uint32_t bytes = s.gen.DrawTextBlock(4, 1, QStringLiteral("Little star"),
                                               LyricType(MTextType::kOutline | MTextType::kBold),
                                               kBackground, 24 * 100);
    const auto packets = PacketsIn(s.stream);
    ASSERT_GT(packets.size(), 16u);
    EXPECT_EQ(bytes, (packets.size() - 16) * 24) << "a contiguous run from the position";
    int lastColumn = -1;
    for (size_t i = 16; i < packets.size(); ++i) {
        const CdgPacket& p = packets[i].packet;
        EXPECT_EQ(p.Code(), CdgPacket::kTileBlockXor);
        EXPECT_TRUE(p.data[1] == (kOutline ^ kBackground) || p.data[1] == (kText ^ kBackground));
        EXPECT_GE(p.data[3], lastColumn) << "columns left to right";
        lastColumn = p.data[3];
    }
    // What the decoder shows equals the picture the text was drawn into.
    MPicture picture(kBackground, MPicture::FixedGreys());
    MTextCanvas dc(&picture);
    MRwGenerator().RenderTextBlock(dc, 4, 1, QStringLiteral("Little star"),
                                   LyricType(MTextType::kOutline | MTextType::kBold),
                                   MPicture::FixedGreys(), nullptr);
    EXPECT_EQ(s.Decode(), ScreenProbe::PicturePixels(picture));
}

TEST(DrawTextBlock, TextInTheBackgroundColourEmitsNoTextTiles) {
    Screen s;
    MTextType type = LyricType(0);
    type.colorIndex = kBackground;
    EXPECT_EQ(s.gen.DrawTextBlock(4, 0, QStringLiteral("Invisible"), type, kBackground, 24 * 100),
              0u);
    type.styleFlags = MTextType::kOutline;
    EXPECT_GT(s.gen.DrawTextBlock(4, 0, QStringLiteral("Invisible"), type, kBackground, 24 * 100),
              0u)
        << "the outline still shows";
    EXPECT_EQ(s.gen.DrawTextBlock(4, 0, QString(), type, kBackground, 0), 0u);
}

TEST(EraseTextBlock, PaintsEveryTileOfTheBox) {
    Screen s;
    const QString text = QStringLiteral("i");
    s.gen.DrawTextBlock(4, 2, text, LyricType(0), kBackground, 24 * 100);
    const uint32_t before = static_cast<uint32_t>(PacketsIn(s.stream).size());
    const uint32_t bytes = s.gen.EraseTextBlock(4, 2, text, LyricType(0), kBackground, 24 * 1000);
    const auto packets = PacketsIn(s.stream);
    const size_t solid = packets.size() - before;
    EXPECT_EQ(bytes, solid * 24);
    MPicture picture(kBackground, MPicture::FixedGreys());
    MTextCanvas dc(&picture);
    const MBox box = MRwGenerator().RenderTextBlock(dc, 4, 2, text, LyricType(0),
                                                    MPicture::FixedGreys(), nullptr);
    EXPECT_EQ(solid, static_cast<size_t>((box.LastTileColumn() - box.FirstTileColumn() + 1) *
                                         (box.LastTileRow() - box.FirstTileRow() + 1)));
    EXPECT_GE(solid, 2u) << "a box of 'i' plus the extra width spans tiles the glyph never touched";
    for (size_t i = before; i < packets.size(); ++i) {
        const CdgPacket& p = packets[i].packet;
        EXPECT_EQ(p.Code(), CdgPacket::kTileBlock);
        EXPECT_EQ(p.data[0], kBackground);
        EXPECT_EQ(p.data[1], kBackground);
    }
    EXPECT_EQ(ScreenProbe::Count(s.Decode(), kBackground), 288 * 192);
    MRwGenerator preview;
    EXPECT_EQ(preview.EraseTextBlock(4, 2, text, LyricType(0), kBackground, 0), 0u);
}

TEST(EraseTextBlock, NeighboursSharingATileRowLoseTheirSharedTiles) {
    // Five lines per page give slots of 38 pixels: lines 0 and 1 share tile row 3.
    Screen s;
    const MTextType type(QStringLiteral("Arial"), kText, 36, 0, MTextType::kHLeft,
                         MTextType::kVCentre, kOutline, 0, 0);
    s.gen.DrawTextBlock(5, 0, QStringLiteral("Hg Hg Hg"), type, kBackground, 24 * 100);
    s.gen.DrawTextBlock(5, 1, QStringLiteral("Hg Hg Hg"), type, kBackground, 24 * 200);
    const int line1Before = [&] {
        const auto a = s.Decode();
        int n = 0;
        for (int y = 38; y < 48; ++y) {
            for (int x = 0; x < 288; ++x) {
                n += a[static_cast<size_t>(y) * 288 + x] == kText;
            }
        }
        return n;
    }();
    ASSERT_GT(line1Before, 0) << "line 1 reaches into tile row 3";
    s.gen.EraseTextBlock(5, 0, QStringLiteral("Hg Hg Hg"), type, kBackground, 24 * 300);
    const auto after = s.Decode();
    int line1After = 0;
    for (int y = 38; y < 48; ++y) {
        for (int x = 0; x < 288; ++x) {
            line1After += after[static_cast<size_t>(y) * 288 + x] == kText;
        }
    }
    EXPECT_LT(line1After, line1Before);
}

TEST(SweepWord, PacketsAreSpreadEvenlyColumnByColumn) {
    for (const auto& [start, end] :
         {std::pair<uint32_t, uint32_t>{7200, 14400}, {24 * 50, 24 * 50 + 1000}, {4800, 4800}}) {
        Screen s;
        const QString line = QStringLiteral("Twinkle twinkle");
        s.gen.SweepWord(4, 0, line, 8, 14, LyricType(MTextType::kBold), kBackground, kSweep, false,
                        start, end, nullptr);
        auto packets = PacketsIn(s.stream);
        packets.erase(packets.begin(), packets.begin() + 16);
        const int64_t n = static_cast<int64_t>(packets.size());
        ASSERT_GT(n, 4);
        for (int64_t k = 0; k < n; ++k) {
            const CdgPacket& p = packets[static_cast<size_t>(k)].packet;
            EXPECT_EQ(p.Code(), CdgPacket::kTileBlockXor);
            EXPECT_EQ(p.data[1], kSweep ^ kText);
            if (start != end) {
                EXPECT_EQ(packets[static_cast<size_t>(k)].position,
                          (start + k * (int64_t(end) - start) / n) / 24 * 24);
            } else {
                EXPECT_EQ(packets[static_cast<size_t>(k)].position, start + 24 * k)
                    << "all at one position fill consecutive slots";
            }
            if (k > 0) {
                const CdgPacket& q = packets[static_cast<size_t>(k - 1)].packet;
                EXPECT_TRUE(p.data[3] > q.data[3] ||
                            (p.data[3] == q.data[3] && p.data[2] > q.data[2]))
                    << "column by column, rows top to bottom";
            }
        }
    }
}

TEST(SweepWord, SweepingEveryWordTurnsTheWholeLineIntoTheSweepColour) {
    for (int flags :
         {int(MTextType::kBold), MTextType::kBold | MTextType::kOutline, MTextType::kItalic}) {
        Screen s;
        const QString line = QStringLiteral("Up above the world so high");
        const MTextType type = LyricType(flags, MTextType::kHCentre);
        s.gen.DrawTextBlock(4, 1, line, type, kBackground, 24 * 20);
        const auto drawn = s.Decode();
        uint32_t t = 24 * 200;
        for (const auto& [first, last] : TestStreamBuilder::WordRanges(line)) {
            s.gen.SweepWord(4, 1, line, first, last, type, kBackground, kSweep, false, t,
                            t + 24 * 40, nullptr);
            t += 24 * 50;
        }
        const auto swept = s.Decode();
        if (flags & MTextType::kItalic) {
            // Slanted glyphs of neighbouring words overlap; the overlap is drawn over by the
            // earlier word and stays unswept.
            EXPECT_LT(ScreenProbe::Count(swept, kText), ScreenProbe::Count(drawn, kText) / 100);
        } else {
            EXPECT_EQ(ScreenProbe::Count(swept, kText), 0) << flags;
            EXPECT_EQ(ScreenProbe::Count(swept, kSweep), ScreenProbe::Count(drawn, kText));
        }
        EXPECT_EQ(ScreenProbe::Count(swept, kOutline), ScreenProbe::Count(drawn, kOutline));
    }
}

TEST(SweepWord, SweepBehindColoursTheCellsAndKeepsTheGlyphs) {
    Screen s;
    const QString line = QStringLiteral("Like a diamond");
    const MTextType type = LyricType(0);
    s.gen.DrawTextBlock(4, 0, line, type, kBackground, 24 * 20);
    const auto drawn = s.Decode();
    s.gen.SweepWord(4, 0, line, 0, 3, type, kBackground, kSweep, true, 24 * 100, 24 * 120, nullptr);
    const auto swept = s.Decode();
    // The word's cells: from x = 0 to the advance of "Like", over the cell height.
    MPicture scratch(kBackground, MPicture::FixedGreys());
    MTextCanvas dc(&scratch);
    dc.SelectFont(MResolvedFont::Resolve(QStringLiteral("Arial"), 24, 0));
    const int wordRight = dc.TextWidth(QStringLiteral("Like"));
    const int top = (48 - 24) / 2;
    for (int y = top; y < top + 24; ++y) {
        for (int x = 0; x < wordRight; ++x) {
            const size_t i = static_cast<size_t>(y) * 288 + x;
            if (drawn[i] == kText) {
                ASSERT_EQ(swept[i], kText) << x << "," << y;
            } else {
                ASSERT_EQ(swept[i], kSweep) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(ScreenProbe::Count(swept, kText), ScreenProbe::Count(drawn, kText));
}

TEST(SweepWord, PreviewShowsTheSweptWordAndItsBox) {
    MRwRenderer renderer;
    MRwGenerator preview(&renderer);
    preview.WriteMemoryPreset(kBackground, 0);
    const QString line = QStringLiteral("How I wonder");
    EXPECT_EQ(preview.DrawTextBlock(4, 3, line, LyricType(0), kBackground, 0), 0u);
    MBox box;
    EXPECT_EQ(
        preview.SweepWord(4, 3, line, 6, 11, LyricType(0), kBackground, kSweep, false, 0, 0, &box),
        0u);
    EXPECT_FALSE(box.IsEmpty());
    EXPECT_GT(box.left, 40);
    const auto area = ScreenProbe::InnerArea(renderer);
    int sweptInBox = 0;
    int textLeftOfBox = 0;
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = 0; x < 288; ++x) {
            const int v = area[static_cast<size_t>(y) * 288 + x];
            sweptInBox += v == kSweep && x >= box.left && x < box.right;
            textLeftOfBox += v == kText && x < box.left - 2;
        }
    }
    EXPECT_GT(sweptInBox, 20);
    EXPECT_GT(textLeftOfBox, 20) << "the words before keep the text colour";

    // The preview of a drawn line matches what the stream shows.
    Screen s;
    s.gen.DrawTextBlock(4, 3, line, LyricType(0), kBackground, 24 * 20);
    MRwRenderer drawnOnly;
    MRwGenerator previewOnly(&drawnOnly);
    previewOnly.WriteMemoryPreset(kBackground, 0);
    previewOnly.DrawTextBlock(4, 3, line, LyricType(0), kBackground, 0);
    EXPECT_EQ(ScreenProbe::InnerArea(drawnOnly), s.Decode());
}

TEST(SweepWord, EmptyTextAndNoMatchingPixelsEmitNothing) {
    Screen s;
    EXPECT_EQ(s.gen.SweepWord(4, 0, QString(), 0, 3, LyricType(0), kBackground, kSweep, false, 0,
                              100, nullptr),
              0u);
    EXPECT_EQ(s.gen.SweepWord(4, 0, QStringLiteral("    "), 0, 3, LyricType(0), kBackground, kSweep,
                              false, 0, 100, nullptr),
              0u);
    EXPECT_EQ(PacketsIn(s.stream).size(), 16u);
}
