// The archive writer under ZIP packaging: methods by name, entry details, and its life cycle.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>

#include "base/MInterrupt.h"
#include "export/UnzipTool.h"
#include "export/ZipArchiveWriter.h"

namespace {

QString Make(const QTemporaryDir& dir, const QString& name, const QByteArray& content) {
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.setFileTime(QDateTime(QDate(2021, 6, 15), QTime(10, 20, 30)),
                  QFileDevice::FileModificationTime);
    return f.fileName();
}

}  // namespace

TEST(ZipArchiveWriter, CompressedNamesAreStoredOthersDeflated) {
    QTemporaryDir dir;
    const QByteArray text(20000, 'k');
    const QString source = Make(dir, QStringLiteral("src"), text);
    const QString zipPath = dir.filePath(QStringLiteral("t.zip"));
    const QStringList names = {"a.gz",  "b.TGZ", "c.Zip",  "d.z",   "e.zoo",     "f.ARC",
                               "g.lzh", "h.arj", "i.zipx", "j.cdg", "sub\\k.lrc"};
    ZipArchiveWriter zip(zipPath);
    ASSERT_TRUE(zip.Open());
    for (const QString& n : names) {
        ASSERT_EQ(zip.AddFile(n, source), ZipArchiveWriter::kCodeOk) << n.toStdString();
    }
    EXPECT_FALSE(QFile::exists(zipPath)) << "the target appears only when finished";
    ASSERT_EQ(zip.Finish(), ZipArchiveWriter::kCodeOk);

    const auto entries = UnzipTool::List(zipPath);
    ASSERT_EQ(entries.size(), static_cast<size_t>(names.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].method, i < 8 ? "Stored" : "Defl:X") << entries[i].name.toStdString();
        EXPECT_EQ(entries[i].modified, "2021-06-15 10:20");
    }
    EXPECT_EQ(entries.back().name, "sub/k.lrc");
    EXPECT_EQ(UnzipTool::Extract(zipPath, QStringLiteral("a.gz")), text);
    EXPECT_EQ(UnzipTool::Extract(zipPath, QStringLiteral("sub/k.lrc")), text);
}

TEST(ZipArchiveWriter, CodesFollowTheArchiveStateAndUnfinishedArchivesVanish) {
    QTemporaryDir dir;
    const QString source = Make(dir, QStringLiteral("s"), QByteArray(100000, 'q'));
    const QString zipPath = dir.filePath(QStringLiteral("t.zip"));
    auto files = [&] { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(); };
    {
        ZipArchiveWriter zip(zipPath);
        EXPECT_EQ(zip.AddFile(QStringLiteral("a"), source), ZipArchiveWriter::kCodeWrongMode);
        ASSERT_TRUE(zip.Open());
        EXPECT_EQ(zip.AddFile(QString(), source), ZipArchiveWriter::kCodeArgs);
        EXPECT_EQ(zip.AddFile(QStringLiteral("a"), dir.filePath(QStringLiteral("missing"))),
                  ZipArchiveWriter::kCodeNoFile);
        EXPECT_EQ(zip.AddFile(QStringLiteral("a"), dir.path()), ZipArchiveWriter::kCodeNoFile);
        EXPECT_EQ(zip.AddFile(QStringLiteral("a"), source), ZipArchiveWriter::kCodeOk);
        EXPECT_EQ(files(), 2) << "the archive grows in a temporary file";
    }
    EXPECT_EQ(files(), 1) << "a writer destroyed unfinished leaves nothing";

    ZipArchiveWriter zip(zipPath);
    ASSERT_TRUE(zip.Open());
    EXPECT_EQ(zip.AddFile(QStringLiteral("a"), source), ZipArchiveWriter::kCodeOk);
    EXPECT_EQ(zip.Finish(), ZipArchiveWriter::kCodeOk);
    EXPECT_EQ(zip.AddFile(QStringLiteral("b"), source), ZipArchiveWriter::kCodeEnded);
    EXPECT_EQ(zip.Finish(), ZipArchiveWriter::kCodeEnded);
    EXPECT_EQ(UnzipTool::List(zipPath).size(), 1u);
    EXPECT_EQ(files(), 2);
}

TEST(ZipArchiveWriter, ASignalStopsPackingAndKeepsThePreviousArchive) {
    QTemporaryDir dir;
    const QString source = Make(dir, QStringLiteral("s"), QByteArray(3 << 20, 'q'));
    const QString zipPath = Make(dir, QStringLiteral("t.zip"), "previous");
    ZipArchiveWriter zip(zipPath, {source});
    ASSERT_TRUE(zip.Open());
    MInterrupt::Install();
    std::raise(SIGTERM);
    EXPECT_EQ(zip.AddFile(QStringLiteral("s"), source), ZipArchiveWriter::kCodeCancelled);
    EXPECT_NE(zip.Finish(), ZipArchiveWriter::kCodeOk);
    MInterrupt::Reset();
    std::signal(SIGTERM, SIG_DFL);
    QFile f(zipPath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "previous");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

    // The archive is never written over one of its sources.
    ZipArchiveWriter over(source, {source});
    EXPECT_FALSE(over.Open());
}
