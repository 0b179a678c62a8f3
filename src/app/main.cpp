#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QMessageBox>
#include <QPainter>
#include <QPropertyAnimation>
#include <QSplashScreen>
#include <QTimer>

#include "app/AppSettings.h"
#include "app/DataFolder.h"
#include "app/MainWindow.h"
#include "app/MessageBoxReporter.h"
#include "app/SingleInstance.h"
#include "audio/CheckMp3Support.h"
#include "audio/MLameLibrary.h"

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
    parser.addOption(noSplash);
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

    MessageBoxReporter startReporter(nullptr);
    MLameLibrary lame;
    const bool mp3Available = CheckMp3Support(lame, &startReporter, &settings, false);

    MainWindow window(settings, dataFolder, mp3Available);
    if (!dataFolder.isEmpty()) {
        QApplication::setWindowIcon(QIcon(dataFolder + QStringLiteral("/icons/quilm.svg")));
    }
    instance.onMessage = [&window](const QString& path) {
        QTimer::singleShot(0, &window, [&window, path] { window.ActivateFromOtherInstance(path); });
    };
    window.Start();
    if (!project.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, project] { window.OpenProject(project); });
    }
    return app.exec();
}
