#include "BenchStreams.h"

#include <cstring>
#include <random>

#include "cdg/CdgColour.h"
#include "cdg/CdgPacket.h"
#include "cdg/MRwGenerator.h"

std::vector<uint8_t> BenchStreams::FourMinuteStream() {
    constexpr uint32_t kPackets = 72000;
    std::vector<uint8_t> stream(static_cast<size_t>(kPackets) * 24, 0);
    MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
    std::mt19937 rng(2024);
    MRwGenerator::ColorTable colours{};
    for (int i = 0; i < 16; ++i) {
        colours[static_cast<size_t>(i)] = CdgColour::Make(i * 17, 255 - i * 17, (i * 40) % 256);
    }
    // A page setup every 30 seconds.
    for (uint32_t second = 0; second < 240; second += 30) {
        uint32_t p = second * 7200;
        for (int run = 0; run < 2; ++run) {
            p += gen.WriteColorTable(colours, p);
            p += gen.WriteBorderPreset(11, p);
            p += gen.WriteMemoryPreset(15, p);
        }
    }
    // Tiles until 40 % of all packets are tiles, spread over the song.
    uint32_t tiles = 0;
    for (uint32_t i = 0; i < kPackets && tiles < kPackets * 2 / 5; ++i) {
        if (stream[static_cast<size_t>(i) * 24] != 0 || rng() % 100 >= 41) {
            continue;
        }
        CdgPacket p =
            CdgPacket::Graphics(rng() % 3 == 0 ? CdgPacket::kTileBlock : CdgPacket::kTileBlockXor);
        p.data[0] = static_cast<uint8_t>(rng() % 16);
        p.data[1] = static_cast<uint8_t>(rng() % 16);
        p.data[2] = static_cast<uint8_t>(1 + rng() % 16);
        p.data[3] = static_cast<uint8_t>(1 + rng() % 48);
        for (int y = 0; y < 12; ++y) {
            p.data[4 + y] = static_cast<uint8_t>(rng() & 0x3F);
        }
        std::memcpy(stream.data() + static_cast<size_t>(i) * 24, &p, 24);
        ++tiles;
    }
    return stream;
}
