#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QMessageBox>
#include <QPainter>
#include <QPropertyAnimation>
#include <QSplashScreen>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

#include "app/AppSettings.h"
#include "app/DataFolder.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "audio/CheckMp3Support.h"
#include "audio/MLameLibrary.h"
#include "dialogs/DodMessageReporter.h"
#include "dialogs/SongSettingsSheet.h"
#include "song/MSongSettings.h"

namespace {

QPixmap SplashPicture() {
    QPixmap picture(420, 220);
    picture.fill(QColor(0x20, 0x20, 0x60));
    QPainter p(&picture);
    p.setPen(Qt::white);
    QFont title = p.font();
    title.setPixelSize(48);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(0, 40, 420, 80), Qt::AlignCenter, QStringLiteral("Quilm"));
    QFont small = p.font();
    small.setPixelSize(16);
    small.setBold(false);
    p.setFont(small);
    p.drawText(QRect(0, 130, 420, 40), Qt::AlignCenter,
               QStringLiteral("Version %1").arg(QCoreApplication::applicationVersion()));
    return picture;
}

// Changes the splash's opacity over a second while events go on being handled.
void Fade(QSplashScreen& splash, double from, double to) {
    QPropertyAnimation fade(&splash, "windowOpacity");
    fade.setDuration(1000);
    fade.setStartValue(from);
    fade.setEndValue(to);
    QEventLoop loop;
    QObject::connect(&fade, &QPropertyAnimation::finished, &loop, &QEventLoop::quit);
    fade.start();
    loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Ivolde"));
    QCoreApplication::setApplicationName(QStringLiteral("Quilm"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILM_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quilm"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Quilm, karaoke authoring"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption noSplash(QStringLiteral("no-splash"),
                                      QStringLiteral("Start without the splash picture."));
    const QCommandLineOption startMode(
        QStringLiteral("mode"),
        QStringLiteral("Start in this work mode: edit, place, adjust or play."),
        QStringLiteral("MODE"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the window to this PNG file once it is shown, then "
                       "quit without saving (for the documentation)."),
        QStringLiteral("FILE.png"));
    const QCommandLineOption settingsPage(
        QStringLiteral("settings"),
        QStringLiteral("With --screenshot: open the Song Settings on this page (title, lyrics or "
                       "credits) and picture the dialog instead of the window."),
        QStringLiteral("PAGE"));
    parser.addOptions({noSplash, startMode, screenshot, settingsPage});
    parser.addPositionalArgument(QStringLiteral("PROJECT.qlm"),
                                 QStringLiteral("A project to open."), QStringLiteral("[PROJECT]"));
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    const QString project = files.isEmpty() ? QString() : QFileInfo(files[0]).absoluteFilePath();

    SingleInstance instance;
    if (!instance.Claim()) {
        // Another copy runs: it comes to the front (and opens the project); this one ends.
        return instance.SendToFirst(project) ? 0 : 1;
    }

    AppSettings settings;
    std::unique_ptr<QSplashScreen> splash;
    if (!parser.isSet(noSplash)) {
        splash = std::make_unique<QSplashScreen>(SplashPicture(), Qt::WindowStaysOnTopHint);
        splash->setWindowOpacity(0);
        splash->show();
        Fade(*splash, 0, 1);
    }
    const QString dataFolder = DataFolder::Find();
    if (dataFolder.isEmpty()) {
        QMessageBox::warning(splash.get(), QStringLiteral("Quilm"), DataFolder::MissingText());
    }
    if (splash) {
        Fade(*splash, 1, 0);
        splash.reset();
    }

    DodMessageReporter startReporter(nullptr);
    const bool mp3Available =
        CheckMp3Support(MLameLibrary::Shared(), &startReporter, &settings, false);

    MainWindow window(settings, dataFolder, mp3Available);
    if (!dataFolder.isEmpty()) {
        QApplication::setWindowIcon(QIcon(dataFolder + QStringLiteral("/icons/quilm.svg")));
    }
    instance.onMessage = [&window](const QString& path) {
        QTimer::singleShot(0, &window, [&window, path] { window.ActivateFromOtherInstance(path); });
    };
    window.Start();
    if (qEnvironmentVariableIsSet("QUILM_QUIT_WHEN_SHOWN")) {
        // For the start-up figure: tell when the window is on the screen, then end.
        QCoreApplication::processEvents();
        std::puts("shown");
        std::fflush(stdout);
        return 0;
    }
    const QStringList modes{QStringLiteral("edit"), QStringLiteral("place"),
                            QStringLiteral("adjust"), QStringLiteral("play")};
    const int mode = static_cast<int>(modes.indexOf(parser.value(startMode))) + 1;
    if (parser.isSet(startMode) && mode == 0) {
        std::fprintf(stderr, "quilm: --mode is one of edit, place, adjust, play\n");
        return 2;
    }
    QTimer::singleShot(0, &window, [&window, project, mode] {
        if (!project.isEmpty()) {
            window.OpenProject(project);
        }
        if (mode > ModeHost::kEditLyrics) {
            window.SetMode(mode);
        }
    });
    const QStringList pages{QStringLiteral("title"), QStringLiteral("lyrics"),
                            QStringLiteral("credits")};
    const int page = static_cast<int>(pages.indexOf(parser.value(settingsPage)));
    if (parser.isSet(settingsPage) && page < 0) {
        std::fprintf(stderr, "quilm: --settings is one of title, lyrics, credits\n");
        return 2;
    }
    if (page >= 0) {
        QTimer::singleShot(300, &window, [&window] { window.OpenSettings(); });
    }
    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(1500, &window, [&window, file, page] {
            QWidget* shown = &window;
            if (auto* sheet = qobject_cast<SongSettingsSheet*>(QApplication::activeModalWidget());
                sheet && page >= 0) {
                sheet->Tabs()->setCurrentIndex(page);
                QCoreApplication::processEvents();
                shown = sheet;
            }
            const bool saved = shown->grab().save(file, "PNG");
            window.Document().SetModified(false);
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
