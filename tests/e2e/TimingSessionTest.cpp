// A user's timing session on the real program under Xvfb, keys pressed on its window: the
// words of a 30-second song placed with one tap each while it plays into the PulseAudio null
// sink, one word moved two steps later in Adjust Lyrics, the song played in Play Final, the
// project saved. The saved times are the moments the taps were heard, the moved word exactly
// two steps later.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <optional>

#include "app/AppSettings.h"
#include "app/MainWindow.h"
#include "audio/MCdgPlayer.h"
#include "lyrics/MidiLyricsExtractor.h"
#include "modes/AdjustLyricsPanel.h"
#include "modes/ModePreview.h"
#include "modes/PlaceLyricsPanel.h"
#include "modes/PlayFinalPanel.h"
#include "platform/MQtAudioOutput.h"
#include "platform/PlayerFixtures.h"
#include "song/MSongDocument.h"

namespace {

constexpr int kRate = 44100;
constexpr int kWordsToPlace = 20;
constexpr int kNudged = 6;
constexpr int32_t kStepFrames = 8820;

// The first lines of the karaoke file's words, about kWordsToPlace words.
QString SongWords() {
    QFile kar(QStringLiteral(QUILM_TESTDATA "/twinkle.kar"));
    if (!kar.open(QIODevice::ReadOnly)) {
        return QString();
    }
    QStringList lines;
    int words = 0;
    for (const QString& line : MidiLyricsExtractor::Extract(kar.readAll()).split(u'\n')) {
        if (words >= kWordsToPlace) {
            break;
        }
        lines << line;
        words += static_cast<int>(line.split(u' ', Qt::SkipEmptyParts).size());
    }
    return lines.join(u'\n');
}

// A key pressed and released on the window, as the keyboard delivers it.
void Key(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyPress(window->windowHandle(), key, modifiers);
    QTest::keyRelease(window->windowHandle(), key, modifiers);
}

void Click(QWidget* button) {
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
}

template <typename Done>
bool Until(Done done, int timeoutMs) {
    return PlayerFixtures::RunEventsUntil(done, timeoutMs);
}

std::vector<int32_t> StartTimes(const MSongSettings& song) {
    std::vector<int32_t> times;
    for (int i = 0; i < song.WordCount(); ++i) {
        times.push_back(song.GetWord(i)->startTime);
    }
    return times;
}

}  // namespace

TEST(TimingSession, PlaceAdjustPlayFinalSave) {
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("song.wav"));
    const QString project = dir.filePath(QStringLiteral("session.qlm"));
    ASSERT_TRUE(PlayerFixtures::WriteToneWav(wav, 30 * kRate));
    const QString words = SongWords();
    ASSERT_FALSE(words.isEmpty());
    {
        // The project as an earlier session left it: lyrics and music, nothing placed.
        MSongDocument start;
        start.SetRawLyrics(words);
        ASSERT_TRUE(start.ImportMusic(wav).IsOk());
        ASSERT_TRUE(start.SaveAs(project).IsOk());
    }

    AppSettings settings(dir.filePath(QStringLiteral("settings.ini")));
    settings.WriteInt(AppSettings::kSettings, QStringLiteral("AutoSave"), 0);
    MainWindow window(settings, QStringLiteral(QUILM_DATA_DIR), false);
    window.Start();
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.OpenProject(project);
    const MSongSettings& song = window.Song();
    const int count = song.WordCount();
    ASSERT_GE(count, kWordsToPlace);

    // Place Lyrics: Home starts the music, Space places each word as it is heard.
    Click(window.Panel()->ModeButton(ModePanel::kPlaceButton));
    auto* place = qobject_cast<PlaceLyricsPanel*>(window.Panel());
    ASSERT_NE(place, nullptr);
    place->StartButton()->setFocus();
    Key(&window, Qt::Key_Home);
    ASSERT_EQ(place->CurrentState(), PlaceLyricsPanel::State::Placing);
    MCdgPlayer* player = MCdgPlayer::CurrentPlayer();
    auto* output = dynamic_cast<MQtAudioOutput*>(player->Output());
    ASSERT_NE(output, nullptr);
    HeardProbe probe;
    ASSERT_TRUE(probe.Connect());
    ASSERT_TRUE(Until([&] { return player->Position() > kRate; }, 5000));
    // The time of the sound heard at each press, from what the sink reports as played just
    // before and just after it: its lag behind our clock is constant while the sound plays on.
    // A press around which the lag changed (the sound stood still a moment on a loaded
    // machine) cannot be judged.
    std::vector<std::optional<int64_t>> heardUsecs;
    const int spacingMs = 26000 / count;
    for (int tap = 0; tap < count; ++tap) {
        Until([] { return false; }, spacingMs - 20);
        const std::optional<int64_t> before = probe.LagUsecs(*player, *output);
        // The press carries its time, as the keyboard's events do (milliseconds of the
        // monotonic clock): a moment the machine holds our thread before it is handled does
        // not move the stamp.
        const int64_t pressed = PlayerFixtures::NowUsecs();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        press.setTimestamp(static_cast<quint64>(pressed / 1000));
        QApplication::sendEvent(QApplication::focusWidget(), &press);
        QApplication::processEvents();
        const std::optional<int64_t> after = probe.LagUsecs(*player, *output);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QApplication::sendEvent(QApplication::focusWidget(), &release);
        heardUsecs.push_back(HeardProbe::HeardAt(pressed, before, after));
    }
    Key(&window, Qt::Key_End);
    ASSERT_EQ(place->CurrentState(), PlaceLyricsPanel::State::Finished);
    const std::vector<int32_t> stamped = StartTimes(song);

    // Adjust Lyrics: the arrow keys select a word, "." twice moves its start two steps later.
    Click(window.Panel()->ModeButton(ModePanel::kAdjustButton));
    auto* adjust = qobject_cast<AdjustLyricsPanel*>(window.Panel());
    ASSERT_NE(adjust, nullptr);
    adjust->AuditionButton()->setFocus();
    for (int i = 0; i < kNudged; ++i) {
        Key(&window, Qt::Key_Right);
    }
    ASSERT_EQ(adjust->Model().First(), kNudged);
    EXPECT_TRUE(adjust->Preview()->accessibleDescription().startsWith(
        QStringLiteral("Selected word: %1,").arg(adjust->Model().SelectedWordText())));
    QElapsedTimer nudging;
    nudging.start();
    Key(&window, Qt::Key_Period);
    Key(&window, Qt::Key_Period);
    const double nudgeMs = nudging.nsecsElapsed() / 2e6;
    EXPECT_EQ(song.GetWord(kNudged)->startTime, stamped[kNudged] + 2 * kStepFrames);

    // Play Final: Space plays the finished song, Space again stops it.
    Click(window.Panel()->ModeButton(ModePanel::kPlayButton));
    auto* final = qobject_cast<PlayFinalPanel*>(window.Panel());
    ASSERT_NE(final, nullptr);
    ASSERT_TRUE(Until([&] { return final->PlayButton()->isEnabled(); }, 10000));
    final->PlayButton()->setFocus();
    Key(&window, Qt::Key_Space);
    ASSERT_TRUE(Until([&] { return player->Position() > kRate; }, 5000)) << "Play Final plays";
    Key(&window, Qt::Key_Space);
    ASSERT_TRUE(Until([&] { return !player->IsPlaying(); }, 2000));

    Key(&window, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(window.Song().modified);

    MSongDocument saved;
    ASSERT_TRUE(saved.Open(project).IsOk());
    const std::vector<int32_t> times = StartTimes(saved.Song());
    ASSERT_EQ(static_cast<int>(times.size()), count);
    std::vector<double> errorsMs;
    for (int i = 0; i < count; ++i) {
        const int32_t moved = i == kNudged ? 2 * kStepFrames : 0;
        EXPECT_EQ(times[i], stamped[i] + moved) << "word " << i;
        if (heardUsecs[i]) {
            errorsMs.push_back(
                std::abs((times[i] - moved) * 1000.0 / kRate - *heardUsecs[i] / 1000.0));
        }
    }
    std::sort(errorsMs.begin(), errorsMs.end());
    ASSERT_GE(errorsMs.size(), static_cast<size_t>(count) * 3 / 4)
        << "the sound stood still around too many presses to judge the taps";
    const auto at = [&](int percent) { return errorsMs[errorsMs.size() * percent / 100]; };
    std::printf(
        "session: %d taps, |saved - heard| median %.2f, p90 %.2f, max %.2f ms (%zu judged); "
        "a nudge on the window %.2f ms\n",
        count, at(50), at(90), errorsMs.back(), errorsMs.size(), nudgeMs);
    // A loaded machine may still hold the sound server a moment during a press.
    EXPECT_LE(at(50), 10.0);
    EXPECT_LE(at(90), 15.0);
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
