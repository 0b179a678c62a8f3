// A tap stamps the audio heard at the key press, even when the handler runs 40 ms later; and
// how quickly a tap and a nudge redraw.

#include <QElapsedTimer>
#include <algorithm>

#include "TimingFixtures.h"
#include "modes/AdjustLyricsPanel.h"
#include "modes/PlaceLyricsPanel.h"
#include "platform/MQtAudioOutput.h"

namespace {

struct Figures {
    std::vector<double> ms;
    double At(int percent) const { return ms[std::min(ms.size() - 1, ms.size() * percent / 100)]; }
};

Figures Sorted(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return Figures{std::move(v)};
}

}  // namespace

class TapAccuracyTest : public TimingTest {
protected:
    // 50 taps; busyMs keeps the user-interface thread away from each press that long.
    void Taps(int busyMs) {
        QStringList words;
        for (int i = 0; i < 60; ++i) {
            words << QStringLiteral("w%1").arg(i);
        }
        MakeSong(words.join(QLatin1Char(' ')), 40);
        PlaceLyricsPanel panel(host_, *song_);
        panel.resize(640, 480);
        panel.show();
        panel.StartPlacement();
        HeardProbe probe;
        ASSERT_TRUE(probe.Connect());
        StallWatch watch;
        auto* output = dynamic_cast<MQtAudioOutput*>(player_->Output());
        ASSERT_NE(output, nullptr);
        ASSERT_TRUE(Until([&] { return player_->Position() > 22050; }, 3000));
        std::vector<int64_t> lags;
        std::vector<int64_t> pressUsecs;
        std::vector<double> redrawMs;
        for (int tap = 0; tap < 50; ++tap) {
            for (int i = 0; i < 8; ++i) {
                if (auto s = probe.Take(*player_, *output); s && s->heardBytes > 0) {
                    lags.push_back(s->lagUsecs);
                }
                Until([] { return false; }, 20);
            }
            const int64_t pressed = PlayerFixtures::NowUsecs();
            while (PlayerFixtures::NowUsecs() < pressed + busyMs * 1000LL) {
            }
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
            press.setTimestamp(static_cast<quint64>(pressed / 1000));
            QElapsedTimer handling;
            handling.start();
            QApplication::sendEvent(panel.PlaceButton(), &press);
            QApplication::processEvents();
            redrawMs.push_back(handling.nsecsElapsed() / 1e6);
            pressUsecs.push_back(watch.StalledBefore(pressed + busyMs * 1000LL, 300000) ? -1
                                                                                        : pressed);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier);
            QApplication::sendEvent(panel.PlaceButton(), &release);
        }
        panel.FinishPlacement();
        ASSERT_GE(lags.size(), 100u);
        std::nth_element(lags.begin(), lags.begin() + lags.size() / 2, lags.end());
        const int64_t lag = lags[lags.size() / 2];
        std::vector<double> errors;
        int skipped = 0;
        for (int tap = 0; tap < 50; ++tap) {
            if (pressUsecs[tap] < 0) {
                ++skipped;
                continue;
            }
            const double heardFrames = (pressUsecs[tap] - lag) * 44100.0 / 1e6;
            errors.push_back(std::abs(Word(tap)->startTime - heardFrames) / 44.1);
        }
        const Figures e = Sorted(errors);
        const Figures r = Sorted(redrawMs);
        std::printf(
            "taps (UI busy %d ms): stamp vs heard median %.2f, p99 %.2f, max %.2f ms over "
            "%zu taps (%d after machine stalls); tap handled and redrawn: median %.2f, "
            "max %.2f ms\n",
            busyMs, e.At(50), e.At(99), e.ms.back(), e.ms.size(), skipped, r.At(50), r.ms.back());
        ASSERT_GE(e.ms.size(), 40u);
        // On a shared machine a rare tap still meets a stall the watch did not see.
        EXPECT_LE(e.At(90), 15.0);
        EXPECT_LE(e.ms.back(), 50.0);
        EXPECT_LE(r.At(50), 8.0);
    }
};

TEST_F(TapAccuracyTest, StampsWhatIsHeard) {
    Taps(0);
}

TEST_F(TapAccuracyTest, StampsWhatIsHeardWithABusyUserInterface) {
    Taps(40);
}

TEST_F(TapAccuracyTest, NudgeTime) {
    MakeSong(QStringLiteral("a b c d e f"), 2);
    TimeWords(1000, 5000);
    AdjustLyricsPanel panel(host_, *song_);
    panel.Model().Select(2);
    std::vector<double> ms;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer t;
        t.start();
        Key(panel.AuditionButton(), QEvent::KeyPress, i % 2 ? Qt::Key_Comma : Qt::Key_Period);
        Key(panel.AuditionButton(), QEvent::KeyRelease, i % 2 ? Qt::Key_Comma : Qt::Key_Period);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    const Figures f = Sorted(ms);
    std::printf("nudge: median %.3f, max %.3f ms\n", f.At(50), f.ms.back());
    EXPECT_LE(f.At(50), 2.0);
}
