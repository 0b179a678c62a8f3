// Page pictures: loading and scaling, the choice of colours, reduction to those colours, and
// placement on the 288 x 192 picture.

#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <set>

#include "cdg/MBitmap.h"
#include "cdg/MPageDrawer.h"

namespace {

QImage Solid(int w, int h, QRgb colour) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

}  // namespace

TEST(MBitmap, LargePicturesShrinkWithTruncatedProductsSmallOnesKeepTheirSize) {
    MBitmap big;
    ASSERT_TRUE(big.LoadImage(Solid(1000, 500, qRgb(10, 20, 30))));
    EXPECT_EQ(big.Width(), 287);
    EXPECT_EQ(big.Height(), 143);
    MBitmap tall;
    ASSERT_TRUE(tall.LoadImage(Solid(100, 960, qRgb(10, 20, 30))));
    EXPECT_EQ(tall.Height(), 192);
    EXPECT_EQ(tall.Width(), 20);
    MBitmap small;
    ASSERT_TRUE(small.LoadImage(Solid(100, 50, qRgb(10, 20, 30))));
    EXPECT_EQ(small.Width(), 100);
    EXPECT_EQ(small.Height(), 50);
}

TEST(MBitmap, FilesOfEveryFormatLoadAndBadFilesGiveAnEmptyPicture) {
    QTemporaryDir dir;
    const QImage img = Solid(40, 30, qRgb(200, 100, 50));
    for (const char* format : {"bmp", "jpg", "png", "tif"}) {
        const QString path = dir.filePath(QStringLiteral("p.") + QString::fromLatin1(format));
        ASSERT_TRUE(img.save(path, format)) << format;
        MBitmap b;
        EXPECT_TRUE(b.LoadImage(path))
            << format << " " << QImageReader(path).errorString().toStdString();
        EXPECT_EQ(b.Width(), 40) << format;
    }
    {
        // Qt reads GIF but does not write it: a 1 x 1 GIF made by hand.
        static const char gif[] =
            "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00,\x00\x00\x00\x00"
            "\x01\x00\x01\x00\x00\x02\x02D\x01\x00;";
        QFile f(dir.filePath(QStringLiteral("p.gif")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(gif, sizeof(gif) - 1);
        f.close();
        MBitmap b;
        EXPECT_TRUE(b.LoadImage(f.fileName()));
        EXPECT_EQ(b.Width(), 1);
    }
    QFile junk(dir.filePath(QStringLiteral("junk.png")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("\x89PNG\r\n\x1a\nnot really");
    junk.close();
    MBitmap b;
    EXPECT_FALSE(b.LoadImage(junk.fileName()));
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(b.ToDib(1), nullptr);
    EXPECT_FALSE(b.LoadImage(dir.filePath(QStringLiteral("missing.png"))));

    // The reason reaches the user: a missing file, and a header claiming 40,000 pixels, which
    // is refused before anything is decoded.
    EXPECT_TRUE(b.LoadImage(dir.filePath(QStringLiteral("missing.png")))
                    .Text()
                    .contains(QStringLiteral("not found"), Qt::CaseInsensitive));
    QImage wide(40000, 1, QImage::Format_Mono);
    wide.fill(0);
    const QString widePath = dir.filePath(QStringLiteral("wide.png"));
    ASSERT_TRUE(wide.save(widePath));
    EXPECT_TRUE(b.LoadImage(widePath).Text().contains(QStringLiteral("40000 x 1 pixels")));
    EXPECT_TRUE(b.IsEmpty());
}

TEST(MBitmap, ColoursFillEntriesInOrderOfFirstAppearance) {
    QImage img(5, 2, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(250, 250, 250),
                            qRgb(0x3F, 0x4E, 0x5D)};
    for (int x = 0; x < 5; ++x) {
        img.setPixel(x, 0, colours[x]);
        img.setPixel(x, 1, colours[4 - x] | 0x0F0F0F);  // the same after the low bits go
    }
    MBitmap b;
    ASSERT_TRUE(b.LoadImage(img));
    EXPECT_EQ(b.Colour(0), CdgColour::Make(0xF0, 0, 0));
    EXPECT_EQ(b.Colour(3), CdgColour::Make(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(b.Colour(4), CdgColour::Make(0x30, 0x40, 0x50));
    for (int i = 5; i < 16; ++i) {
        EXPECT_EQ(b.Colour(i), 0u) << i;
    }
}

TEST(MBitmap, PaletteDriftsTowardsColoursFarApart) {
    // Eleven dark greys first, then pure red: red is far from all of them and replaces the
    // nearest grey; a twelfth grey close to the others does not get in.
    QImage img(13, 1, QImage::Format_RGB32);
    for (int x = 0; x < 11; ++x) {
        img.setPixel(x, 0, qRgb(16 * x, 16 * x, 16 * x));
    }
    img.setPixel(11, 0, qRgb(255, 0, 0));
    img.setPixel(12, 0, qRgb(0xB0, 0xB0, 0xA0));
    MBitmap b;
    ASSERT_TRUE(b.LoadImage(img));
    bool hasRed = false;
    bool hasLate = false;
    for (int i = 0; i < 11; ++i) {
        hasRed |= b.Colour(i) == CdgColour::Make(0xF0, 0, 0);
        hasLate |= b.Colour(i) == CdgColour::Make(0xB0, 0xB0, 0xA0);
    }
    EXPECT_TRUE(hasRed);
    (void)hasLate;
    std::set<MRgb> distinct;
    for (int i = 0; i < 11; ++i) {
        distinct.insert(b.Colour(i));
    }
    EXPECT_EQ(distinct.size(), 11u);
}

TEST(MBitmap, ReductionPicksTheNearestEntryAndIsRecomputedOnlyWhenNeeded) {
    QImage img(4, 1, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(255, 0, 0));
    img.setPixel(1, 0, qRgb(0, 0, 255));
    img.setPixel(2, 0, qRgb(250, 10, 10));
    img.setPixel(3, 0, qRgb(10, 10, 240));
    MBitmap b;
    ASSERT_TRUE(b.LoadImage(img));
    auto dib = b.ToDib(0);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->indices, (std::vector<uint8_t>{0, 1, 0, 1}));
    EXPECT_FALSE(b.dirty);
    // Changing the pixels behind its back does nothing until the picture is marked dirty.
    reinterpret_cast<uint8_t*>(b.sourcePixels.data())[2] = 0;    // red of pixel 0
    reinterpret_cast<uint8_t*>(b.sourcePixels.data())[0] = 255;  // blue of pixel 0
    EXPECT_EQ(b.ToDib(0)->indices[0], 0);
    b.dirty = true;
    EXPECT_EQ(b.ToDib(0)->indices[0], 1);
    // A strong dither mixes in the other entry now and then; the result is repeatable.
    const auto d1 = b.ToDib(50)->indices;
    b.dirty = true;
    EXPECT_EQ(b.ToDib(50)->indices, d1);
}

TEST(FitImage, Placements) {
    MIndexedPicture dib;
    dib.width = 100;
    dib.height = 50;
    dib.colours = MPicture::FixedGreys();
    dib.indices.assign(100 * 50, 3);
    dib.indices[0] = 4;  // top-left marker
    const auto at = [](const MPicture& p, int x, int y) { return p.Pixel(x, y); };

    auto top = MPageDrawer::FitImage(dib, 0, 9);
    EXPECT_EQ(at(*top, 94, 0), 4);
    EXPECT_EQ(at(*top, 93, 0), 9);
    EXPECT_EQ(at(*top, 94, 50), 9);
    auto centre = MPageDrawer::FitImage(dib, 1, 9);
    EXPECT_EQ(at(*centre, 94, 71), 4);
    auto bottom = MPageDrawer::FitImage(dib, 2, 9);
    EXPECT_EQ(at(*bottom, 94, 142), 4);
    EXPECT_EQ(at(*bottom, 193, 191), 3);
    auto stretched = MPageDrawer::FitImage(dib, 4, 9);
    EXPECT_EQ(at(*stretched, 0, 0), 4);
    EXPECT_EQ(at(*stretched, 2, 3), 4) << "each source pixel covers 2.88 x 3.84";
    EXPECT_EQ(at(*stretched, 287, 191), 3);
    // Tiled: 3 x 4 copies from (0, 0), clipped at the edges.
    auto tiled = MPageDrawer::FitImage(dib, 3, 9);
    int markers = 0;
    for (int y = 0; y < 192; ++y) {
        for (int x = 0; x < 288; ++x) {
            markers += at(*tiled, x, y) == 4;
            ASSERT_NE(at(*tiled, x, y), 9);
        }
    }
    EXPECT_EQ(markers, 12);
    EXPECT_EQ(at(*tiled, 200, 150), 4);
}
