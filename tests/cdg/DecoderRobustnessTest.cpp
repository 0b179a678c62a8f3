// Any bytes at all must decode without a crash or an access out of bounds (the sanitizer
// build runs these too).

#include <gtest/gtest.h>

#include <QThread>
#include <random>
#include <vector>

#include "cdg/CdgPacket.h"
#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"
#include "cdg/MRwScreenImage.h"

TEST(DecoderRobustness, RandomStreamsDecodeAndPaint) {
    std::mt19937 rng(99);
    for (int round = 0; round < 20; ++round) {
        std::vector<uint8_t> stream(24 * 3000);
        for (auto& b : stream) {
            b = static_cast<uint8_t>(rng());
        }
        // Make most packets graphics packets so every instruction gets exercised.
        for (size_t i = 0; i < stream.size(); i += 24) {
            if (rng() % 4 != 0) {
                stream[i] = CdgPacket::kGraphicsCommand | static_cast<uint8_t>(rng() & 0xC0);
                const uint8_t codes[] = {1, 2, 6, 20, 24, 28, 30, 31, 38};
                stream[i + 1] = codes[rng() % 9] | static_cast<uint8_t>(rng() & 0xC0);
            }
        }
        MRwRenderer renderer;
        MRwPlayer decoder(&renderer);
        decoder.DecodePackets(stream.data(), 0, static_cast<uint32_t>(stream.size() / 24));
        const QImage view = MRwScreenImage::View(renderer, 301 + round * 37, 217 + round * 11);
        EXPECT_FALSE(view.isNull());
        EXPECT_GE(renderer.HorizontalOffset(), 0);
        EXPECT_LE(renderer.HorizontalOffset(), 5);
        EXPECT_LE(renderer.VerticalOffset(), 11);
        for (uint8_t v : renderer.ScreenIndices()) {
            ASSERT_LT(v, 16);
        }
    }
}

TEST(DecoderRobustness, ThreadedPlayerOnRandomBytesWithATruncatedTail) {
    std::mt19937 rng(7);
    std::vector<uint8_t> stream(24 * 500 + 13);
    for (auto& b : stream) {
        b = static_cast<uint8_t>(rng());
    }
    MRwRenderer renderer;
    MRwPlayer player(&renderer);
    player.SetStream(stream.data(), static_cast<uint32_t>(stream.size()));
    player.SetPositionSource([] { return 0xFFFFFFFFu; });
    player.Start(true);
    for (int i = 0; i < 100 && player.LastDecodedPosition() != 0xFFFFFFFFu; ++i) {
        QThread::msleep(5);
    }
    player.Stop();
    EXPECT_FALSE(player.IsPlaying());
}
