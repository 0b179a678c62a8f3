#include "app/HelpCommands.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "app/AppSettings.h"
#include "app/WebPages.h"

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("HelpCommands", text);
}

const QString kAppName = QStringLiteral("Quilm");

}  // namespace

void HelpCommands::OpenManual() {
    const QString page = dataFolder_ + QLatin1Char('/') + QLatin1String(kManualPage);
    if (dataFolder_.isEmpty() || !QFileInfo(page).isFile()) {
        QMessageBox::critical(owner_, kAppName,
                              Tr("Error opening the manual: %1 is missing.").arg(page));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(page))) {
        QMessageBox::critical(owner_, kAppName,
                              Tr("Error opening the manual: no program could show %1.").arg(page));
    }
}

QString HelpCommands::CompanionProgram() const {
    const QString folder = settings_.ReadString(QString::fromLatin1(kCompanionSection),
                                                QString::fromLatin1(kCompanionKey));
    if (!folder.isEmpty()) {
        const QFileInfo program(folder + QStringLiteral("/morrow"));
        if (program.isFile() && program.isExecutable()) {
            return program.absoluteFilePath();
        }
    }
    return QStandardPaths::findExecutable(QStringLiteral("morrow"));
}

bool HelpCommands::CompanionFound() {
    if (!companionChecked_.isValid() || companionChecked_.elapsed() > 3000) {
        companionFound_ = !CompanionProgram().isEmpty();
        companionChecked_.start();
    }
    return companionFound_;
}

void HelpCommands::StartCompanion(const QString& musicFolder) {
    const QString program = CompanionProgram();
    if (program.isEmpty() || !QProcess::startDetached(program, {musicFolder})) {
        QMessageBox::critical(owner_, kAppName, Tr("Morrow could not be started."));
    }
}

void HelpCommands::OpenWebPage(const QString& key) {
    const QString address = WebPages::Address(settings_, key);
    if (address.isEmpty()) {
        QMessageBox::information(owner_, kAppName, WebPages::NoAddressText(key));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl(address))) {
        QMessageBox::critical(owner_, kAppName, Tr("No web browser could open %1.").arg(address));
    }
}

void HelpCommands::ShowAbout() {
    // The About box of the dialogs library replaces this one when it is there.
    QMessageBox::about(owner_, Tr("About Quilm"),
                       Tr("<b>Quilm</b><br>Version %1<br><br>Karaoke authoring for the Linux "
                          "desktop.")
                           .arg(QCoreApplication::applicationVersion()));
}
