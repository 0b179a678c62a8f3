// Text drawn into pictures: fonts, layout in line slots, mnemonics, outlines and exact indices.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <set>

#include "cdg/MResolvedFont.h"
#include "cdg/MRwGenerator.h"
#include "cdg/MTextCanvas.h"
#include "support/ScreenProbe.h"

namespace {

const MRwGenerator::ColorTable kGreys = MPicture::FixedGreys();

MTextType Type(int height, int flags, int hAlign = MTextType::kHLeft,
               int vAlign = MTextType::kVTop) {
    return MTextType(QStringLiteral("Arial"), 12, height, flags, hAlign, vAlign, 13, 0, 0);
}

std::set<int> IndicesIn(const MPicture& p) {
    std::set<int> s;
    for (int y = 0; y < MPicture::kHeight; ++y) {
        for (int x = 0; x < MPicture::kWidth; ++x) {
            s.insert(p.Pixel(x, y));
        }
    }
    return s;
}

// Text pixels drawn straight with Qt, for comparison (no mnemonic handling).
std::vector<uint8_t> Reference(const QString& text, const MResolvedFont& font, int x, int y, int w,
                               int h,
                               int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine) {
    QImage img(MPicture::kWidth, MPicture::kHeight, QImage::Format_Alpha8);
    img.fill(0);
    QPainter p(&img);
    p.setFont(font.Font());
    p.setPen(QColor(0, 0, 0, 255));
    p.drawText(QRect(x, y, w, h), flags, text);
    p.end();
    std::vector<uint8_t> out(static_cast<size_t>(MPicture::kWidth) * MPicture::kHeight);
    for (int yy = 0; yy < MPicture::kHeight; ++yy) {
        for (int xx = 0; xx < MPicture::kWidth; ++xx) {
            out[static_cast<size_t>(yy) * MPicture::kWidth + xx] = img.constScanLine(yy)[xx] >= 128;
        }
    }
    return out;
}

std::vector<uint8_t> Mask(const MPicture& p, int index) {
    std::vector<uint8_t> out(static_cast<size_t>(MPicture::kWidth) * MPicture::kHeight);
    for (int y = 0; y < MPicture::kHeight; ++y) {
        for (int x = 0; x < MPicture::kWidth; ++x) {
            out[static_cast<size_t>(y) * MPicture::kWidth + x] = p.Pixel(x, y) == index;
        }
    }
    return out;
}

}  // namespace

TEST(Fonts, PositiveHeightIsTheCellHeight) {
    for (int h : {9, 12, 20, 24, 26, 40, 75}) {
        for (int flags : {0, MTextType::kBold, MTextType::kItalic}) {
            const auto f = MResolvedFont::Resolve(QStringLiteral("Arial"), h, flags);
            EXPECT_EQ(f->CellHeight(), h);
            const QFontMetrics& m = f->Metrics();
            EXPECT_LE(m.ascent() + m.descent(), h) << "glyphs stay inside the cell";
            EXPECT_GE(m.ascent() + m.descent(), h - 3) << "and fill most of it";
            EXPECT_EQ(f->Font().bold(), (flags & MTextType::kBold) != 0);
            EXPECT_EQ(f->Font().italic(), (flags & MTextType::kItalic) != 0);
        }
    }
    const auto def = MResolvedFont::Resolve(QStringLiteral("Arial"), 0, 0);
    EXPECT_GT(def->CellHeight(), 10);
    const auto em = MResolvedFont::Resolve(QStringLiteral("Arial"), -20, 0);
    EXPECT_EQ(em->Font().pixelSize(), 20);
    EXPECT_TRUE(MResolvedFont::Resolve(QStringLiteral("Arial"), 20, MTextType::kUnderline)
                    ->Font()
                    .underline());
}

TEST(Fonts, AnUnknownFaceStillDraws) {
    MPicture picture(15, kGreys);
    MTextCanvas dc(&picture);
    MRwGenerator gen;
    MTextType type = Type(24, 0);
    type.faceName = QStringLiteral("No Such Face Anywhere");
    const MBox box = gen.RenderLine(dc, 4, 0, QStringLiteral("Hello"), type, kGreys, 0, -1);
    EXPECT_FALSE(box.IsEmpty());
    EXPECT_TRUE(IndicesIn(picture).count(12));
}

TEST(Layout, SlotsAlignments) {
    MPicture picture(15, kGreys);
    MTextCanvas dc(&picture);
    MRwGenerator gen;
    gen.SetExtraWidth(0);
    const QString text = QStringLiteral("Twinkle");
    dc.SelectFont(MResolvedFont::Resolve(QStringLiteral("Arial"), 24, 0));
    const int w = dc.TextWidth(text);

    MBox b = gen.LayoutLine(dc, 4, 2, text, Type(24, 0, MTextType::kHCentre, MTextType::kVCentre),
                            1, 0, nullptr);
    EXPECT_EQ(b.top, 96 + (48 - 24) / 2);
    EXPECT_EQ(b.left, (288 - w) / 2);
    EXPECT_EQ(b.Width(), w);
    EXPECT_EQ(b.Height(), 24);

    b = gen.LayoutLine(dc, 4, 1, text, Type(24, 0, MTextType::kHRight, MTextType::kVBottom), 1, 0,
                       nullptr);
    EXPECT_EQ(b.top, 48 + 48 - 24);
    EXPECT_EQ(b.right, 288);

    b = gen.LayoutLine(dc, 4, 3, text, Type(24, 0, MTextType::kHLeft, MTextType::kVTop), 1, 0,
                       nullptr);
    EXPECT_EQ(b.left, 0);
    EXPECT_EQ(b.top, 144);

    // Taller than its slot: the box is cut to the slot height.
    b = gen.LayoutLine(dc, 12, 0, text, Type(24, 0), 1, 0, nullptr);
    EXPECT_EQ(b.Height(), 16);

    gen.SetExtraWidth(1);
    b = gen.LayoutLine(dc, 4, 0, text, Type(24, 0), 1, 0, nullptr);
    EXPECT_EQ(b.Width(), w + dc.AverageCharWidth());
}

TEST(Layout, OverridesApplyFromTheSecondLine) {
    MPicture picture(15, kGreys);
    MTextCanvas dc(&picture);
    MRwGenerator gen;
    gen.SetExtraWidth(0);
    MTextTypeVer6 overrides;
    overrides.Append({3, 30, MTextType::kOutline, QStringLiteral("Arial"), MTextType::kHRight});
    dc.SelectFont(MResolvedFont::Resolve(QStringLiteral("Arial"), 20, 0));
    const QString text = QStringLiteral("abc");
    const int w = dc.TextWidth(text);
    const MBox first = gen.LayoutLine(dc, 1, 0, text, Type(20, 0), 2, 0, &overrides);
    EXPECT_EQ(first.left, 0);
    const MBox second = gen.LayoutLine(dc, 1, 0, text, Type(20, 0), 2, 1, &overrides);
    EXPECT_EQ(second.right, 288) << "right alignment from the override";
    EXPECT_EQ(second.Width(), w + 2 * 3) << "outline of height 30 widens by 2 x 3";
    const MBox third = gen.LayoutLine(dc, 1, 0, text, Type(20, 0), 3, 2, &overrides);
    EXPECT_EQ(third.left, 0) << "past the list the text type holds";
}

TEST(Layout, OutlineThicknessAndBoxGrowth) {
    EXPECT_EQ(MTextType::OutlineThickness(25), 2);
    EXPECT_EQ(MTextType::OutlineThickness(9), 1);
    EXPECT_EQ(MTextType::OutlineThickness(0), 1);
    MRwGenerator gen;
    for (int height : {9, 25}) {
        MPicture a(15, kGreys);
        MPicture b(15, kGreys);
        MTextCanvas da(&a);
        MTextCanvas db(&b);
        const MBox plain =
            gen.RenderLine(da, 2, 0, QStringLiteral("Star"), Type(height, 0), kGreys, 0, -1);
        const MBox outlined = gen.RenderLine(db, 2, 0, QStringLiteral("Star"),
                                             Type(height, MTextType::kOutline), kGreys, 0, -1);
        const int t = MTextType::OutlineThickness(height);
        EXPECT_EQ(outlined.Width(), plain.Width() + 2 * t) << height;
        EXPECT_EQ(outlined.Height(), plain.Height() + 2 * t) << height;
    }
}

TEST(Drawing, OutlineIsTheUnionOfAllShiftedCopies) {
    for (int height : {12, 24, 25, 41}) {
        for (int hAlign : {MTextType::kHLeft, MTextType::kHCentre, MTextType::kHRight}) {
            MPicture fast(15, kGreys);
            MTextCanvas dc(&fast);
            dc.SelectFont(
                MResolvedFont::Resolve(QStringLiteral("Arial"), height, MTextType::kBold));
            dc.SetTextColour(kGreys[13]);
            const QString text = QStringLiteral("Wonder & jump_y!");
            MRwGenerator gen;
            const MBox box = gen.LayoutLine(
                dc, 4, 0, text, Type(height, MTextType::kOutline | MTextType::kBold, hAlign), 1, 0,
                nullptr);
            const int d = MTextType::OutlineThickness(height);
            dc.DrawTextSpread(box, text, d);

            MPicture slow(15, kGreys);
            MTextCanvas ds(&slow);
            ds.SelectFont(
                MResolvedFont::Resolve(QStringLiteral("Arial"), height, MTextType::kBold));
            ds.SetTextColour(kGreys[13]);
            for (int dx = -d; dx <= d; ++dx) {
                for (int dy = -d; dy <= d; ++dy) {
                    ds.DrawText(box.Shifted(dx, dy), text);
                }
            }
            EXPECT_EQ(ScreenProbe::PicturePixels(fast), ScreenProbe::PicturePixels(slow))
                << "height " << height << " align " << hAlign;
        }
    }
}

TEST(Drawing, OutlineAtThePictureEdgeReachesBackIn) {
    // Glyphs just outside the picture still spread their outline into it.
    MPicture fast(15, kGreys);
    MTextCanvas dc(&fast);
    dc.SelectFont(MResolvedFont::Resolve(QStringLiteral("Arial"), 40, 0));
    dc.SetTextColour(kGreys[13]);
    const MBox box{-3, -4, 200, 40};
    dc.DrawTextSpread(box, QStringLiteral("|Edge"), 4);
    MPicture slow(15, kGreys);
    MTextCanvas ds(&slow);
    ds.SelectFont(MResolvedFont::Resolve(QStringLiteral("Arial"), 40, 0));
    ds.SetTextColour(kGreys[13]);
    for (int dx = -4; dx <= 4; ++dx) {
        for (int dy = -4; dy <= 4; ++dy) {
            ds.DrawText(box.Shifted(dx, dy), QStringLiteral("|Edge"));
        }
    }
    EXPECT_EQ(ScreenProbe::PicturePixels(fast), ScreenProbe::PicturePixels(slow));
}

TEST(Drawing, OnlyTheChosenIndicesAppear) {
    MRwGenerator gen;
    MPicture picture(15, kGreys);
    MTextCanvas dc(&picture);
    MTextType type(QStringLiteral("Arial"), 12, 30,
                   MTextType::kBold | MTextType::kOutline | MTextType::kItalic, MTextType::kHCentre,
                   MTextType::kVCentre, 13, 1, 4);
    gen.RenderTextBlock(dc, 1, 0, QStringLiteral("Line one\nLine two"), type, kGreys, nullptr);
    EXPECT_EQ(IndicesIn(picture), (std::set<int>{4, 12, 13, 15}));
}

TEST(Drawing, AmpersandsAreMnemonics) {
    MRwGenerator gen;
    gen.SetExtraWidth(0);
    const auto font = MResolvedFont::Resolve(QStringLiteral("Arial"), 24, 0);
    {
        MPicture picture(15, kGreys);
        MTextCanvas dc(&picture);
        const MBox box = gen.RenderTextBlock(dc, 1, 0, QStringLiteral("Rock && Roll"), Type(24, 0),
                                             kGreys, nullptr);
        EXPECT_EQ(box.Width(), font->Advance(QStringLiteral("Rock & Roll")))
            << "measured with one '&'";
        EXPECT_EQ(Mask(picture, 12),
                  Reference(QStringLiteral("Rock & Roll"), *font, 0, 0, 288, 24));
    }
    {
        MPicture picture(15, kGreys);
        MTextCanvas dc(&picture);
        gen.RenderTextBlock(dc, 1, 0, QStringLiteral("&Yes"), Type(24, 0), kGreys, nullptr);
        const auto plain = Reference(QStringLiteral("Yes"), *font, 0, 0, 288, 24);
        const auto drawn = Mask(picture, 12);
        int extra = 0;
        int missing = 0;
        for (size_t i = 0; i < drawn.size(); ++i) {
            extra += drawn[i] && !plain[i];
            missing += !drawn[i] && plain[i];
        }
        EXPECT_EQ(missing, 0) << "'&' is not drawn, 'Yes' is";
        EXPECT_GT(extra, 3) << "the Y is underlined";
    }
    EXPECT_EQ(MTextCanvas::StripMnemonics(QStringLiteral("a&&b&c&")), QStringLiteral("a&bc"));
}

TEST(Drawing, BlocksOfSeveralLines) {
    MRwGenerator gen;
    {
        MPicture picture(15, kGreys);
        MTextCanvas dc(&picture);
        const MBox last = gen.RenderTextBlock(dc, 1, 0, QStringLiteral("One\nTwo\nThree"),
                                              Type(20, 0, MTextType::kHCentre, MTextType::kVBottom),
                                              kGreys, nullptr);
        EXPECT_EQ(last.bottom, 192);
        EXPECT_EQ(last.top, 172);
    }
    {
        MPicture picture(15, kGreys);
        MTextCanvas dc(&picture);
        const MBox last =
            gen.RenderTextBlock(dc, 1, 0, QStringLiteral("One\r\n\r\nThree\n"),
                                Type(20, 0, MTextType::kHLeft, MTextType::kVTop), kGreys, nullptr);
        EXPECT_EQ(last.top, 40)
            << "the empty middle line keeps its height; the final break adds none";
    }
    {
        MPicture picture(15, kGreys);
        MTextCanvas dc(&picture);
        const MBox last = gen.RenderTextBlock(dc, 1, 0, QStringLiteral("A\nB"),
                                              Type(30, 0, MTextType::kHLeft, MTextType::kVCentre),
                                              kGreys, nullptr);
        EXPECT_EQ(last.top, (192 - 60) / 2 + 30);
    }
    {
        MPicture picture(15, kGreys);
        MTextCanvas dc(&picture);
        EXPECT_TRUE(
            gen.RenderTextBlock(dc, 1, 0, QString(), Type(30, 0), kGreys, nullptr).IsEmpty());
        EXPECT_EQ(IndicesIn(picture), std::set<int>{15});
    }
}

TEST(Drawing, PerLineOverridesColourAndDefaults) {
    MRwGenerator gen;
    MPicture picture(15, kGreys);
    MTextCanvas dc(&picture);
    MTextTypeVer6 overrides;
    overrides.Append({9, 20, 0, QStringLiteral("Arial"), MTextType::kHRight});
    MTextType type = Type(20, 0, MTextType::kHLeft, MTextType::kVTop);
    gen.RenderTextBlock(dc, 1, 0, QStringLiteral("first\nsecond\nthird"), type, kGreys, &overrides);
    // Line 1 in colour 12 at the top left, line 2 in colour 9 on the right, line 3 in the
    // defaults past the list: colour 0.
    bool sawTwelveTopLeft = false;
    bool sawNineRight = false;
    bool sawZero = false;
    for (int y = 0; y < 192; ++y) {
        for (int x = 0; x < 288; ++x) {
            const int v = picture.Pixel(x, y);
            sawTwelveTopLeft |= v == 12 && y < 20 && x < 100;
            sawNineRight |= v == 9 && x > 200;
            sawZero |= v == 0;
        }
    }
    EXPECT_TRUE(sawTwelveTopLeft);
    EXPECT_TRUE(sawNineRight);
    EXPECT_TRUE(sawZero);
}

TEST(Drawing, WordBoxesOfALine) {
    MRwGenerator gen;
    gen.SetExtraWidth(0);
    MPicture picture(15, kGreys);
    MTextCanvas dc(&picture);
    const QString line = QStringLiteral("How I wonder");
    const auto font = MResolvedFont::Resolve(QStringLiteral("Arial"), 24, 0);
    const MBox word = gen.RenderLine(dc, 4, 0, line, Type(24, 0), kGreys, 6, 11);
    EXPECT_EQ(word.left, font->Advance(QStringLiteral("How I ")));
    EXPECT_EQ(word.right, font->Advance(line));
    // The characters before the word are drawn over in the type's background colour (0).
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < word.left - 1; ++x) {
            ASSERT_NE(picture.Pixel(x, y), 12);
        }
    }
    EXPECT_TRUE(IndicesIn(picture).count(12));
    EXPECT_TRUE(IndicesIn(picture).count(0));
}

TEST(Drawing, BoxesAreClampedAndTilesLimited) {
    const MBox box = MBox{-20, -5, 400, 300}.ClampedToPicture();
    EXPECT_EQ(box, (MBox{0, 0, 288, 192}));
    EXPECT_EQ(box.LastTileColumn(), 47);
    EXPECT_EQ(box.LastTileRow(), 15);
    const MBox b{6, 12, 17, 36};
    EXPECT_EQ(b.FirstTileColumn(), 1);
    EXPECT_EQ(b.LastTileColumn(), 2);
    EXPECT_EQ(b.LastTileRow(), 3) << "bottom / 12, inclusive";
}
