// A tap stamps the audio heard at the key press, even when the handler runs 40 ms later; how
// quickly a tap, a nudge and the restart of an Adjust Play pass are handled.

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

class TimingFigures : public TimingTest {
protected:
    // 50 taps; busyMs keeps the user-interface thread away from each press that long.
    void Taps(int busyMs) {
        QStringList words;
        for (int i = 0; i < 60; ++i) {
            words << QStringLiteral("w%1").arg(i);
        }
        MakeSong(words.join(QLatin1Char(' ')), 40);
        PlaceLyricsPanel panel(host_, *document_);
        panel.resize(640, 480);
        panel.show();
        panel.StartPlacement();
        HeardProbe probe;
        ASSERT_TRUE(probe.Connect());
        auto* output = dynamic_cast<MQtAudioOutput*>(player_->Output());
        ASSERT_NE(output, nullptr);
        ASSERT_TRUE(Until([&] { return player_->Position() > 22050; }, 3000));
        // The sound heard at each press, from what the sink reports as played just before and
        // just after it (while the sound plays on, its lag behind our clock is constant).
        std::vector<std::optional<int64_t>> heardUsecs;
        std::vector<double> redrawMs;
        for (int tap = 0; tap < 50; ++tap) {
            Until([] { return false; }, 150);
            const std::optional<int64_t> before = probe.LagUsecs(*player_, *output);
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
            heardUsecs.push_back(
                HeardProbe::HeardAt(pressed, before, probe.LagUsecs(*player_, *output)));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier);
            QApplication::sendEvent(panel.PlaceButton(), &release);
        }
        panel.FinishPlacement();
        std::vector<double> errors;
        std::vector<double> signedErrors;
        int skipped = 0;
        for (int tap = 0; tap < 50; ++tap) {
            if (!heardUsecs[tap]) {
                ++skipped;
                continue;
            }
            signedErrors.push_back(Word(tap)->startTime / 44.1 - *heardUsecs[tap] / 1000.0);
            errors.push_back(std::abs(signedErrors.back()));
        }
        const Figures e = Sorted(errors);
        const Figures r = Sorted(redrawMs);
        const Figures d = Sorted(signedErrors);
        std::printf(
            "taps (UI busy %d ms): |stamp - heard| median %.2f, p99 %.2f, max %.2f ms "
            "over %zu taps (%d left out: the sound stood still around them; stamp - heard median "
            "%.2f ms); tap handled and redrawn: median %.2f, max %.2f ms\n",
            busyMs, e.At(50), e.At(99), e.ms.back(), e.ms.size(), skipped, d.At(50), r.At(50),
            r.ms.back());
        if (e.ms.size() < 25) {
            GTEST_SKIP() << "the machine held our threads too often to judge the taps";
        }
        // On a shared, loaded machine a press may still meet a moment when every thread is
        // held: the bulk must be within 15 ms.
        EXPECT_LE(e.At(50), 10.0);
        EXPECT_LE(e.At(75), 15.0);
        EXPECT_LE(r.At(50), 8.0);
    }
};

TEST_F(TimingFigures, StampsWhatIsHeard) {
    Taps(0);
}

TEST_F(TimingFigures, StampsWhatIsHeardWithABusyUserInterface) {
    Taps(40);
}

TEST_F(TimingFigures, NudgeTime) {
    MakeSong(QStringLiteral("a b c d e f"), 2);
    TimeWords(1000, 5000);
    AdjustLyricsPanel panel(host_, *document_);
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

// Starting a pass: the stream rendered from the stretch start, the screen at that moment, and
// the player reopened, on a 4-minute song.
TEST_F(TimingFigures, AdjustPassRestart) {
    QStringList lines;
    for (int i = 0; i < 64; ++i) {
        lines << QStringLiteral("line %1 of the song goes here").arg(i);
    }
    MakeSong(lines.join(QLatin1Char('\n')), 240);
    TimeWords(15 * 44100, 22050);
    AdjustLyricsPanel panel(host_, *document_);
    std::vector<double> ms;
    for (int i = 0; i < 10; ++i) {
        panel.Model().Select(50 + 30 * i);
        QElapsedTimer t;
        t.start();
        panel.ToggleAdjustPlay();
        ms.push_back(t.nsecsElapsed() / 1e6);
        ASSERT_EQ(panel.PassCount(), i + 1);
        Until([] { return false; }, 50);
        panel.ToggleAdjustPlay();
    }
    const Figures f = Sorted(ms);
    std::printf(
        "Adjust Play pass restart (render + reopen), 4-minute song: median %.1f, max %.1f ms\n",
        f.At(50), f.ms.back());
    // 60 ms is the aim; a loaded machine gets twice that.
    EXPECT_LE(f.At(50), 120.0);
}
