// quilm-cli cdg info / frame / demo: results, and clear refusals of bad arguments and files.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "cdg/CdgPacket.h"
#include "support/CliRunner.h"
#include "support/TestStreamBuilder.h"

namespace {

CliRun Cli(const QStringList& args) {
    return CliRunner::Run(QStringLiteral(QUILM_CLI_PATH), args);
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray SmallStream() {
    TestStreamBuilder b(2.0);
    b.PageSetup(0, TestStreamBuilder::DefaultColours(), 11, 15);
    TestStreamBuilder::Line line;
    line.text = QStringLiteral("Hello world");
    line.type = MTextType(QStringLiteral("Arial"), 12, 24, 1, 0, 0, 13, 0, 0);
    line.drawSeconds = 0.2;
    line.firstWordSeconds = 0.5;
    line.eraseSeconds = 1.8;
    b.AddLine(line);
    b.EmitLines(15, 14);
    return QByteArray(reinterpret_cast<const char*>(b.Stream().data()),
                      static_cast<int>(b.Stream().size()));
}

// A one-line message: no crash, non-zero exit, exactly one line on stderr naming the problem.
void ExpectOneLineFailure(const CliRun& run, const QString& mentions) {
    EXPECT_FALSE(run.crashed);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(run.err.trimmed().count(QLatin1Char('\n')), 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(mentions, Qt::CaseInsensitive)) << run.err.toStdString();
}

}  // namespace

TEST(CdgCli, InfoCountsPacketsByInstruction) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("s.cdg"));
    WriteFile(file, SmallStream());
    const CliRun run = Cli({QStringLiteral("cdg"), QStringLiteral("info"), file});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("packets: 600"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("duration: 2.000 s")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("Memory Preset (1): 32")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("Load Colour Table 0-7 (30): 2")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("first non-empty packet: 0 at 0.000 s")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("Tile Block XOR (38):")));
}

TEST(CdgCli, FrameWritesRawAndScaledViews) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("s.cdg"));
    WriteFile(file, SmallStream());
    const QString raw = dir.filePath(QStringLiteral("raw.png"));
    const QString view = dir.filePath(QStringLiteral("view.png"));
    ASSERT_EQ(Cli({QStringLiteral("cdg"), QStringLiteral("frame"), file, QStringLiteral("--at"),
                   QStringLiteral("1.0"), QStringLiteral("--raw"), QStringLiteral("-o"), raw})
                  .exitCode,
              0);
    ASSERT_EQ(Cli({QStringLiteral("cdg"), QStringLiteral("frame"), file, QStringLiteral("--at"),
                   QStringLiteral("1.0"), QStringLiteral("--scale"), QStringLiteral("3"),
                   QStringLiteral("-o"), view})
                  .exitCode,
              0);
    const QImage r(raw);
    const QImage v(view);
    ASSERT_EQ(r.size(), QSize(300, 216));
    ASSERT_EQ(v.size(), QSize(900, 648));
    EXPECT_EQ(v.pixel(3 * 150 + 1, 3 * 60 + 2), r.pixel(150, 60));
    EXPECT_EQ(v.pixel(1, 1), QColor(0, 17, 102).rgb()) << "border strip in the border colour";
}

TEST(CdgCli, BadArgumentsAreRefusedClearly) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("s.cdg"));
    WriteFile(file, SmallStream());
    const QString out = dir.filePath(QStringLiteral("o.png"));
    ExpectOneLineFailure(
        Cli({QStringLiteral("cdg"), QStringLiteral("frame"), file, QStringLiteral("-o"), out}),
        QStringLiteral("--at"));
    ExpectOneLineFailure(
        Cli({QStringLiteral("cdg"), QStringLiteral("frame"), file, QStringLiteral("--at"),
             QStringLiteral("-3"), QStringLiteral("-o"), out}),
        QStringLiteral("seconds"));
    ExpectOneLineFailure(
        Cli({QStringLiteral("cdg"), QStringLiteral("frame"), file, QStringLiteral("--at"),
             QStringLiteral("abc"), QStringLiteral("-o"), out}),
        QStringLiteral("abc"));
    ExpectOneLineFailure(Cli({QStringLiteral("cdg"), QStringLiteral("frame"), file,
                              QStringLiteral("--at"), QStringLiteral("1")}),
                         QStringLiteral("-o"));
    ExpectOneLineFailure(
        Cli({QStringLiteral("cdg"), QStringLiteral("frame"), file, QStringLiteral("--at"),
             QStringLiteral("1"), QStringLiteral("--scale"), QStringLiteral("0"),
             QStringLiteral("-o"), out}),
        QStringLiteral("scale"));
    ExpectOneLineFailure(
        Cli({QStringLiteral("cdg"), QStringLiteral("frame"), file, QStringLiteral("--bogus")}),
        QStringLiteral("bogus"));
    ExpectOneLineFailure(Cli({QStringLiteral("cdg"), QStringLiteral("info")}),
                         QStringLiteral("no CD+G file"));
    EXPECT_FALSE(QFile::exists(out));
    const CliRun unknown = Cli({QStringLiteral("cdg"), QStringLiteral("melt")});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("unknown command")));
    for (const QString& cmd :
         {QStringLiteral("info"), QStringLiteral("frame"), QStringLiteral("demo")}) {
        const CliRun help = Cli({QStringLiteral("cdg"), cmd, QStringLiteral("--help")});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_TRUE(help.out.contains(QStringLiteral("Usage: quilm-cli cdg ") + cmd))
            << help.out.toStdString();
    }
}

TEST(CdgCli, BadFilesAreRefusedClearly) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("o.png"));
    const QString missing = dir.filePath(QStringLiteral("missing.cdg"));
    ExpectOneLineFailure(Cli({QStringLiteral("cdg"), QStringLiteral("info"), missing}),
                         QStringLiteral("no such file"));
    const QString empty = dir.filePath(QStringLiteral("empty.cdg"));
    WriteFile(empty, QByteArray());
    ExpectOneLineFailure(
        Cli({QStringLiteral("cdg"), QStringLiteral("frame"), empty, QStringLiteral("--at"),
             QStringLiteral("1"), QStringLiteral("-o"), out}),
        QStringLiteral("empty"));
    ExpectOneLineFailure(Cli({QStringLiteral("cdg"), QStringLiteral("info"), dir.path()}),
                         QStringLiteral("folder"));
    const QString unreadable = dir.filePath(QStringLiteral("locked.cdg"));
    WriteFile(unreadable, QByteArray(48, '\0'));
    QFile::setPermissions(unreadable, QFileDevice::Permissions());
    if (!QFile(unreadable).open(QIODevice::ReadOnly)) {  // root reads anything
        ExpectOneLineFailure(Cli({QStringLiteral("cdg"), QStringLiteral("info"), unreadable}),
                             QStringLiteral("cannot open"));
    }
    // A ragged tail: whole packets are still decoded and the leftover is named.
    const QString ragged = dir.filePath(QStringLiteral("ragged.cdg"));
    WriteFile(ragged, SmallStream() + QByteArray(7, '\x09'));
    const CliRun info = Cli({QStringLiteral("cdg"), QStringLiteral("info"), ragged});
    ExpectOneLineFailure(info, QStringLiteral("7 bytes left over"));
    EXPECT_TRUE(info.out.contains(QStringLiteral("packets: 600")));
    const CliRun frame =
        Cli({QStringLiteral("cdg"), QStringLiteral("frame"), ragged, QStringLiteral("--at"),
             QStringLiteral("99"), QStringLiteral("-o"), out});
    ExpectOneLineFailure(frame, QStringLiteral("7 bytes left over"));
    EXPECT_TRUE(QFile::exists(out));
    // Random bytes are just a strange picture.
    QByteArray noise(24 * 1000, '\0');
    for (int i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    }
    const QString random = dir.filePath(QStringLiteral("random.cdg"));
    WriteFile(random, noise);
    EXPECT_EQ(Cli({QStringLiteral("cdg"), QStringLiteral("frame"), random, QStringLiteral("--at"),
                   QStringLiteral("10"), QStringLiteral("-o"), out})
                  .exitCode,
              0);
    // An output that cannot be written.
    ExpectOneLineFailure(Cli({QStringLiteral("cdg"), QStringLiteral("frame"), random,
                              QStringLiteral("--at"), QStringLiteral("1"), QStringLiteral("-o"),
                              dir.filePath(QStringLiteral("no/such/dir/o.png"))}),
                         QStringLiteral("cannot write"));
}

TEST(CdgCli, DemoWritesAStreamAndAFrame) {
    QTemporaryDir dir;
    const CliRun run =
        Cli({QStringLiteral("cdg"), QStringLiteral("demo"), QStringLiteral("-o"), dir.path()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString cdg = dir.filePath(QStringLiteral("quilm-demo.cdg"));
    EXPECT_TRUE(run.out.contains(cdg));
    EXPECT_EQ(QFile(cdg).size() % 24, 0);
    EXPECT_GT(QFile(cdg).size(), 10 * 7200);
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("quilm-demo.png"))).size(), QSize(600, 432));
}
