// Joining audio and subcode into raw CD sectors: layout, buffering and failing sinks.

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <cstring>
#include <vector>

#include "export/MSectorBuffer.h"

namespace {

std::vector<uint8_t> Pattern(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    QRandomGenerator rng(seed);
    for (auto& b : v) {
        b = static_cast<uint8_t>(rng.bounded(1, 256));  // never 0, so padding shows
    }
    return v;
}

// Sector n: audio bytes 2352 n.. and subcode bytes 96 n.., zero where a stream has ended.
std::vector<uint8_t> Expected(const std::vector<uint8_t>& audio, const std::vector<uint8_t>& sub) {
    const size_t sectors = std::max((audio.size() + 2351) / 2352, (sub.size() + 95) / 96);
    std::vector<uint8_t> out(sectors * 2448, 0);
    for (size_t i = 0; i < audio.size(); ++i) {
        out[i / 2352 * 2448 + i % 2352] = audio[i];
    }
    for (size_t i = 0; i < sub.size(); ++i) {
        out[i / 96 * 2448 + 2352 + i % 96] = sub[i];
    }
    return out;
}

}  // namespace

TEST(SectorBuffer, LimitsAreKeptInRange) {
    auto sink = [](const uint8_t*, size_t, int) { return true; };
    MSectorBuffer big(13, 5000, sink);
    EXPECT_EQ(big.CapacitySectors(), 1024);
    MSectorBuffer small(0, 4, sink);
    EXPECT_EQ(small.MinimumSectors(), 1);
    MSectorBuffer inverted(40, 26, sink);
    EXPECT_EQ(inverted.CapacitySectors(), 40);
}

TEST(SectorBuffer, StreamsInAnyBlockSizesLandInTheirSectors) {
    // Blocks as the BIN export gives them, odd blocks, and streams that run ahead of each other.
    struct Case {
        size_t audioBytes, subBytes, audioBlock, subBlock;
    };
    const Case cases[] = {{30576 * 7, 1248 * 7, 30576, 1248},
                          {30576 * 3 + 1000, 1248 * 3 + 40, 30576, 1248},
                          {100000, 4000, 7777, 311},
                          {2352 * 5, 96 * 40, 2352 * 5, 96},  // subcode goes on after the audio
                          {2352 * 30, 96, 999, 96},           // audio goes on after the subcode
                          {0, 0, 1, 1}};
    for (const Case& c : cases) {
        const auto audio = Pattern(c.audioBytes, 1);
        const auto sub = Pattern(c.subBytes, 2);
        std::vector<uint8_t> out;
        int calls = 0;
        int largestCall = 0;
        MSectorBuffer joiner(13, 26, [&](const uint8_t* bytes, size_t length, int sectors) {
            EXPECT_EQ(length, static_cast<size_t>(sectors) * 2448);
            out.insert(out.end(), bytes, bytes + length);
            largestCall = std::max(largestCall, sectors);
            ++calls;
            return true;
        });
        size_t a = 0;
        size_t s = 0;
        while (a < audio.size() || s < sub.size()) {
            const size_t na = std::min(c.audioBlock, audio.size() - a);
            const size_t ns = std::min(c.subBlock, sub.size() - s);
            ASSERT_TRUE(joiner.Add(audio.data() + a, na, sub.data() + s, ns));
            a += na;
            s += ns;
        }
        ASSERT_TRUE(joiner.Flush());
        EXPECT_TRUE(out == Expected(audio, sub)) << c.audioBytes << "/" << c.subBytes;
        EXPECT_EQ(joiner.SectorsWritten(), static_cast<int64_t>(out.size() / 2448));
        EXPECT_LE(largestCall, 26);
    }
}

TEST(SectorBuffer, WritesWholeBlocksAndStopsAfterAFailedWrite) {
    const auto audio = Pattern(30576, 3);
    const auto sub = Pattern(1248, 4);
    std::vector<int> calls;
    bool accept = true;
    MSectorBuffer joiner(13, 26, [&](const uint8_t*, size_t, int sectors) {
        calls.push_back(sectors);
        return accept;
    });
    ASSERT_TRUE(joiner.Add(audio.data(), 30576, sub.data(), 1248));
    EXPECT_EQ(calls, std::vector<int>({13})) << "a block of 13 sectors goes out at once";
    ASSERT_TRUE(joiner.Add(audio.data(), 20000, sub.data(), 800));
    EXPECT_EQ(calls.size(), 1u) << "8 sectors wait for more";
    accept = false;
    EXPECT_FALSE(joiner.Add(audio.data(), 30576, sub.data(), 1248));
    EXPECT_FALSE(joiner.Flush());
    EXPECT_FALSE(joiner.Add(audio.data(), 30576, sub.data(), 1248));
    EXPECT_EQ(calls.size(), 2u) << "nothing is written after a failure";
    EXPECT_EQ(joiner.SectorsWritten(), 13);
}
