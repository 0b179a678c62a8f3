#include "export/UnzipTool.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

namespace {

QByteArray Unzip(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("unzip"), args);
    EXPECT_TRUE(p.waitForStarted()) << "cannot run unzip (install the unzip package)";
    p.waitForFinished(60000);
    EXPECT_TRUE(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        << "unzip " << args.join(' ').toStdString() << ": " << p.readAllStandardError().data();
    return p.readAllStandardOutput();
}

}  // namespace

std::vector<UnzipEntry> UnzipTool::List(const QString& zipPath) {
    // "    1000  Defl:X      100  90% 2024-01-01 00:00 12345678  Name"
    static const QRegularExpression row(QStringLiteral(
        R"(^\s*\d+\s+(\S+)\s+\d+\s+-?\d+%\s+(\S+ \d\d:\d\d)\s+[0-9a-f]{8}\s\s(.+)$)"));
    std::vector<UnzipEntry> entries;
    for (const QString& line : QString::fromUtf8(Unzip({"-v", zipPath})).split('\n')) {
        if (const auto m = row.match(line); m.hasMatch()) {
            entries.push_back({m.captured(3), m.captured(1), m.captured(2)});
        }
    }
    return entries;
}

QByteArray UnzipTool::Extract(const QString& zipPath, const QString& entryName) {
    return Unzip({"-p", zipPath, entryName});
}
