// Page transitions and the page sequence, checked packet by packet and through the decoder.

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "cdg/CdgPacket.h"
#include "cdg/MRwGenerator.h"
#include "cdg/MRwRenderer.h"
#include "cdg/MRwScreenImage.h"
#include "cdg/MTransitionWriter.h"
#include "support/ScreenProbe.h"

namespace {

MPicture NoisyPicture(int seed) {
    MPicture p(0, MPicture::FixedGreys());
    std::mt19937 rng(static_cast<unsigned>(seed));
    for (int y = 0; y < 192; ++y) {
        for (int x = 0; x < 288; ++x) {
            p.SetPixel(x, y, static_cast<int>((x / 6 + y / 12 + rng() % 3) % 16));
        }
    }
    return p;
}

struct Counts {
    int tiles = 0;
    int scrolls = 0;
    int tables = 0;
    int other = 0;
    int normalTiles = 0;
    std::set<std::pair<int, int>> rows;  // (screen row, screen column) of normal tiles
};

Counts CountPackets(const std::vector<uint8_t>& stream, uint32_t from, uint32_t bytes) {
    Counts c;
    for (uint32_t i = from; i < from + bytes; i += 24) {
        const CdgPacket p = CdgPacket::FromBytes(stream.data() + i);
        switch (p.Code()) {
            case CdgPacket::kTileBlock:
                ++c.normalTiles;
                c.rows.insert({p.data[2], p.data[3]});
                [[fallthrough]];
            case CdgPacket::kTileBlockXor:
                ++c.tiles;
                break;
            case CdgPacket::kScrollCopy:
                ++c.scrolls;
                break;
            case CdgPacket::kLoadColorTableLow:
            case CdgPacket::kLoadColorTableHigh:
                ++c.tables;
                break;
            default:
                ++c.other;
        }
    }
    return c;
}

}  // namespace

TEST(Transitions, EveryDrawingTransitionEndsWithThePictureOnScreen) {
    const MPicture picture = NoisyPicture(3);
    for (int code = 0; code <= 9; ++code) {
        std::vector<uint8_t> stream(24 * 6000, 0);
        MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
        gen.SeedRandom(42);
        uint32_t p = gen.WriteMemoryPreset(7, 0);
        const uint32_t bytes = gen.RunTransition(picture, code, MPicture::FixedGreys(), 7, p);
        const Counts c = CountPackets(stream, p, bytes);
        EXPECT_EQ(c.other, 0) << code;
        EXPECT_EQ(c.normalTiles, 768) << MTransitionWriter::TransitionName(code).toStdString();
        MRwRenderer renderer;
        ScreenProbe::Decode(renderer, stream);
        EXPECT_EQ(ScreenProbe::InnerArea(renderer), ScreenProbe::PicturePixels(picture))
            << MTransitionWriter::TransitionName(code).toStdString();
        EXPECT_EQ(renderer.HorizontalOffset(), 0);
        EXPECT_EQ(renderer.VerticalOffset(), 0);
    }
}

TEST(Transitions, ScrollsMoveOnePixelPerStep) {
    const MPicture picture = NoisyPicture(5);
    std::vector<uint8_t> stream(24 * 6000, 0);
    MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
    const uint32_t bytes =
        gen.RunTransition(picture, MTransitionWriter::kScrollLeft, MPicture::FixedGreys(), 0, 0);
    const Counts c = CountPackets(stream, 0, bytes);
    EXPECT_EQ(c.scrolls, 1 + 48 * (5 + 1) + 6 + 1);
    std::vector<uint8_t> down(24 * 6000, 0);
    MRwGenerator genDown(down.data(), static_cast<uint32_t>(down.size()));
    const uint32_t downBytes = genDown.RunTransition(picture, MTransitionWriter::kScrollDown,
                                                     MPicture::FixedGreys(), 0, 0);
    EXPECT_EQ(CountPackets(down, 0, downBytes).scrolls, 1 + 16 * (11 + 1) + 11);
}

TEST(Transitions, HalfPictureHeightLimitsTheRows) {
    const MPicture picture = NoisyPicture(9);
    for (int code : {MTransitionWriter::kFillDown, MTransitionWriter::kFillUp,
                     MTransitionWriter::kBlockDissolve, MTransitionWriter::kFillRight}) {
        std::vector<uint8_t> stream(24 * 6000, 0);
        MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
        gen.SetPictureHeight(50);
        gen.SeedRandom(7);
        const uint32_t bytes = gen.RunTransition(picture, code, MPicture::FixedGreys(), 0, 0);
        const Counts c = CountPackets(stream, 0, bytes);
        int maxRow = 0;
        for (const auto& [row, col] : c.rows) {
            maxRow = std::max(maxRow, row);
        }
        EXPECT_EQ(c.normalTiles, 48 * 8) << code;
        EXPECT_EQ(maxRow, 8) << "picture rows 0-7 on screen rows 1-8";
    }
    std::vector<uint8_t> stream(24 * 6000, 0);
    MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
    gen.SetPictureHeight(50);
    const uint32_t bytes =
        gen.RunTransition(picture, MTransitionWriter::kFillUp, MPicture::FixedGreys(), 0, 0);
    EXPECT_EQ(CdgPacket::FromBytes(stream.data()).data[2], 8) << "Fill Up starts at picture row 7";
    (void)bytes;
}

TEST(Transitions, FadesAreColourTables) {
    const MPicture picture = NoisyPicture(1);
    MPicture::ColourTable colours{};
    for (int i = 0; i < 16; ++i) {
        colours[static_cast<size_t>(i)] = CdgColour::Make(i * 16, 255 - i * 16, 128);
    }
    {
        std::vector<uint8_t> stream(24 * 6000, 0);
        MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
        const uint32_t bytes =
            gen.RunTransition(picture, MTransitionWriter::kFadeIn, colours, 5, 0);
        const Counts c = CountPackets(stream, 0, bytes);
        EXPECT_EQ(c.tables, 2 + 256);
        EXPECT_EQ(bytes / 24, static_cast<uint32_t>(2 + c.tiles + 256));
        MRwRenderer r;
        ScreenProbe::Decode(r, stream);
        for (int i = 0; i < 16; ++i) {
            uint8_t encoded[2];
            CdgColour::Encode(colours[static_cast<size_t>(i)], encoded);
            EXPECT_EQ(r.Color(i), CdgColour::Decode(encoded))
                << "the fade ends on the page colours";
        }
    }
    {
        std::vector<uint8_t> stream(24 * 6000, 0);
        MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
        const uint32_t bytes =
            gen.RunTransition(picture, MTransitionWriter::kFadeOut, colours, 5, 0);
        EXPECT_EQ(bytes, 288u * 24);
        EXPECT_EQ(CountPackets(stream, 0, bytes).tiles, 0);
        MRwRenderer r;
        ScreenProbe::Decode(r, stream);
        for (MRgb c : r.ColorTable()) {
            EXPECT_EQ(c, CdgColour::Make(68, 170, 119)) << "entry 5 through the 4-bit table";
        }
    }
    std::vector<uint8_t> stream(24 * 100, 0);
    MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
    EXPECT_EQ(gen.RunTransition(picture, 11, colours, 5, 0), 0u);
    EXPECT_EQ(MTransitionWriter::TransitionName(8), QStringLiteral("Block Dissolve"));
    EXPECT_TRUE(MTransitionWriter::TransitionName(11).isEmpty());
    EXPECT_EQ(MTransitionWriter::PlacementName(4), QStringLiteral("Stretched"));
    EXPECT_TRUE(MTransitionWriter::PlacementName(-1).isEmpty());
}

TEST(PageSequence, TitlePageWithDisplayTimeAndEraseTransition) {
    IMAGE_STRUCT page;
    page.pageId = IMAGE_STRUCT::kTitlePage;
    page.text = QStringLiteral("My Song\nby Me");
    page.textType = MTextType(QStringLiteral("Arial"), 12, 26, MTextType::kBold,
                              MTextType::kHCentre, MTextType::kVCentre, 13, 0, 0);
    page.picture.SetColour(11, CdgColour::Make(0, 17, 102));
    page.picture.SetColour(15, CdgColour::Make(0, 17, 102));
    page.picture.SetColour(12, CdgColour::Make(255, 255, 255));
    std::vector<uint8_t> stream(24 * 8000, 0);
    MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
    const uint32_t bytes = gen.DrawPage(page, true, 0);
    const Counts presets = CountPackets(stream, 0, 38 * 24);
    EXPECT_EQ(presets.tables, 4);
    EXPECT_EQ(presets.other, 34);
    // Then the picture's tiles, 600 empty packets, then 768 plain tiles.
    uint32_t p = 38 * 24;
    int drawTiles = 0;
    while (stream[p] != 0) {
        ++drawTiles;
        p += 24;
    }
    EXPECT_GE(drawTiles, 768);
    for (int i = 0; i < 600; ++i) {
        ASSERT_EQ(stream[p + 24 * i], 0) << i;
    }
    p += 600 * 24;
    const Counts erase = CountPackets(stream, p, 768 * 24);
    EXPECT_EQ(erase.normalTiles, 768);
    EXPECT_EQ(bytes, p + 768 * 24);
    MRwRenderer r;
    ScreenProbe::Decode(r, stream);
    // Entries 11 and 15 hold the same colour, so the plain picture may use either index; the
    // screen shows one colour throughout.
    const QImage shown = MRwScreenImage::Raw(r);
    for (int y = 12; y < 204; ++y) {
        for (int x = 6; x < 294; ++x) {
            ASSERT_EQ(shown.pixel(x, y), qRgb(0, 17, 102));
        }
    }

    // A page whose picture cannot be made draws nothing more.
    page.hasGraphic = true;
    std::vector<uint8_t> s2(24 * 8000, 0);
    MRwGenerator g2(s2.data(), static_cast<uint32_t>(s2.size()));
    EXPECT_EQ(g2.DrawPage(page, true, 0), 0u);
}

TEST(PageSequence, PreviewShowsTheWholePage) {
    IMAGE_STRUCT page;
    page.text = QStringLiteral("Credits");
    page.textType.fontHeight = 30;
    page.picture.SetColour(12, CdgColour::Make(255, 255, 255));
    MRwRenderer renderer;
    MRwGenerator preview(&renderer);
    EXPECT_EQ(preview.DrawPage(page, false, 0) > 0, true) << "only the display time is counted";
    const auto area = ScreenProbe::InnerArea(renderer);
    EXPECT_GT(ScreenProbe::Count(area, 12), 50);
    EXPECT_EQ(renderer.Color(12), CdgColour::Make(255, 255, 255));
}
