// quilm_app_bench: the program's responsiveness figures, on the real window (offscreen).
//   one keystroke in a 500-line lyric box to the repainted preview page     <= 8 ms
//   switching modes (Edit Lyrics to Play Final and back)                     <= 100 ms
//   start-up of `quilm --no-splash` to a shown main window                   <= 500 ms
//   Play Final playing for 30 s: the program's processor time besides the audio <= 15 % of one
//   core (the threads that read and play the audio, and the sound server, shown apart)
// usage: quilm_app_bench QUILM_BINARY   (exit status 1 when a figure is over its limit with
// half again as much headroom for a busy machine)

#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <map>
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

// Processor time (user and system) in ms from a /proc stat file; -1 when unreadable.
double StatCpuMs(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray stat = file.readAll();
    // The fields after the name, which is in parentheses and may hold spaces: utime and stime
    // are the 14th and 15th of the line.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13) {
        return -1;
    }
    return (fields[11].toDouble() + fields[12].toDouble()) * 1000.0 / sysconf(_SC_CLK_TCK);
}

struct ThreadTime {
    QString name;
    double cpuMs = 0;
};

// Every thread of this process by its id.
std::map<QString, ThreadTime> ThreadTimes() {
    std::map<QString, ThreadTime> threads;
    const QString tasks = QStringLiteral("/proc/self/task");
    for (const QString& tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks + '/' + tid + QStringLiteral("/comm"));
        comm.open(QIODevice::ReadOnly);
        threads[tid] = {QString::fromUtf8(comm.readAll()).trimmed(),
                        StatCpuMs(tasks + '/' + tid + QStringLiteral("/stat"))};
    }
    return threads;
}

// The sound server's stat file (PulseAudio or PipeWire's PulseAudio server); empty when none.
QString SoundServerStat() {
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile comm(QStringLiteral("/proc/") + pid + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly)) {
            const QByteArray name = comm.readAll().trimmed();
            if (name == "pulseaudio" || name == "pipewire-pulse") {
                return QStringLiteral("/proc/") + pid + QStringLiteral("/stat");
            }
        }
    }
    return {};
}

// Threads that move the audio: our reader and sound output, and the sound library's own
// (libpulse's main loop is "threaded-ml").
bool IsAudioThread(const QString& name) {
    return name.startsWith(QStringLiteral("Quilm audio")) ||
           name == QStringLiteral("threaded-ml") ||
           name.contains(QStringLiteral("pulse"), Qt::CaseInsensitive) ||
           name.contains(QStringLiteral("QAudio"), Qt::CaseInsensitive);
}

// Thirty seconds of Play Final; false when the program's own share is over its limit.
bool MeasurePlayFinal(PlayFinalPanel* play) {
    play->TogglePlayback();
    MCdgPlayer* player = MCdgPlayer::CurrentPlayer();
    if (player == nullptr || !player->IsPlaying()) {
        std::printf("Play Final: no sound device, not measured\n");
        return true;
    }
    const QString server = SoundServerStat();
    const std::map<QString, ThreadTime> before = ThreadTimes();
    const double serverBefore = server.isEmpty() ? -1 : StatCpuMs(server);
    QElapsedTimer wall;
    wall.start();
    // The program's own event loop, which sleeps until there is something to do.
    QEventLoop loop;
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    const double wallMs = wall.elapsed();
    const std::map<QString, ThreadTime> after = ThreadTimes();
    const double serverAfter = server.isEmpty() ? -1 : StatCpuMs(server);
    play->TogglePlayback();

    std::map<QString, double> byName;
    double audioMs = 0;
    double ownMs = 0;
    for (const auto& [tid, t] : after) {
        const auto was = before.find(tid);
        const double used = t.cpuMs - (was != before.end() ? was->second.cpuMs : 0);
        byName[t.name] += used;
        (IsAudioThread(t.name) ? audioMs : ownMs) += used;
    }
    auto percent = [wallMs](double ms) { return 100.0 * ms / wallMs; };
    const double own = percent(ownMs);
    const bool ok = own <= 15 * 1.5;
    std::printf("%-62s %8.1f %% of one core (limit 15 %%) %s\n",
                "Play Final, 30 s playing: the program besides the audio", own,
                own <= 15 ? "ok" : (ok ? "over, within headroom" : "FAILED"));
    std::printf("%-62s %8.1f %% of one core\n", "  the program's audio threads", percent(audioMs));
    if (serverAfter >= 0 && serverBefore >= 0) {
        std::printf("%-62s %8.1f %% of one core\n", "  the sound server",
                    percent(serverAfter - serverBefore));
    }
    for (const auto& [name, ms] : byName) {
        if (percent(ms) >= 0.1) {
            std::printf("    %-58s %8.1f %%\n", qPrintable(name), percent(ms));
        }
    }
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
    std::vector<double> rendered;
    std::vector<double> toEdit;
    for (int i = 0; i < 10; ++i) {
        const int mode = i % 2 ? ModeHost::kEditLyrics : ModeHost::kPlayFinal;
        QElapsedTimer t;
        t.start();
        window.SetMode(mode);
        window.Panel()->repaint();
        (mode == ModeHost::kPlayFinal ? toPlay : toEdit).push_back(t.nsecsElapsed() / 1e6);
        // Play Final renders behind its shown panel until the stream is with the player.
        if (auto* play = qobject_cast<PlayFinalPanel*>(window.Panel())) {
            play->WaitForRender(10000);
            rendered.push_back(t.nsecsElapsed() / 1e6);
        }
    }
    ok &= Check("switching to Play Final (shown, the render going on)", Median(toPlay), 100);
    std::printf("%-62s %8.2f ms\n", "  and until its render of a 4-minute song is done",
                Median(rendered));
    ok &= Check("switching back to Edit Lyrics", Median(toEdit), 100);

    // Play Final playing, with its render done.
    window.SetMode(ModeHost::kPlayFinal);
    auto* play = qobject_cast<PlayFinalPanel*>(window.Panel());
    play->WaitForRender(10000);
    ok &= MeasurePlayFinal(play);
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
