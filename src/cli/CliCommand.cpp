#include "cli/CliCommand.h"

#include <cmath>

#include <QDateTime>
#include <QRegularExpression>
#include <cstdio>

#include "base/MFileName.h"
#include "base/MInterrupt.h"

int CliCommand::Parse(QCommandLineParser& parser, const QStringList& args, const QString& syntax) {
    parser.setApplicationDescription(Summary());
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    parser.addOption(help);
    QStringList all = args;
    all.prepend(QStringLiteral("quilm-cli %1").arg(Name()));
    if (!parser.parse(all)) {
        return UsageError(parser.errorText());
    }
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        text.replace(QRegularExpression(QStringLiteral("^Usage: .*\n")),
                     QStringLiteral("Usage: quilm-cli %1 %2\n").arg(Name(), syntax));
        std::fputs(MFileName::Encode(text).constData(), stdout);
        return -1;
    }
    return kOk;
}

int CliCommand::ExactlyOne(const QStringList& files, const QString& kind) const {
    if (files.size() == 1) {
        return kOk;
    }
    return UsageError(files.isEmpty() ? QStringLiteral("no %1 given").arg(kind)
                                      : QStringLiteral("give exactly one %1").arg(kind));
}

int CliCommand::ParseOutputFolder(const QStringList& args, QDir& dir) {
    QCommandLineParser parser;
    const QCommandLineOption outDir(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Folder to write into (default: a new folder "
                                                   "under the current one)."),
                                    QStringLiteral("DIR"));
    parser.addOption(outDir);
    if (const int rc = Parse(parser, args, QStringLiteral("[-o DIR]")); rc != kOk) {
        return rc;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return UsageError(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments()[0]));
    }
    QString dirPath = parser.value(outDir);
    if (dirPath.isEmpty()) {
        dirPath =
            QStringLiteral("quilm-demo-%1")
                .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    }
    if (!QDir().mkpath(dirPath)) {
        return Fail(QStringLiteral("%1: cannot create the folder").arg(dirPath));
    }
    dir = QDir(QDir(dirPath).absolutePath());
    return kOk;
}

int CliCommand::Fail(const QString& message) const {
    // Whatever failed after a signal failed because of it.
    Err(QStringLiteral("quilm-cli %1: %2")
            .arg(Name(), MInterrupt::Requested()
                             ? QStringLiteral("stopped by signal %1; nothing was replaced")
                                   .arg(MInterrupt::Signal())
                             : message));
    return kFailed;
}

int CliCommand::UsageError(const QString& message) const {
    Err(QStringLiteral("quilm-cli %1: %2 (see quilm-cli %1 --help)").arg(Name(), message));
    return kUsage;
}

void CliCommand::Out(const QString& line) {
    std::fputs(MFileName::Encode(line).constData(), stdout);
    std::fputc('\n', stdout);
}

void CliCommand::Err(const QString& line) {
    std::fputs(MFileName::Encode(line).constData(), stderr);
    std::fputc('\n', stderr);
}

double CliCommand::ParseSeconds(const QString& text) {
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    if (parts.size() > 2) {
        return -1;
    }
    bool ok = false;
    double seconds = parts.last().toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0 || (parts.size() == 2 && seconds >= 60)) {
        return -1;
    }
    if (parts.size() == 2) {
        const int minutes = parts[0].toInt(&ok);
        if (!ok || minutes < 0) {
            return -1;
        }
        seconds += minutes * 60.0;
    }
    return seconds;
}
