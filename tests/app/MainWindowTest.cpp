#include <QButtonGroup>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSignalSpy>

#include "app/AppTestKit.h"
#include "app/SingleInstance.h"
#include "app/WebPages.h"
#include "dialogs/LyricsSettingsPage.h"
#include "dialogs/SongSettingsSheet.h"
#include "modes/EditLyricsPanel.h"
#include "modes/ModePanel.h"
#include "modes/PlayFinalPanel.h"

using namespace AppTestKit;

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    // Each command's rule in the states the program goes through.
    void EnabledRulesPerState() {
        AppState idle;
        idle.hasWorkWav = idle.hasLyrics = true;
        AppState placed = idle;
        placed.hasPlacedWords = true;
        AppState playing = placed;
        playing.playing = true;
        AppState exporting = placed;
        exporting.exporting = true;
        AppState noMusic = placed;
        noMusic.hasWorkWav = false;
        AppState noLyrics = placed;
        noLyrics.hasLyrics = false;
        struct Row {
            AppCommand command;
            bool idle, placed, playing, exporting, noMusic, noLyrics;
        };
        const Row rows[] = {
            {AppCommand::New, 1, 1, 0, 0, 1, 1},
            {AppCommand::Open, 1, 1, 0, 0, 1, 1},
            {AppCommand::Exit, 1, 1, 0, 0, 1, 1},
            {AppCommand::Settings, 1, 1, 0, 0, 1, 1},
            {AppCommand::EditLyrics, 1, 1, 0, 0, 1, 1},
            {AppCommand::PlaceLyrics, 1, 1, 0, 0, 0, 0},
            {AppCommand::AdjustLyrics, 0, 1, 0, 0, 0, 0},
            {AppCommand::PlayFinal, 0, 1, 0, 0, 0, 0},
            {AppCommand::Export, 0, 1, 0, 0, 0, 0},
            {AppCommand::AutoSave, 1, 1, 1, 1, 1, 1},
            {AppCommand::Manual, 1, 1, 1, 1, 1, 1},
        };
        for (const Row& r : rows) {
            const int c = static_cast<int>(r.command);
            QCOMPARE(CommandEnabled(r.command, idle), r.idle ? true : false);
            QVERIFY2(CommandEnabled(r.command, placed) == r.placed, qPrintable(QString::number(c)));
            QVERIFY2(CommandEnabled(r.command, playing) == r.playing,
                     qPrintable(QString::number(c)));
            QVERIFY2(CommandEnabled(r.command, exporting) == r.exporting,
                     qPrintable(QString::number(c)));
            QVERIFY2(CommandEnabled(r.command, noMusic) == r.noMusic,
                     qPrintable(QString::number(c)));
            QVERIFY2(CommandEnabled(r.command, noLyrics) == r.noLyrics,
                     qPrintable(QString::number(c)));
        }
        // Close needs a file, Save a change, Save As an opened project; all only when idle.
        AppState file = idle;
        QVERIFY(!CommandEnabled(AppCommand::Close, file));
        QVERIFY(!CommandEnabled(AppCommand::Save, file));
        QVERIFY(!CommandEnabled(AppCommand::SaveAs, file));
        file.hasFilePath = file.modified = file.projectOpened = true;
        QVERIFY(CommandEnabled(AppCommand::Close, file));
        QVERIFY(CommandEnabled(AppCommand::Save, file));
        QVERIFY(CommandEnabled(AppCommand::SaveAs, file));
        file.playing = true;
        QVERIFY(!CommandEnabled(AppCommand::Close, file));
        QVERIFY(!CommandEnabled(AppCommand::Save, file));
        QVERIFY(!CommandEnabled(AppCommand::SaveAs, file));
    }

    // The real window follows its state as it changes, without a menu being opened.
    void MenusFollowTheState() {
        Fixture f(false);
        MainWindow& w = *f.window;
        QVERIFY(!w.Action(AppCommand::Save)->isEnabled());
        QVERIFY(!w.Action(AppCommand::PlaceLyrics)->isEnabled());
        auto* edit = qobject_cast<EditLyricsPanel*>(w.Panel());
        QVERIFY(edit != nullptr);
        QTest::keyClicks(edit->LyricBox(), QStringLiteral("Hello"));
        QVERIFY(w.Action(AppCommand::Save)->isEnabled());
        // Lyrics without music: Place Lyrics stays off, in the menu and on the panel.
        QVERIFY(!w.Action(AppCommand::PlaceLyrics)->isEnabled());
        QVERIFY(!edit->ModeButton(ModePanel::kPlaceButton)->isEnabled());
        edit->LyricBox()->setFocus();
        edit->LyricBox()->selectAll();
        QVERIFY(w.Action(AppCommand::Cut)->isEnabled());
        f.PlacedSong();
        w.UpdateCommands();
        QVERIFY(w.Action(AppCommand::PlayFinal)->isEnabled());
        QVERIFY(w.Action(AppCommand::Export)->isEnabled());
        w.SetExporting(true);
        QVERIFY(!w.Action(AppCommand::PlayFinal)->isEnabled());
        QVERIFY(!w.Action(AppCommand::Open)->isEnabled());
        w.SetExporting(false);
    }

    void TitleRule() {
        Fixture f(false);
        MainWindow& w = *f.window;
        QCOMPARE(w.windowTitle(), QStringLiteral("Quilm - Untitled"));
        f.window->Document().SetRawLyrics(QStringLiteral("la"));
        AnswerNextFileDialog(f.Path(QStringLiteral("Hit.qlm")));
        QVERIFY(w.SaveProjectAs());
        QCOMPARE(w.windowTitle(), QStringLiteral("Quilm - Hit.qlm"));
    }

    void CanCloseProjectPaths() {
        Fixture f(false);
        MainWindow& w = *f.window;
        MSongDocument& document = w.Document();
        const MSongSettings& song = w.Song();
        document.SetRawLyrics(QStringLiteral("la la"));

        AnswerNextBox(QMessageBox::Cancel);
        QVERIFY(!w.CanCloseProject());
        QVERIFY(song.modified);

        // Yes on a project never saved asks for a name; cancelling that keeps everything.
        AnswerNextBox(QMessageBox::Yes);
        QTimer::singleShot(300, [] { AnswerNextFileDialog(QString()); });
        QVERIFY(!w.CanCloseProject());
        QVERIFY(song.modified);
        QVERIFY(song.projectPath.isEmpty());
        QCOMPARE(song.rawLyrics, QStringLiteral("la la"));

        AnswerNextBox(QMessageBox::No);
        QVERIFY(w.CanCloseProject());
        QVERIFY(song.modified);

        const QString path = f.Path(QStringLiteral("Song.qlm"));
        AnswerNextBox(QMessageBox::Yes);
        QTimer::singleShot(300, [path] { AnswerNextFileDialog(path); });
        QVERIFY(w.CanCloseProject());
        QVERIFY(!song.modified);
        QVERIFY(QFile::exists(path));

        // A project that cannot be written is not given up.
        QVERIFY(QDir().mkpath(f.Path(QStringLiteral("gone"))));
        QVERIFY(document.SaveAs(f.Path(QStringLiteral("gone/Song.qlm"))).IsOk());
        QVERIFY(QDir(f.Path(QStringLiteral("gone"))).removeRecursively());
        document.SetRawLyrics(QStringLiteral("changed"));
        AnswerNextBox(QMessageBox::Yes);
        QTimer::singleShot(300, [] { CloseNextDialog(); });
        QVERIFY(!w.CanCloseProject());
        QVERIFY(song.modified);
    }

    void AutoSaveOnModeSwitchExceptFromPlayFinal() {
        Fixture f(true);
        MainWindow& w = *f.window;
        f.PlacedSong();
        MSongDocument& document = w.Document();
        const MSongSettings& song = w.Song();
        QVERIFY(document.SaveAs(f.Path(QStringLiteral("Auto.qlm"))).IsOk());
        QFile::remove(song.projectPath);
        document.SetModified(true);
        w.SetMode(ModeHost::kPlayFinal);
        QVERIFY(!song.modified);
        QVERIFY(QFile::exists(song.projectPath));
        QVERIFY(qobject_cast<PlayFinalPanel*>(w.Panel())->WaitForRender(10000));
        QFile::remove(song.projectPath);
        document.SetModified(true);
        w.SetMode(ModeHost::kAdjustLyrics);
        QVERIFY(song.modified);
        QVERIFY(!QFile::exists(song.projectPath));
        w.SetMode(ModeHost::kPlaceLyrics);
        QVERIFY(!song.modified);
        QVERIFY(QFile::exists(song.projectPath));
    }

    void SettingsTakenOnOkRebuildThePanel() {
        Fixture f(false);
        MainWindow& w = *f.window;
        QPointer<QWidget> panel = w.centralWidget();
        OnNextModal([](QWidget* modal) {
            if (auto* sheet = qobject_cast<SongSettingsSheet*>(modal)) {
                sheet->LyricsPage()->PerformanceGroup()->button(SongHeader::kDuet)->click();
                sheet->accept();
            }
        });
        w.OpenSettings();
        QCOMPARE(w.Song().header.performance, SongHeader::kDuet);
        QVERIFY(w.Song().modified);
        QVERIFY(panel.isNull());
    }

    // Open restores the project; the window comes back where it was, maximized too.
    void OpenAndWindowPlacement() {
        QTemporaryDir keep;
        const QString project = keep.filePath(QStringLiteral("Keep.qlm"));
        const QString settingsFile = keep.filePath(QStringLiteral("settings.ini"));
        {
            Fixture f(false);
            f.PlacedSong();
            QFile::copy(f.Path(QStringLiteral("music.wav")), keep.filePath("music.wav"));
            QVERIFY(f.window->Document().ImportMusic(keep.filePath("music.wav")).IsOk());
            QVERIFY(f.window->Document().SaveAs(project).IsOk());
            AppSettings settings(settingsFile);
            MainWindow w(settings, QString(), false);
            w.Start();
            w.setGeometry(40, 50, 600, 520);
            QVERIFY(w.CanCloseProject());
        }
        AppSettings settings(settingsFile);
        QCOMPARE(settings.WindowRect(), QRect(40, 50, 600, 520));
        MainWindow w(settings, QString(), false);
        w.Start();
        QCOMPARE(w.geometry(), QRect(40, 50, 600, 520));
        w.OpenProject(project);
        QCOMPARE(settings.RecentFiles(), QStringList{project});
        QCOMPARE(w.windowTitle(), QStringLiteral("Quilm - Keep.qlm"));
        QVERIFY(w.Song().HasPlacedWords());
        QVERIFY(!w.WorkWavPath().isEmpty());
        QVERIFY(!w.Song().modified);
        QVERIFY(w.Action(AppCommand::PlayFinal)->isEnabled());
        w.showMaximized();
        QVERIFY(w.CanCloseProject());
        QCOMPARE(settings.ReadInt(AppSettings::kSettings, "AppWindowMaximized", 0),
                 w.isMaximized() ? 1 : 0);

        // A large font widens the mode buttons; the window grows so that none is cut off.
        const QFont font = QApplication::font();
        QFont large = font;
        large.setPointSize(16);
        QApplication::setFont(large);
        AppSettings fresh(keep.filePath(QStringLiteral("fresh.ini")));
        MainWindow big(fresh, QString(), false);
        big.Start();
        QApplication::setFont(font);
        auto* panel = qobject_cast<ModePanel*>(big.centralWidget());
        QVERIFY(panel != nullptr);
        QVERIFY(panel->ModeButton(ModePanel::kSettingsButton)->geometry().right() < panel->width());
    }

    // Web pages open only at a web address: none built in, a stored one, never a local file;
    // the split of Edit Lyrics survives only as a sensible fraction.
    void StoredAddressesAndSplit() {
        QTemporaryDir dir;
        AppSettings settings(dir.filePath(QStringLiteral("s.ini")));
        QVERIFY(WebPages::Address(settings, QStringLiteral("Support")).isEmpty());
        settings.WriteString(WebPages::kSection, QStringLiteral("Support"),
                             QStringLiteral("file:///etc/passwd"));
        QVERIFY(WebPages::Address(settings, QStringLiteral("Support")).isEmpty());
        settings.WriteString(WebPages::kSection, QStringLiteral("Support"),
                             QStringLiteral("https://example.org/help"));
        QCOMPARE(WebPages::Address(settings, QStringLiteral("Support")),
                 QStringLiteral("https://example.org/help"));
        QCOMPARE(settings.EditLyricsSplit(), 0.5);
        settings.SetEditLyricsSplit(0.3);
        QCOMPARE(settings.EditLyricsSplit(), 0.3);
        settings.WriteBinary(AppSettings::kSettings, QStringLiteral("EditLyricsSplit"),
                             QByteArray(8, '\xff'));
        QCOMPARE(settings.EditLyricsSplit(), 0.5);
    }

    // Music that cannot be loaded at Open and is given up leaves the project file as it was:
    // the mode switch that follows does not save it without its music.
    void OpenWithMissingMusicKeepsTheFile() {
        Fixture f(true);
        MainWindow& w = *f.window;
        w.Document().SetRawLyrics(QStringLiteral("la la"));
        w.Document().Edit(MSongDocument::kMusicChange, [&](MSongSettings& song) {
            song.SetMusicFile(f.Path(QStringLiteral("gone.wav")));
        });
        QVERIFY(w.Document().SaveAs(f.Path(QStringLiteral("Gone.qlm"))).IsOk());
        QFile file(w.Song().projectPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        AnswerNextBox(QMessageBox::No);
        w.OpenProject(f.Path(QStringLiteral("Gone.qlm")));
        QVERIFY(w.Song().musicFile.isEmpty());
        QVERIFY(w.Song().modified);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }

    // A damaged project (a flipped byte in lines per page) is refused at open with what is wrong,
    // before any mode renders it.
    void DamagedProjectIsRefusedWithTheReason() {
        Fixture f(true);
        MainWindow& w = *f.window;
        w.Document().SetRawLyrics(QStringLiteral("la la"));
        w.Document().Edit(MSongDocument::kSettingsChange,
                          [](MSongSettings& song) { song.header.linesPerPage = 0x40000004; });
        QVERIFY(w.Document().SaveAs(f.Path(QStringLiteral("Bad.qlm"))).IsOk());
        w.Document().NewProject();
        QString shown;
        OnNextModal([&shown](QWidget* box) {
            if (auto* message = qobject_cast<QMessageBox*>(box)) {
                shown = message->text();
                message->accept();
            }
        });
        w.OpenProject(f.Path(QStringLiteral("Bad.qlm")));
        QVERIFY2(shown.contains(QStringLiteral("lines per page is 1073741828")), qPrintable(shown));
        QCOMPARE(w.Song().header.linesPerPage, SongHeader().linesPerPage);
        QVERIFY(w.Song().lineList.empty());
    }

    // A second start hands its project to the first copy and ends.
    void SecondInstanceHandsOver() {
        const QString key = QStringLiteral("test-%1").arg(QCoreApplication::applicationPid());
        SingleInstance first(key);
        QVERIFY(first.Claim());
        QStringList received;
        first.onMessage = [&](const QString& path) { received << path; };
        SingleInstance again(key);
        QVERIFY(!again.Claim());

        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUILM_INSTANCE_KEY"), key);
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(QUILM_BINARY),
                     {QStringLiteral("--no-splash"), QStringLiteral("/songs/Hit.qlm")});
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 10000);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(received, QStringList{QStringLiteral("/songs/Hit.qlm")});
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
