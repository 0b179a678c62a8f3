// quilm_app_bench: the program's responsiveness figures, on the real window (offscreen).
//   one keystroke in a 500-line lyric box to the repainted preview page     <= 8 ms
//   switching modes (Edit Lyrics to Play Final and back)                     <= 100 ms
//   start-up of `quilm --no-splash` to a shown main window                   <= 500 ms
// usage: quilm_app_bench QUILM_BINARY   (exit status 1 when a figure is over its limit with
// half again as much headroom for a busy machine)

#include <sys/resource.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchSongs.h"
#include "app/AppSettings.h"
#include "app/MainWindow.h"
#include "audio/MCdgPlayer.h"
#include "modes/EditLyricsPanel.h"
#include "modes/PlayFinalPanel.h"
#include "song/MSongSettings.h"
#include "widgets/MRwViewerWindow.h"

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool Check(const char* label, double measured, double limit) {
    const bool ok = measured <= limit * 1.5;
    std::printf("%-62s %8.2f ms (limit %.0f ms) %s\n", label, measured, limit,
                measured <= limit ? "ok" : (ok ? "over, within headroom" : "FAILED"));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quilm_app_bench QUILM_BINARY\n");
        return 2;
    }
    QTemporaryDir dir;
    AppSettings settings(dir.filePath(QStringLiteral("settings.ini")));
    settings.WriteInt(AppSettings::kSettings, QStringLiteral("AutoSave"), 0);
    MainWindow window(settings, QString(), false);
    window.Start();
    bool ok = true;

    // Keystrokes in the middle of 500 lines, each followed by the preview's repaint.
    QStringList lines;
    for (int i = 0; i < 500; ++i) {
        lines << QStringLiteral("This is line %1 of a long song to sing").arg(i);
    }
    auto* edit = qobject_cast<EditLyricsPanel*>(window.Panel());
    edit->LyricBox()->setPlainText(lines.join(QLatin1Char('\n')));
    QTextCursor cursor = edit->LyricBox()->textCursor();
    cursor.setPosition(edit->LyricBox()->toPlainText().size() / 2);
    edit->LyricBox()->setTextCursor(cursor);
    std::vector<double> keystrokes;
    for (int i = 0; i < 60; ++i) {
        QElapsedTimer t;
        t.start();
        QTest::keyClick(edit->LyricBox(), i % 2 ? Qt::Key_Backspace : Qt::Key_A);
        edit->Viewer()->repaint();
        keystrokes.push_back(t.nsecsElapsed() / 1e6);
    }
    ok &=
        Check("keystroke in a 500-line lyric box to the repainted preview", Median(keystrokes), 8);

    // A 4-minute song timed on its music.
    const QString wav = dir.filePath(QStringLiteral("music.wav"));
    BenchSongs::WriteFourMinuteWav(wav);
    const QString project = dir.filePath(QStringLiteral("song.qlm"));
    {
        auto reference = BenchSongs::ExportSong();
        reference->musicFile = wav;
        reference->projectPath = project;
        reference->SaveProject();
    }
    window.Document().SetModified(false);
    window.OpenProject(project);
    std::vector<double> toPlay;
    std::vector<double> toEdit;
    for (int i = 0; i < 10; ++i) {
        const int mode = i % 2 ? ModeHost::kEditLyrics : ModeHost::kPlayFinal;
        QElapsedTimer t;
        t.start();
        window.SetMode(mode);
        // Play Final counts until its render is done and the stream is with the player.
        if (auto* play = qobject_cast<PlayFinalPanel*>(window.Panel())) {
            play->WaitForRender(10000);
        }
        window.Panel()->repaint();
        (mode == ModeHost::kPlayFinal ? toPlay : toEdit).push_back(t.nsecsElapsed() / 1e6);
    }
    ok &= Check("switching to Play Final (4-minute song rendered)", Median(toPlay), 100);
    ok &= Check("switching back to Edit Lyrics", Median(toEdit), 100);

    // Ten seconds of Play Final: the whole program's processor time, audio threads included.
    window.SetMode(ModeHost::kPlayFinal);
    auto* play = qobject_cast<PlayFinalPanel*>(window.Panel());
    play->TogglePlayback();
    if (MCdgPlayer::CurrentPlayer() != nullptr && MCdgPlayer::CurrentPlayer()->IsPlaying()) {
        rusage before{};
        getrusage(RUSAGE_SELF, &before);
        QElapsedTimer wall;
        wall.start();
        while (wall.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        rusage after{};
        getrusage(RUSAGE_SELF, &after);
        auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
        const double cpuMs =
            ms(after.ru_utime) - ms(before.ru_utime) + ms(after.ru_stime) - ms(before.ru_stime);
        std::printf("%-62s %8.1f %% of one core (audio included)\n", "Play Final, 10 s playing",
                    100.0 * cpuMs / wall.elapsed());
        play->TogglePlayback();
    } else {
        std::printf("Play Final: no sound device, not measured\n");
    }
    window.Document().SetModified(false);

    // The program started until its window shows, five times.
    std::vector<double> starts;
    for (int i = 0; i < 5; ++i) {
        QProcess quilm;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUILM_QUIT_WHEN_SHOWN"), QStringLiteral("1"));
        env.insert(QStringLiteral("QUILM_INSTANCE_KEY"), dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
        quilm.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        quilm.start(QString::fromLocal8Bit(argv[1]), {QStringLiteral("--no-splash")});
        // The program says "shown" once its window is on the screen.
        quilm.waitForReadyRead(10000);
        starts.push_back(t.nsecsElapsed() / 1e6);
        quilm.waitForFinished(10000);
    }
    ok &= Check("start-up of quilm --no-splash to a shown main window", Median(starts), 500);
    return ok ? 0 : 1;
}
