// The packet writers: slot search, presets, colour tables, tiles, and the time base.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "cdg/CdgColour.h"
#include "cdg/CdgPacket.h"
#include "cdg/CdgTimeBase.h"
#include "cdg/MRwGenerator.h"
#include "cdg/MRwRenderer.h"
#include "support/ScreenProbe.h"

namespace {

std::vector<CdgPacket> PacketsOf(const std::vector<uint8_t>& stream) {
    std::vector<CdgPacket> out;
    for (size_t i = 0; i + 24 <= stream.size(); i += 24) {
        out.push_back(CdgPacket::FromBytes(stream.data() + i));
    }
    return out;
}

CdgPacket Marker() {
    CdgPacket p = CdgPacket::Graphics(CdgPacket::kBorderPreset);
    p.data[0] = 7;
    return p;
}

}  // namespace

TEST(PacketSink, FreeSlotIsUsedAsAsked) {
    std::vector<uint8_t> stream(24 * 10, 0);
    MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
    EXPECT_EQ(gen.WritePacket(Marker(), 48), 24u);
    EXPECT_EQ(stream[48], CdgPacket::kGraphicsCommand);
    EXPECT_EQ(stream[0], 0);
}

TEST(PacketSink, OccupiedSlotsAreSkipped) {
    std::vector<uint8_t> stream(24 * 10, 0);
    MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
    gen.WritePacket(Marker(), 24);
    EXPECT_EQ(gen.WritePacket(Marker(), 24), 48u) << "one slot skipped";
    gen.WritePacket(Marker(), 120);
    gen.WritePacket(Marker(), 144);
    gen.WritePacket(Marker(), 168);
    EXPECT_EQ(gen.WritePacket(Marker(), 120), 96u) << "three slots skipped";
    EXPECT_NE(stream[192], 0);
}

TEST(PacketSink, NothingIsStoredAtOrPastTheEnd) {
    std::vector<uint8_t> stream(24 * 4, 0);
    MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
    EXPECT_EQ(gen.WritePacket(Marker(), 72), 24u);
    EXPECT_EQ(gen.WritePacket(Marker(), 1000000), 24u);
    EXPECT_EQ(std::count(stream.begin(), stream.end(), 0), static_cast<long>(stream.size()));
}

TEST(PacketSink, SearchStopsAtTheLastWholeSlot) {
    std::vector<uint8_t> stream(24 * 4 + 10, 0);  // a ragged tail must never be written
    MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
    for (int i = 0; i < 4; ++i) {
        gen.WritePacket(Marker(), 0);
    }
    EXPECT_EQ(gen.WritePacket(Marker(), 48), 24u) << "no free slot: not stored";
    EXPECT_EQ(std::count(stream.begin() + 96, stream.end(), 0), 10);
}

TEST(PacketSink, WithoutDestinationWritersStillCountAndDrawersDoNot) {
    MRwGenerator gen;
    EXPECT_EQ(gen.WritePacket(Marker(), 0), 24u);
    EXPECT_EQ(gen.WriteMemoryPreset(3, 0), 16u * 24u);
    EXPECT_EQ(gen.WriteBorderPreset(3, 0), 24u);
    EXPECT_EQ(gen.WriteColorTable({}, 0), 48u);
    EXPECT_EQ(gen.WriteScrollCopy(1, 0, 0, 0, 0), 0u);
}

TEST(PacketWriters, MemoryPresetFillsSixteenSlotsWithRepeatNumbers) {
    std::vector<uint8_t> stream(24 * 40, 0);
    MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
    gen.WritePacket(Marker(), 24 * 3);
    EXPECT_EQ(gen.WriteMemoryPreset(0x4F, 0), 17u * 24u);  // one slot taken on the way
    const auto packets = PacketsOf(stream);
    int repeat = 0;
    for (int i = 0; i < 17; ++i) {
        if (i == 3) {
            continue;
        }
        EXPECT_EQ(packets[i].Code(), CdgPacket::kMemoryPreset);
        EXPECT_EQ(packets[i].data[0], 0x0F) << "colour masked to 6 bits";
        EXPECT_EQ(packets[i].data[1], repeat++);
    }
}

TEST(PacketWriters, ColourEncoding) {
    uint8_t b[2];
    for (int v : {0, 16}) {
        CdgColour::Encode(CdgColour::Make(v, v, v), b);
        EXPECT_EQ(b[0], 0);
        EXPECT_EQ(b[1], 0);
    }
    CdgColour::Encode(CdgColour::Make(17, 33, 0), b);
    EXPECT_EQ(b[0], (1 << 2) | 0);
    EXPECT_EQ(b[1], (1 << 4) | 0);
    CdgColour::Encode(CdgColour::Make(255, 128, 0), b);
    EXPECT_EQ(b[0], 0x3D);
    EXPECT_EQ(b[1], 0x30);
    CdgColour::Encode(CdgColour::Make(255, 255, 255), b);
    EXPECT_EQ(CdgColour::Decode(b), CdgColour::Make(255, 255, 255));
    // Every 4-bit value survives the round trip.
    for (int r = 0; r < 16; ++r) {
        for (int g = 0; g < 16; ++g) {
            CdgColour::Encode(CdgColour::Make(r * 17, g * 17, (15 - r) * 17), b);
            EXPECT_EQ(CdgColour::Decode(b), CdgColour::Make(r * 17, g * 17, (15 - r) * 17));
        }
    }
}

TEST(PacketWriters, ColourTableGoesLowHalfThenHighHalf) {
    std::vector<uint8_t> stream(24 * 4, 0);
    MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
    MRwGenerator::ColorTable colours{};
    colours[0] = CdgColour::Make(255, 0, 0);
    colours[15] = CdgColour::Make(0, 0, 255);
    EXPECT_EQ(gen.WriteColorTable(colours, 0), 48u);
    const auto packets = PacketsOf(stream);
    EXPECT_EQ(packets[0].Code(), CdgPacket::kLoadColorTableLow);
    EXPECT_EQ(packets[1].Code(), CdgPacket::kLoadColorTableHigh);
    EXPECT_EQ(CdgColour::Decode(packets[0].data), colours[0]);
    EXPECT_EQ(CdgColour::Decode(packets[1].data + 14), colours[15]);
}

TEST(PacketWriters, TimeBase) {
    EXPECT_EQ(CdgTimeBase::StreamBytesFromFrames(44100), 7200);
    EXPECT_EQ(CdgTimeBase::PacketIndexFromFrames(44100), 300);
    EXPECT_EQ(CdgTimeBase::StreamBytesFromFrames(146), 0);
    EXPECT_EQ(CdgTimeBase::StreamBytesFromFrames(147), 24);
    EXPECT_EQ(CdgTimeBase::FramesFromStreamBytes(24), 147);
    EXPECT_EQ(CdgTimeBase::AudioBytesFromStreamBytes(7200), 176400);
}

TEST(TileEncoding, OneColourIsOneNormalPacketWithAllBitsSet) {
    MPicture picture(5, {});
    std::vector<uint8_t> stream(24 * 8, 0);
    MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
    EXPECT_EQ(gen.WriteTile(picture, 3, 2, 4, 3, 0), 24u);
    const CdgPacket p = CdgPacket::FromBytes(stream.data());
    EXPECT_EQ(p.Code(), CdgPacket::kTileBlock);
    EXPECT_EQ(p.data[0], 5);
    EXPECT_EQ(p.data[1], 5);
    EXPECT_EQ(p.data[2], 3);
    EXPECT_EQ(p.data[3], 4);
    for (int y = 0; y < 12; ++y) {
        EXPECT_EQ(p.data[4 + y], 0x3F);
    }
    EXPECT_EQ(stream[24], 0);
}

TEST(TileEncoding, FourColoursAreOneNormalAndTwoXorPackets) {
    MPicture picture(9, {});
    picture.SetPixel(0, 0, 3);
    picture.SetPixel(1, 0, 12);
    picture.SetPixel(5, 11, 14);
    std::vector<uint8_t> stream(24 * 8, 0);
    MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
    EXPECT_EQ(gen.WriteTile(picture, 0, 0, 1, 1, 0), 72u);
    const auto packets = PacketsOf(stream);
    EXPECT_EQ(packets[0].Code(), CdgPacket::kTileBlock);
    EXPECT_EQ(packets[0].data[0], 3);
    EXPECT_EQ(packets[0].data[1], 9);
    EXPECT_EQ(packets[1].Code(), CdgPacket::kTileBlockXor);
    EXPECT_EQ(packets[1].data[0], 0);
    EXPECT_EQ(packets[1].data[1], 12 ^ 3);
    EXPECT_EQ(packets[1].data[4], 0x10);
    EXPECT_EQ(packets[2].data[1], 14 ^ 3);
    EXPECT_EQ(packets[2].data[4 + 11], 0x01);
    EXPECT_EQ(packets[3].command, 0);
}

TEST(TileEncoding, DecodedTilesReproduceAnyPictureWhateverWasOnScreen) {
    std::mt19937 rng(1234);
    MPicture picture;
    for (int y = 0; y < MPicture::kHeight; ++y) {
        for (int x = 0; x < MPicture::kWidth; ++x) {
            // Mostly few colours per tile, sometimes all sixteen.
            const int spread = (x / 6 + y / 12) % 5 == 0 ? 16 : 3;
            picture.SetPixel(x, y, static_cast<int>((rng() % spread + x / 6) % 16));
        }
    }
    std::vector<uint8_t> stream(24 * 48 * 16 * 16, 0);
    MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
    uint32_t p = gen.WriteMemoryPreset(7, 0);
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < 48; ++c) {
            p += gen.WriteTile(picture, c, r, c + 1, r + 1, p);
        }
    }
    MRwRenderer renderer;
    ScreenProbe::Decode(renderer, stream);
    EXPECT_EQ(ScreenProbe::InnerArea(renderer), ScreenProbe::PicturePixels(picture));
}

TEST(TileEncoding, XorTileMarksOnlyTheMatchingIndex) {
    MPicture picture(15, {});
    EXPECT_FALSE(MRwGenerator::MakeXorTile(picture, 0, 0, 1, 1, 12, 15).has_value());
    picture.SetPixel(2, 3, 12);
    const auto p = MRwGenerator::MakeXorTile(picture, 0, 0, 1, 1, 12, 15);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->Code(), CdgPacket::kTileBlockXor);
    EXPECT_EQ(p->data[1], 12 ^ 15);
    EXPECT_EQ(p->data[4 + 3], 0x20 >> 2);
    EXPECT_EQ(p->data[4], 0);
}

TEST(PictureStorage, Dib4RoundTripIsBottomUpHighNibbleFirst) {
    MPicture picture(0, {});
    picture.SetPixel(0, 191, 0xA);
    picture.SetPixel(1, 191, 0x5);
    picture.SetPixel(287, 0, 0xC);
    const QByteArray dib = picture.ToDib4();
    ASSERT_EQ(dib.size(), 144 * 192);
    EXPECT_EQ(static_cast<uint8_t>(dib[0]), 0xA5) << "first stored row is the bottom row";
    EXPECT_EQ(static_cast<uint8_t>(dib[144 * 191 + 143]), 0x0C);
    MPicture back;
    ASSERT_TRUE(back.FromDib4(dib));
    EXPECT_EQ(ScreenProbe::PicturePixels(back), ScreenProbe::PicturePixels(picture));
    EXPECT_FALSE(back.FromDib4(dib.left(100)));
}

TEST(PictureStorage, NearestIndexPrefersTheFirstOfEqualEntries) {
    MPicture::ColourTable t{};
    t[3] = CdgColour::Make(100, 100, 100);
    t[4] = CdgColour::Make(100, 100, 100);
    MPicture picture(0, t);
    EXPECT_EQ(picture.NearestIndex(CdgColour::Make(110, 100, 100)), 3);
    EXPECT_EQ(picture.NearestIndex(CdgColour::Make(1, 0, 0)), 0);
    MPicture greys(0, MPicture::FixedGreys());
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(greys.NearestIndex(CdgColour::Make(16 * i, 16 * i, 16 * i)), i);
    }
}
