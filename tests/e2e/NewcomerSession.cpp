// A newcomer's first session on the real program, driven through its controls as a user would:
// no settings at the start, lyrics typed, an enhanced LRC imported with its timings, an MP3
// added through Find Music, the song played in Play Final and compared with quilm-cli's
// decoding of the same stream, exported as zipped MP3+G, saved; then the program started again.
// Runs under Xvfb with the sound going to the PulseAudio null sink.

#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <cstdio>

#include "app/AppTestKit.h"
#include "app/DataFolder.h"
#include "app/SingleInstance.h"
#include "audio/CheckMp3Support.h"
#include "audio/MCdgPlayer.h"
#include "audio/MLameLibrary.h"
#include "cdg/CdgColour.h"
#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"
#include "dialogs/DodMessageReporter.h"
#include "dialogs/ExportDialog.h"
#include "dialogs/FindLyricsDialog.h"
#include "dialogs/FindMusicDialog.h"
#include "export/MExportSettings.h"
#include "modes/EditLyricsPanel.h"
#include "modes/PlayFinalPanel.h"
#include "widgets/MRwViewerWindow.h"

using namespace AppTestKit;

namespace {

// Runs act on the next modal window of type T once it is the active one (within 10 s).
template <typename T>
void OnModal(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
        auto* modal = qobject_cast<T*>(QApplication::activeModalWidget());
        if (modal != nullptr || ++*tries > 1000) {
            timer->stop();
            timer->deleteLater();
            if (modal != nullptr) {
                act(modal);
            }
        }
    });
    timer->start(10);
}

// Answers the next file dialog with a path, as typed into its name field.
void AnswerFileDialog(const QString& path) {
    OnModal<QFileDialog>([path](QFileDialog* dialog) {
        dialog->selectFile(path);
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            name->setText(path);
        }
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

// The control a screen reader knows by this name.
template <typename T = QAbstractButton>
T* Named(QWidget* root, const QString& name) {
    for (T* w : root->findChildren<T*>()) {
        if (w->accessibleName() == name && w->isVisible()) {
            return w;
        }
    }
    return nullptr;
}

// Runs a tool to its end; true when it succeeded. Its output goes to out.
bool Run(const QString& program, const QStringList& args, QByteArray* out = nullptr) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning() << program << args << p.readAllStandardError();
        return false;
    }
    if (out != nullptr) {
        *out = p.readAllStandardOutput();
    }
    return true;
}

// What the viewer shows at a moment of playing: the decoded screen and the position it is for.
struct Moment {
    uint32_t frames = 0;
    std::vector<uint8_t> indices;
    std::array<MRgb, 16> colours{};
};

}  // namespace

class NewcomerSession : public QObject {
    Q_OBJECT

public:
    QString cli;
    // The session's folder; XDG_CONFIG_HOME points into it.
    QString root;

private slots:
    void Session() {
        const QDir dir(root);
        const QString config = dir.filePath(QStringLiteral("config"));
        QVERIFY(!QDir(config).exists());
        const QString lrc = QStringLiteral(QUILM_TESTDATA "/corpus/enhanced.lrc");
        const QString mp3 = dir.filePath(QStringLiteral("Little Star.mp3"));
        QVERIFY(Run(QStringLiteral("ffmpeg"),
                    {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=392:duration=12",
                     "-ac", "2", "-ar", "44100", mp3}));
        const QString project = dir.filePath(QStringLiteral("Little Star.qlm"));
        const QString zip = dir.filePath(QStringLiteral("Little Star.zip"));
        const QRect placement(140, 90, 660, 560);
        QString expectedLyrics;
        std::vector<int32_t> expectedStarts;

        {
            SingleInstance instance;
            QVERIFY(instance.Claim());
            AppSettings settings;
            DodMessageReporter startReporter(nullptr);
            const bool mp3Available =
                CheckMp3Support(MLameLibrary::Shared(), &startReporter, &settings, false);
            QVERIFY(mp3Available);
            MainWindow window(settings, DataFolder::Find(), mp3Available);
            window.Start();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QCOMPARE(window.windowTitle(), QStringLiteral("Quilm - Untitled"));

            // Typing: the preview page follows each line; the fifth line starts page 2.
            auto* edit = qobject_cast<EditLyricsPanel*>(window.Panel());
            QVERIFY(edit != nullptr);
            std::vector<uint8_t> before = edit->Renderer()->ScreenIndices();
            const QStringList typed{"Twinkle twinkle", "little star", "how I wonder",
                                    "what you are", "up above"};
            for (int i = 0; i < typed.size(); ++i) {
                if (i > 0) {
                    QTest::keyClick(edit->LyricBox(), Qt::Key_Return);
                }
                QTest::keyClicks(edit->LyricBox(), typed[i]);
                const std::vector<uint8_t> now = edit->Renderer()->ScreenIndices();
                QVERIFY2(now != before || i == 4, qPrintable(typed[i]));
                before = now;
            }
            QCOMPARE(edit->PageNumber()->text(), QStringLiteral(" 1 of  2"));
            QVERIFY(window.Action(AppCommand::Save)->isEnabled());

            // Import Lyrics, Local File...: the LRC's words and times replace the typed ones.
            OnModal<FindLyricsDialog>([lrc](FindLyricsDialog* dialog) {
                AnswerFileDialog(lrc);
                dialog->LocalFileButton()->click();
            });
            Named(edit, QStringLiteral("Import Lyrics"))->click();
            const MSongSettings& song = window.Song();
            QCOMPARE(
                song.rawLyrics,
                QStringLiteral("Twin*kle twin*kle lit*tle star\nHow I wonder\nwhat you are\n"));
            QCOMPARE(edit->LyricBox()->toPlainText(), song.rawLyrics);
            QVERIFY(song.WordCount() >= 9);
            QCOMPARE(song.GetWord(0)->startTime, 44100);                // <00:01.00>
            QCOMPARE(song.GetLine(2)->words[0]->startTime, 8 * 44100);  // <00:08.00>what
            QCOMPARE(edit->PageNumber()->text(), QStringLiteral(" 1 of  1"));
            QVERIFY(!window.Action(AppCommand::PlayFinal)->isEnabled());  // no music yet

            // Add Music, Local File...: the MP3 is decoded into the work WAV.
            OnModal<FindMusicDialog>([mp3](FindMusicDialog* dialog) {
                AnswerFileDialog(mp3);
                dialog->LocalFileButton()->click();
            });
            Named(edit, QStringLiteral("Add Music"))->click();
            QCOMPARE(edit->MusicName()->text(), QStringLiteral("Little Star.mp3"));
            QVERIFY(!window.WorkWavPath().isEmpty());
            QVERIFY(window.Action(AppCommand::PlayFinal)->isEnabled());
            expectedLyrics = song.rawLyrics;
            for (int i = 0; i < song.WordCount(); ++i) {
                expectedStarts.push_back(song.GetWord(i)->startTime);
            }

            // Play Final: rendered, played; the viewer's screen at three moments. Auto save asks
            // for the new project's name on the way; the newcomer leaves that for later.
            OnModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
            Named(edit, QStringLiteral("Play Final"))->click();
            auto* play = qobject_cast<PlayFinalPanel*>(window.Panel());
            QVERIFY(play != nullptr);
            QVERIFY(play->WaitForRender(20000));
            play->PlayButton()->click();
            QVERIFY(play->IsPlaying());
            QVERIFY(!window.Action(AppCommand::Open)->isEnabled());
            MCdgPlayer* player = MCdgPlayer::CurrentPlayer();
            std::vector<Moment> moments;
            for (const double seconds : {1.7, 3.1, 8.6}) {
                QTRY_VERIFY_WITH_TIMEOUT(player->Position() >= seconds * 44100, 15000);
                Moment m;
                player->GraphicsPlayer()->WithSettledScreen([&](uint32_t decodedTo) {
                    m.frames = decodedTo;
                    m.indices = play->Renderer()->ScreenIndices(&m.colours);
                });
                moments.push_back(m);
            }
            QVERIFY(play->Viewer()->isVisible());
            play->PlayButton()->click();
            QVERIFY(!play->IsPlaying());
            QVERIFY(window.Action(AppCommand::Open)->isEnabled());

            const QString cdg = dir.filePath(QStringLiteral("played.cdg"));
            {
                QFile out(cdg);
                QVERIFY(out.open(QIODevice::WriteOnly));
                out.write(reinterpret_cast<const char*>(play->Stream().bytes),
                          play->Stream().lengthBytes);
            }
            for (size_t i = 0; i < moments.size(); ++i) {
                const Moment& m = moments[i];
                const QString png = dir.filePath(QStringLiteral("frame%1.png").arg(i));
                const QString at = QString::number((m.frames + 0.5) / 44100.0, 'f', 7);
                QVERIFY(Run(cli, {"cdg", "frame", cdg, "--at", at, "--raw", "-o", png}));
                const QImage image(png);
                QCOMPARE(image.size(), QSize(MRwRenderer::kWidth, MRwRenderer::kHeight));
                int differing = 0;
                for (int y = 0; y < image.height(); ++y) {
                    for (int x = 0; x < image.width(); ++x) {
                        const MRgb c = m.colours[m.indices[y * MRwRenderer::kWidth + x] & 15];
                        differing +=
                            image.pixel(x, y) !=
                            qRgb(CdgColour::Red(c), CdgColour::Green(c), CdgColour::Blue(c));
                    }
                }
                QVERIFY2(differing == 0, qPrintable(QStringLiteral("moment %1 (%2 s): %3 pixels")
                                                        .arg(i)
                                                        .arg(at)
                                                        .arg(differing)));
            }
            QVERIFY(moments[0].indices != moments[2].indices);

            // Export Song...: zipped MP3+G.
            OnModal<ExportDialog>([zip](ExportDialog* dialog) {
                dialog->TypeButton(MExportSettings::kMp3)->click();
                dialog->ZipBox()->setChecked(true);
                dialog->RatioList()->setCurrentRow(dialog->RatioList()->count() - 1);
                AnswerFileDialog(zip);
                Named<QPushButton>(dialog, QStringLiteral("Export"))->click();
            });
            window.Action(AppCommand::Export)->trigger();
            QVERIFY(QFile::exists(zip));
            QByteArray listing;
            QVERIFY(Run(QStringLiteral("unzip"), {"-Z1", zip}, &listing));
            const QStringList entries = QString::fromUtf8(listing).split('\n');
            QVERIFY(entries.contains(QStringLiteral("Little Star.mp3")));
            QVERIFY(entries.contains(QStringLiteral("Little Star.cdg")));
            // The graphics exported are the ones played
            QByteArray exported;
            QVERIFY(Run(QStringLiteral("unzip"), {"-p", zip, "Little Star.cdg"}, &exported));
            QFile played(cdg);
            QVERIFY(played.open(QIODevice::ReadOnly));
            // (the file runs on to the end of the encoded audio)
            QVERIFY(exported.startsWith(played.readAll()));

            // Save (a new project asks for its name), move the window, quit.
            AnswerFileDialog(project);
            window.Action(AppCommand::Save)->trigger();
            QTRY_COMPARE(window.windowTitle(), QStringLiteral("Quilm - Little Star.qlm"));
            QVERIFY(!window.Song().modified);
            window.setGeometry(placement);
            QTRY_COMPARE(window.geometry(), placement);
            QVERIFY(window.close());
        }

        // Started again: the same place, the project in the recent files, opened as it was.
        AppSettings settings;
        MainWindow window(settings, DataFolder::Find(), true);
        window.Start();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(window.geometry(), placement);
        QCOMPARE(settings.RecentFiles().value(0), project);
        QAction* recent = nullptr;
        for (QAction* a : window.menuBar()->actions().first()->menu()->actions()) {
            if (a->text().endsWith(QStringLiteral("Little Star.qlm"))) {
                recent = a;
            }
        }
        QVERIFY(recent != nullptr);
        recent->trigger();
        QCOMPARE(window.windowTitle(), QStringLiteral("Quilm - Little Star.qlm"));
        const MSongSettings& song = window.Song();
        QCOMPARE(song.rawLyrics, expectedLyrics);
        QCOMPARE(static_cast<size_t>(song.WordCount()), expectedStarts.size());
        for (int i = 0; i < song.WordCount(); ++i) {
            QCOMPARE(song.GetWord(i)->startTime, expectedStarts[i]);
        }
        QCOMPARE(song.musicFile, mp3);
        QVERIFY(!window.WorkWavPath().isEmpty());
        auto* edit = qobject_cast<EditLyricsPanel*>(window.Panel());
        QCOMPARE(edit->LyricBox()->toPlainText(), expectedLyrics);
        QCOMPARE(edit->MusicName()->text(), QStringLiteral("Little Star.mp3"));
        QVERIFY(window.Action(AppCommand::PlayFinal)->isEnabled());
        QVERIFY(window.close());
        QVERIFY(QFile::exists(config + QStringLiteral("/Ivolde/Quilm.conf")));
    }
};

int main(int argc, char** argv) {
    // No settings yet: a configuration folder of the session's own, set before anything reads it.
    QTemporaryDir root;
    qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toUtf8());
    qputenv("QUILM_INSTANCE_KEY", root.path().toUtf8());
    // The program's own names, so that its settings land where a user's would.
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Ivolde"));
    QCoreApplication::setApplicationName(QStringLiteral("Quilm"));
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    NewcomerSession session;
    session.root = root.path();
    QStringList args = app.arguments();
    const int at = static_cast<int>(args.indexOf(QStringLiteral("--cli")));
    if (at < 0 || at + 1 >= args.size()) {
        std::fprintf(stderr, "usage: NewcomerSession --cli QUILM_CLI\n");
        return 2;
    }
    session.cli = args[at + 1];
    args.remove(at, 2);
    return QTest::qExec(&session, args);
}

#include "NewcomerSession.moc"
