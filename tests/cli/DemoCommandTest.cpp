// quilm-cli demo: a whole song made, saved and exported, checked by other programs.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "support/CliRunner.h"

TEST(DemoCli, MakesSavesAndExportsTheDemoSong) {
    QTemporaryDir dir;
    qputenv("TMPDIR", QFile::encodeName(dir.path()));  // the zip parts stay in a folder of ours
    const QString out = dir.filePath(QStringLiteral("demo"));
    const CliRun run = CliRunner::Run(QStringLiteral(QUILM_CLI_PATH),
                                      {QStringLiteral("demo"), QStringLiteral("-o"), out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    // A zipped MP3+G and a BIN exported, and not a byte on stderr.
    EXPECT_EQ(run.err.toUtf8(), QByteArray());
    for (const char* name : {"quilm-demo.qlm", "quilm-demo.zip", "quilm-demo.bin", "quilm-demo.lrc",
                             "quilm-demo-music.wav"}) {
        const QString path = out + QLatin1Char('/') + QLatin1String(name);
        EXPECT_TRUE(QFile::exists(path)) << name;
        EXPECT_TRUE(run.out.contains(path)) << name << " is printed";
    }
    // Every word is timed, and the project knows its pages.
    const CliRun info =
        CliRunner::Run(QStringLiteral(QUILM_CLI_PATH),
                       {QStringLiteral("info"), out + QStringLiteral("/quilm-demo.qlm")});
    EXPECT_TRUE(info.out.contains(QStringLiteral("words: 32 (32 placed)")))
        << info.out.toStdString();
    EXPECT_TRUE(info.out.contains(QStringLiteral("page 101: enabled")));
    EXPECT_TRUE(info.out.contains(QStringLiteral("page 103: enabled")));
    // The archive holds the MP3 and the CDG of the same name.
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"),
                {QStringLiteral("-Z1"), out + QStringLiteral("/quilm-demo.zip")});
    ASSERT_TRUE(unzip.waitForFinished(30000));
    EXPECT_EQ(QString::fromLocal8Bit(unzip.readAllStandardOutput())
                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts),
              (QStringList{QStringLiteral("quilm-demo.mp3"), QStringLiteral("quilm-demo.cdg")}));
    // A BIN is whole sectors of 2,448 bytes.
    EXPECT_EQ(QFile(out + QStringLiteral("/quilm-demo.bin")).size() % 2448, 0);
    // A second run into the same folder (make run after a rebuild) replaces the demo's files.
    const CliRun again = CliRunner::Run(QStringLiteral(QUILM_CLI_PATH),
                                        {QStringLiteral("demo"), QStringLiteral("-o"), out});
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
}
