#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextBrowser>

#include "app/AppTestKit.h"
#include "audio/MCdgPlayer.h"
#include "cdg/MRwRenderer.h"
#include "modes/EditLyricsPanel.h"
#include "modes/PlayFinalPanel.h"
#include "song/MKaraokeWord.h"
#include "song/MProjectSanity.h"
#include "widgets/CDodMsgBox.h"

using namespace AppTestKit;

namespace {

QString Lines(int n) {
    QStringList lines;
    for (int i = 0; i < n; ++i) {
        lines << QStringLiteral("Line number %1 of the song").arg(i);
    }
    return lines.join(QLatin1Char('\n'));
}

void SendSpace(QWidget* to, QEvent::Type type, bool autoRepeat) {
    QKeyEvent event(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), autoRepeat);
    QApplication::sendEvent(to, &event);
}

}  // namespace

class ModePanelsTest : public QObject {
    Q_OBJECT

private slots:
    void EditLyricsPagesFollowTheText() {
        Fixture f(false);
        auto* edit = qobject_cast<EditLyricsPanel*>(f.window->Panel());
        QVERIFY(edit != nullptr);
        QCOMPARE(edit->PageNumber()->text(), QStringLiteral(" 1 of  1"));
        edit->LyricBox()->setPlainText(Lines(40));
        QVERIFY(edit->LastPage() > 2);
        const std::vector<uint8_t> first = edit->Renderer()->ScreenIndices();
        edit->NextPageButton()->click();
        QCOMPARE(edit->CurrentPage(), 1);
        QVERIFY(edit->Renderer()->ScreenIndices() != first);
        while (edit->NextPageButton()->isEnabled()) {
            edit->NextPageButton()->click();
        }
        QCOMPARE(edit->CurrentPage(), edit->LastPage());
        // Removing pages brings the current page back to the last one.
        edit->LyricBox()->setPlainText(Lines(8));
        QCOMPARE(edit->CurrentPage(), edit->LastPage());
        // No lyrics: page 1 of 1, both arrows off, the focus in the lyric box.
        edit->PreviousPageButton()->setFocus();
        edit->LyricBox()->clear();
        QCOMPARE(edit->PageNumber()->text(), QStringLiteral(" 1 of  1"));
        QVERIFY(!edit->PreviousPageButton()->isEnabled());
        QVERIFY(!edit->NextPageButton()->isEnabled());
        QVERIFY(edit->LyricBox()->hasFocus() || !f.window->isActiveWindow());
    }

    // A keystroke regenerates the words at once and keeps the times of the unchanged lines.
    void EditLyricsKeystrokeKeepsTimings() {
        Fixture f(false);
        f.PlacedSong();
        f.window->SetMode(ModeHost::kEditLyrics);
        auto* edit = qobject_cast<EditLyricsPanel*>(f.window->Panel());
        const int32_t firstStart = f.window->Song().GetWord(0)->startTime;
        const int words = f.window->Song().WordCount();
        QTextCursor end = edit->LyricBox()->textCursor();
        end.movePosition(QTextCursor::End);
        edit->LyricBox()->setTextCursor(end);
        QTest::keyClicks(edit->LyricBox(), QStringLiteral(" now"));
        QCOMPARE(f.window->Song().WordCount(), words + 1);
        QCOMPARE(f.window->Song().GetWord(0)->startTime, firstStart);
        QVERIFY(f.window->Song().rawLyrics.endsWith(QStringLiteral("are now")));
    }

    // Text past a song's limits stays in the box and the song keeps the lyrics that fit; the
    // user hears of it once, with the message of a lyric file that long.
    void EditLyricsHeldToTheSongLimits() {
        Fixture f(false);
        auto* edit = qobject_cast<EditLyricsPanel*>(f.window->Panel());
        edit->LyricBox()->setPlainText(QStringLiteral("One two three"));
        // Every message box is counted and closed while the test runs.
        QStringList told;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&told] {
            if (auto* box = qobject_cast<CDodMsgBox*>(QApplication::activeModalWidget())) {
                told << box->Body()->toPlainText();
                box->reject();
            }
        });
        closer.start(10);
        const QString tooLong = QString(MProjectSanity::kMaxLines, u'\n') + QStringLiteral("end");
        edit->LyricBox()->setPlainText(tooLong);
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].startsWith(QStringLiteral("The lyrics are too long for a song: ")) &&
                     told[0].contains(QStringLiteral("(at most 100000)")),
                 qPrintable(told[0]));
        QCOMPARE(edit->LyricBox()->toPlainText(), tooLong);
        QCOMPARE(f.window->Song().rawLyrics, QStringLiteral("One two three"));
        QTest::keyClicks(edit->LyricBox(), QStringLiteral("s"));
        QCOMPARE(told.size(), 1);
        QCOMPARE(f.window->Song().rawLyrics, QStringLiteral("One two three"));
        // Shortened, the text is the song's again.
        edit->LyricBox()->setPlainText(QStringLiteral("Four five"));
        QCOMPARE(f.window->Song().rawLyrics, QStringLiteral("Four five"));
    }

    // A music name with "&" shows as written.
    void MusicNameShownAsWritten() {
        Fixture f(false);
        const QString wav = f.Path(QStringLiteral("Rock & Roll.wav"));
        WriteWav(wav, 0.5);
        auto* edit = qobject_cast<EditLyricsPanel*>(f.window->Panel());
        // The panel follows the document.
        f.window->Document().Edit(MSongDocument::kMusicChange,
                                  [&](MSongSettings& song) { song.SetMusicFile(wav); });
        QCOMPARE(edit->MusicName()->text(), QStringLiteral("Rock & Roll.wav"));
    }

    void PlayFinalSpaceActsOncePerPress() {
        Fixture f(false);
        f.PlacedSong(3);
        f.window->SetMode(ModeHost::kPlayFinal);
        auto* play = qobject_cast<PlayFinalPanel*>(f.window->Panel());
        QVERIFY(play != nullptr);
        QVERIFY(play->WaitForRender(10000));
        QWidget* target = play->PlayButton();
        SendSpace(target, QEvent::KeyPress, false);
        QVERIFY(play->IsPlaying());
        QVERIFY(!play->ModeButton(ModePanel::kEditButton)->isEnabled());
        QVERIFY(!f.window->Action(AppCommand::Open)->isEnabled());
        for (int i = 0; i < 5; ++i) {
            SendSpace(target, QEvent::KeyPress, true);
        }
        QVERIFY(play->IsPlaying());
        SendSpace(target, QEvent::KeyRelease, false);
        SendSpace(target, QEvent::KeyPress, false);
        QVERIFY(!play->IsPlaying());
        QVERIFY(play->ModeButton(ModePanel::kEditButton)->isEnabled());
        QVERIFY(f.window->Action(AppCommand::Open)->isEnabled());
    }

    // Play, stop, play: the second run starts at the beginning; at the end of the song the
    // panel stops by itself and clears the preview to colour 15.
    void PlayFinalRestartsAndEnds() {
        Fixture f(false);
        f.PlacedSong(1.5);
        f.window->SetMode(ModeHost::kPlayFinal);
        auto* play = qobject_cast<PlayFinalPanel*>(f.window->Panel());
        QVERIFY(play->WaitForRender(10000));
        play->PlayButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(MCdgPlayer::CurrentPlayer()->Position() > 20000, 5000);
        play->PlayButton()->click();
        QVERIFY(!play->IsPlaying());
        play->PlayButton()->click();
        QVERIFY(play->IsPlaying());
        QVERIFY(MCdgPlayer::CurrentPlayer()->Position() < 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!play->IsPlaying(), 10000);
        QCOMPARE(play->PlayButton()->Caption(), QStringLiteral("Play (SB)"));
        QVERIFY(play->ModeButton(ModePanel::kSettingsButton)->isEnabled());
        const std::vector<uint8_t> screen = play->Renderer()->ScreenIndices();
        QVERIFY(std::all_of(screen.begin(), screen.end(), [](uint8_t c) { return c == 15; }));
    }

    // The song renders while the window stays live; a mode switch and a close asked for
    // meanwhile are carried out once the render is done.
    void PlayFinalRendersOffTheWindowThread() {
        Fixture f(false);
        f.PlacedSong(3);
        MainWindow& w = *f.window;
        w.Document().SetModified(false);
        w.SetMode(ModeHost::kPlayFinal);
        auto* play = qobject_cast<PlayFinalPanel*>(w.Panel());
        QVERIFY(play->IsRendering());
        QVERIFY(play->RenderProgress()->isVisible());
        QVERIFY(!play->PlayButton()->isEnabled());
        QVERIFY(!w.Action(AppCommand::Open)->isEnabled());
        SendSpace(play->PlayButton(), QEvent::KeyPress, false);
        QVERIFY(!play->IsPlaying());
        CloseNextDialog();  // "Lyrics Already Placed"
        play->ModeButton(ModePanel::kEditButton)->click();
        QCOMPARE(w.CurrentMode(), int(ModeHost::kPlayFinal));
        QTRY_COMPARE_WITH_TIMEOUT(w.CurrentMode(), int(ModeHost::kEditLyrics), 10000);

        w.SetMode(ModeHost::kPlayFinal);
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 10000);
    }

    // A message of the render ("&" duet marks in a solo song) is shown on the window's thread.
    void PlayFinalRenderMessageReachesTheUser() {
        Fixture f(false);
        f.PlacedSong(3);
        int told = 0;
        auto closeMessage = [&told] {
            OnNextModal([&told](QWidget* w) {
                if (qobject_cast<CDodMsgBox*>(w) != nullptr && w->thread() == qApp->thread()) {
                    ++told;
                }
                qobject_cast<QDialog*>(w)->reject();
            });
        };
        closeMessage();
        f.window->Document().SetRawLyrics(QStringLiteral("&Twinkle twinkle little star"));
        QCOMPARE(told, 1);
        f.window->Document().SetWordTimes(0, 22050, 30000);
        closeMessage();
        f.window->SetMode(ModeHost::kPlayFinal);
        auto* play = qobject_cast<PlayFinalPanel*>(f.window->Panel());
        QVERIFY(play->WaitForRender(10000));
        QTRY_COMPARE_WITH_TIMEOUT(told, 2, 10000);
    }
};

QTEST_MAIN(ModePanelsTest)
#include "ModePanelsTest.moc"
