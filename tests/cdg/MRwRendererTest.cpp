// Decoding packets into the screen model, and the view geometry.

#include <gtest/gtest.h>

#include <QImage>
#include <atomic>
#include <random>
#include <vector>

#include "cdg/CdgColour.h"
#include "cdg/CdgPacket.h"
#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"
#include "cdg/MRwScreenImage.h"
#include "cdg/MRwView.h"

namespace {

CdgPacket Tile(uint8_t code, int c0, int c1, int row, int column, uint8_t bits = 0x3F) {
    CdgPacket p = CdgPacket::Graphics(code);
    p.data[0] = static_cast<uint8_t>(c0);
    p.data[1] = static_cast<uint8_t>(c1);
    p.data[2] = static_cast<uint8_t>(row);
    p.data[3] = static_cast<uint8_t>(column);
    for (int y = 0; y < 12; ++y) {
        p.data[4 + y] = bits;
    }
    return p;
}

CdgPacket Preset(uint8_t code, int colour, int repeat = 0) {
    CdgPacket p = CdgPacket::Graphics(code);
    p.data[0] = static_cast<uint8_t>(colour);
    p.data[1] = static_cast<uint8_t>(repeat);
    return p;
}

CdgPacket Scroll(uint8_t code, int fill, int h, int hOff, int v, int vOff) {
    CdgPacket p = CdgPacket::Graphics(code);
    p.data[0] = static_cast<uint8_t>(fill);
    p.data[1] = static_cast<uint8_t>((h << 4) | hOff);
    p.data[2] = static_cast<uint8_t>((v << 4) | vOff);
    return p;
}

class CountingView : public MRwView {
public:
    void SetRenderer(MRwRenderer* r) override { renderer = r; }
    void ScreenChanged(const QRect& rect) override {
        ++changes;
        last = rect;
    }
    MRwRenderer* renderer = nullptr;
    std::atomic<int> changes{0};
    QRect last;
};

// A screen with a recognisable pattern in every pixel.
void Scribble(MRwRenderer& r, MRwPlayer& d) {
    for (int row = 0; row < 18; ++row) {
        for (int col = 0; col < 50; ++col) {
            d.DecodePacket(Tile(CdgPacket::kTileBlock, (row + col) % 16, (row * 3 + col) % 16, row,
                                col, static_cast<uint8_t>((row * 7 + col) & 0x3F)));
        }
    }
}

}  // namespace

TEST(Decoder, TilesOutsideChannelsZeroAndOneAreIgnored) {
    MRwRenderer r;
    MRwPlayer d(&r);
    d.DecodePacket(Tile(CdgPacket::kTileBlock, 0x13, 0x02, 3, 3));  // channel 4
    EXPECT_EQ(r.PixelAt(18, 36), 0);
    d.DecodePacket(Tile(CdgPacket::kTileBlock, 0x03, 0x12, 3, 3));  // channel 1
    EXPECT_EQ(r.PixelAt(18, 36), 2);
}

TEST(Decoder, NormalAndXorTilesFollowTheBits) {
    MRwRenderer r;
    MRwPlayer d(&r);
    d.DecodePacket(Tile(CdgPacket::kTileBlock, 4, 9, 2, 5, 0x21));
    EXPECT_EQ(r.PixelAt(30, 24), 9);  // leftmost bit
    EXPECT_EQ(r.PixelAt(31, 24), 4);
    EXPECT_EQ(r.PixelAt(35, 35), 9);  // rightmost bit, last row
    d.DecodePacket(Tile(CdgPacket::kTileBlockXor, 1, 6, 2, 5, 0x20));
    EXPECT_EQ(r.PixelAt(30, 24), 9 ^ 6);
    EXPECT_EQ(r.PixelAt(31, 24), 4 ^ 1);
}

TEST(Decoder, HostileTileAddressesChangeNothing) {
    MRwRenderer r;
    MRwPlayer d(&r);
    d.DecodePacket(Preset(CdgPacket::kMemoryPreset, 3));
    const auto before = r.ScreenIndices();
    for (int row = 18; row < 256; ++row) {
        d.DecodePacket(Tile(CdgPacket::kTileBlock, 5, 5, row, 0));
        d.DecodePacket(Tile(CdgPacket::kTileBlockXor, 5, 5, row, 10));
    }
    for (int col = 50; col < 256; ++col) {
        d.DecodePacket(Tile(CdgPacket::kTileBlock, 5, 5, 1, col));
    }
    // Row bytes above 31 wrap into 0-31 except 81-127; columns wrap into 0-63.
    auto after = r.ScreenIndices();
    int changed = 0;
    for (size_t i = 0; i < after.size(); ++i) {
        changed += after[i] != before[i];
    }
    EXPECT_GT(changed, 0) << "rows 32-80 and 128-255 land on real rows once masked";
    MRwRenderer clean;
    MRwPlayer cd(&clean);
    cd.DecodePacket(Preset(CdgPacket::kMemoryPreset, 3));
    for (int row = 81; row <= 127; ++row) {
        cd.DecodePacket(Tile(CdgPacket::kTileBlock, 5, 5, row, 4));
    }
    for (int row = 18; row < 32; ++row) {
        cd.DecodePacket(Tile(CdgPacket::kTileBlock, 5, 5, row, 4));
    }
    for (int col = 50; col < 64; ++col) {
        cd.DecodePacket(Tile(CdgPacket::kTileBlock, 5, 5, 4, col));
    }
    EXPECT_EQ(clean.ScreenIndices(), before);
    // Direct calls with colours above 15 are ignored as well.
    const uint8_t rows[12] = {0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F,
                              0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F};
    clean.DrawTile(1, 1, 16, 3, rows);
    clean.XorTile(1, 1, 0, 200, rows);
    clean.DrawTile(-1, 1, 1, 3, rows);
    EXPECT_EQ(clean.ScreenIndices(), before);
}

TEST(Decoder, SixteenMemoryPresetsLeaveTheSameScreenAsOne) {
    MRwRenderer one;
    MRwRenderer sixteen;
    MRwPlayer d1(&one);
    MRwPlayer d16(&sixteen);
    Scribble(one, d1);
    Scribble(sixteen, d16);
    d1.DecodePacket(Preset(CdgPacket::kMemoryPreset, 6));
    for (int i = 0; i < 16; ++i) {
        d16.DecodePacket(Preset(CdgPacket::kMemoryPreset, 6, i));
    }
    EXPECT_EQ(one.ScreenIndices(), sixteen.ScreenIndices());
    EXPECT_EQ(one.PixelAt(299, 215), 6);
}

TEST(Decoder, PresetColoursAboveFifteenKeepThePreviousColour) {
    MRwRenderer r;
    MRwPlayer d(&r);
    d.DecodePacket(Preset(CdgPacket::kMemoryPreset, 4));
    d.DecodePacket(Preset(CdgPacket::kBorderPreset, 9));
    d.DecodePacket(Preset(CdgPacket::kMemoryPreset, 0x25));
    d.DecodePacket(Preset(CdgPacket::kBorderPreset, 0x30));
    EXPECT_EQ(r.MemoryColor(), 4);
    // The Memory Preset cleared the border with the memory colour, which the Border Preset kept.
    EXPECT_EQ(r.BorderColor(), 4);
    EXPECT_EQ(r.PixelAt(100, 100), 4);
}

TEST(Decoder, MemoryPresetClearsTheBorderAndBorderPresetPaintsIt) {
    MRwRenderer r;
    MRwPlayer d(&r);
    d.DecodePacket(Preset(CdgPacket::kBorderPreset, 9));
    d.DecodePacket(Preset(CdgPacket::kMemoryPreset, 4));
    EXPECT_EQ(r.BorderColor(), 4);
    EXPECT_EQ(r.PixelAt(0, 0), 4);
    d.DecodePacket(Preset(CdgPacket::kBorderPreset, 9));
    EXPECT_EQ(r.BorderColor(), 9);
    for (const auto& [x, y] :
         {std::pair{0, 0}, {5, 100}, {294, 100}, {299, 215}, {150, 11}, {150, 204}}) {
        EXPECT_EQ(r.PixelAt(x, y), 9) << x << "," << y;
    }
    for (const auto& [x, y] : {std::pair{6, 12}, {293, 203}, {150, 100}}) {
        EXPECT_EQ(r.PixelAt(x, y), 4) << x << "," << y;
    }
}

TEST(Decoder, ScrollCopyLeftThenRightRestoresTheScreen) {
    MRwRenderer r;
    MRwPlayer d(&r);
    Scribble(r, d);
    const auto before = r.ScreenIndices();
    d.DecodePacket(Scroll(CdgPacket::kScrollCopy, 0, 2, 0, 0, 0));
    EXPECT_NE(r.ScreenIndices(), before);
    EXPECT_EQ(r.PixelAt(0, 0), before[6]);
    EXPECT_EQ(r.PixelAt(294, 0), before[0]) << "what leaves the left edge comes back on the right";
    d.DecodePacket(Scroll(CdgPacket::kScrollCopy, 0, 1, 0, 0, 0));
    EXPECT_EQ(r.ScreenIndices(), before);
    d.DecodePacket(Scroll(CdgPacket::kScrollCopy, 0, 0, 0, 2, 0));
    EXPECT_EQ(r.PixelAt(0, 0), before[12 * 300]);
    d.DecodePacket(Scroll(CdgPacket::kScrollCopy, 0, 0, 0, 1, 0));
    EXPECT_EQ(r.ScreenIndices(), before);
}

TEST(Decoder, ScrollPresetFillsTheUncoveredBand) {
    MRwRenderer r;
    MRwPlayer d(&r);
    Scribble(r, d);
    const auto before = r.ScreenIndices();
    d.DecodePacket(Scroll(CdgPacket::kScrollPreset, 0x1D, 1, 0, 0, 0));  // right, fill 13
    for (int y = 0; y < 216; ++y) {
        for (int x = 0; x < 6; ++x) {
            ASSERT_EQ(r.PixelAt(x, y), 13);
        }
        ASSERT_EQ(r.PixelAt(6, y), before[static_cast<size_t>(y) * 300]);
    }
    d.DecodePacket(Scroll(CdgPacket::kScrollPreset, 2, 0, 0, 2, 0));  // up, fill 2
    for (int x = 0; x < 300; ++x) {
        ASSERT_EQ(r.PixelAt(x, 215), 2);
        ASSERT_EQ(r.PixelAt(x, 204), 2);
    }
}

TEST(Decoder, DiagonalScrollMovesBothWays) {
    MRwRenderer r;
    MRwPlayer d(&r);
    Scribble(r, d);
    const auto before = r.ScreenIndices();
    d.DecodePacket(Scroll(CdgPacket::kScrollCopy, 0, 1, 0, 1, 0));  // right and down
    for (int y = 12; y < 216; y += 17) {
        for (int x = 6; x < 300; x += 13) {
            ASSERT_EQ(r.PixelAt(x, y), before[static_cast<size_t>(y - 12) * 300 + x - 6]);
        }
    }
}

TEST(Decoder, ScrollOffsetsAreStoredAndLimited) {
    MRwRenderer r;
    MRwPlayer d(&r);
    d.DecodePacket(Scroll(CdgPacket::kScrollCopy, 0, 0, 3, 0, 9));
    EXPECT_EQ(r.HorizontalOffset(), 3);
    EXPECT_EQ(r.VerticalOffset(), 9);
    d.DecodePacket(Scroll(CdgPacket::kScrollCopy, 0, 0, 7, 0, 15));
    EXPECT_EQ(r.HorizontalOffset(), 5);
    EXPECT_EQ(r.VerticalOffset(), 11);
}

TEST(Decoder, ColourTablesAndTransparentColour) {
    MRwRenderer r;
    MRwPlayer d(&r);
    CountingView view;
    r.AttachWindow(&view);
    CdgPacket low = CdgPacket::Graphics(CdgPacket::kLoadColorTableLow);
    CdgColour::Encode(CdgColour::Make(255, 128, 0), low.data + 2);
    d.DecodePacket(low);
    EXPECT_EQ(r.Color(1), CdgColour::Make(255, 119, 0));
    const int changes = view.changes;
    d.DecodePacket(low);
    EXPECT_EQ(view.changes, changes) << "an identical table is skipped";
    CdgPacket high = CdgPacket::Graphics(CdgPacket::kLoadColorTableHigh);
    CdgColour::Encode(CdgColour::Make(0, 0, 255), high.data + 14);
    d.DecodePacket(high);
    EXPECT_EQ(r.Color(15), CdgColour::Make(0, 0, 255));
    EXPECT_EQ(r.Color(1), CdgColour::Make(255, 119, 0));

    EXPECT_FALSE(r.HasTransparentColor());
    d.DecodePacket(Preset(CdgPacket::kDefineTransparent, 0x20));
    EXPECT_FALSE(r.HasTransparentColor());
    d.DecodePacket(Preset(CdgPacket::kDefineTransparent, 7));
    EXPECT_TRUE(r.HasTransparentColor());
    EXPECT_EQ(r.TransparentColor(), 7);
    r.DetachAllWindows();
    EXPECT_EQ(view.renderer, nullptr);
}

TEST(Decoder, TilesAnnounceTheirRectangleExceptOnTheTopAndLeftBorder) {
    MRwRenderer r;
    MRwPlayer d(&r);
    CountingView view;
    r.AttachWindow(&view);
    r.AttachWindow(&view);
    EXPECT_EQ(view.renderer, &r);
    view.changes = 0;
    d.DecodePacket(Tile(CdgPacket::kTileBlock, 1, 2, 3, 4));
    EXPECT_EQ(view.changes, 1) << "a view attached twice is told once";
    EXPECT_EQ(view.last, QRect(23, 35, 8, 14));
    d.DecodePacket(Tile(CdgPacket::kTileBlock, 1, 2, 0, 4));
    d.DecodePacket(Tile(CdgPacket::kTileBlock, 1, 2, 4, 0));
    EXPECT_EQ(view.changes, 1);
    r.SetSuspended(true);
    d.DecodePacket(Tile(CdgPacket::kTileBlock, 1, 2, 3, 4));
    EXPECT_EQ(view.changes, 1);
    r.SetSuspended(false);
    r.DetachWindow(&view);
}

TEST(ViewPainting, DoubleSizeWindowShowsEachPixelTwiceWithBorderStrips) {
    MRwRenderer r;
    MRwPlayer d(&r);
    std::array<MRgb, 16> colours{};
    for (int i = 0; i < 16; ++i) {
        colours[i] = CdgColour::Make(i * 17, 255 - i * 17, (i * 50) % 256);
    }
    r.LoadColors(0, 16, colours.data());
    Scribble(r, d);
    d.DecodePacket(Preset(CdgPacket::kBorderPreset, 11));
    const QImage view = MRwScreenImage::View(r, 600, 432);
    const QImage raw = MRwScreenImage::Raw(r);
    const QRgb border = CdgColour::ToArgb(colours[11]);
    for (int y = 0; y < 432; ++y) {
        for (int x = 0; x < 600; ++x) {
            const bool inner = x >= 12 && x < 588 && y >= 24 && y < 408;
            const QRgb expected = inner ? raw.pixel(x / 2, y / 2) : border;
            ASSERT_EQ(view.pixel(x, y), expected) << x << "," << y;
        }
    }
}

TEST(ViewPainting, FineOffsetsShiftTheShownArea) {
    MRwRenderer r;
    MRwPlayer d(&r);
    std::array<MRgb, 16> colours{};
    for (int i = 0; i < 16; ++i) {
        colours[i] = CdgColour::Make(i * 17, i * 17, i * 17);
    }
    r.LoadColors(0, 16, colours.data());
    Scribble(r, d);
    d.DecodePacket(Scroll(CdgPacket::kScrollCopy, 0, 0, 4, 0, 10));
    const QImage view = MRwScreenImage::View(r, 300, 216);
    const QImage raw = MRwScreenImage::Raw(r);
    EXPECT_EQ(view.pixel(6, 12), raw.pixel(10, 22));
    EXPECT_EQ(view.pixel(293, 203), raw.pixel(297, 213));
}

TEST(ViewPainting, OddWindowSizesMapWithoutGaps) {
    MRwRenderer r;
    for (const QSize size : {QSize(1, 1), QSize(7, 5), QSize(451, 333), QSize(1920, 1080)}) {
        const QImage view = MRwScreenImage::View(r, size.width(), size.height());
        EXPECT_EQ(view.size(), size);
    }
    const QRect all = MRwRenderer::ViewRectForScreenRect(QRect(0, 0, 300, 216), 640, 480);
    EXPECT_EQ(all, QRect(0, 0, 640, 480));
    const QRect tile = MRwRenderer::ViewRectForScreenRect(QRect(60, 60, 6, 12), 600, 432);
    EXPECT_TRUE(tile.contains(QRect(120, 120, 12, 24)));
}
