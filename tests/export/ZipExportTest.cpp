// Packing an exported song: entry names, compression, contents, and the failures the user sees.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "export/UnzipTool.h"
#include "export/ZipExport.h"

namespace {

class ZipExportTest : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return dir_.filePath(name); }
    QString Make(const QString& name, const QByteArray& content) const {
        QFile f(Path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return f.fileName();
    }
    QStringList Files() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden); }
    static QStringList Names(const QString& zipPath) {
        QStringList names;
        for (const auto& e : UnzipTool::List(zipPath)) {
            names << e.name;
            EXPECT_EQ(e.method, "Defl:X") << "deflate at level 8: " << e.name.toStdString();
        }
        return names;
    }

    QTemporaryDir dir_;
};

}  // namespace

TEST_F(ZipExportTest, EntriesAreNamedAfterTheArchive) {
    // Noise and runs in turn, over several read chunks.
    QByteArray audio(700 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < audio.size(); ++i) {
        audio[i] = (i / 4096) % 2 ? char(i) : char(QRandomGenerator::global()->generate());
    }
    const QByteArray cdg(90 * 1024, '\x09');
    const QString mp3 = Make(QStringLiteral("take 3.MP3"), audio);
    const QString cdgPath = Make(QStringLiteral("whatever.cdg"), cdg);
    const QString zipPath = Path(QStringLiteral("Song.v2.zip"));

    uint32_t code = 1;
    const MStatus s = ZipExport::Run(zipPath, mp3, cdgPath, QString(), &code);
    ASSERT_TRUE(s.IsOk()) << s.Text().toStdString();
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(Names(zipPath), QStringList({"Song.v2.mp3", "Song.v2.cdg"}));
    EXPECT_EQ(UnzipTool::Extract(zipPath, QStringLiteral("Song.v2.mp3")), audio);
    EXPECT_EQ(UnzipTool::Extract(zipPath, QStringLiteral("Song.v2.cdg")), cdg);
    EXPECT_EQ(Files(), QStringList({"Song.v2.zip", "take 3.MP3", "whatever.cdg"}));

    // A lyric file comes third; a second run replaces the archive, read-only or not.
    QFile::setPermissions(zipPath, QFile::ReadOwner);
    const QString lrc = Make(QStringLiteral("words.txt"), "[00:01.00]Hello");
    ASSERT_TRUE(ZipExport::Run(zipPath, Make(QStringLiteral("a.wma"), "wma"), cdgPath, lrc));
    EXPECT_EQ(Names(zipPath), QStringList({"Song.v2.wma", "Song.v2.cdg", "Song.v2.lrc"}));
    EXPECT_EQ(UnzipTool::Extract(zipPath, QStringLiteral("Song.v2.lrc")), "[00:01.00]Hello");

    // Without an extension the whole name is used; names keep their letters.
    const QString plain = Path(QStringLiteral("Café Olé"));
    ASSERT_TRUE(ZipExport::Run(plain, Make(QStringLiteral("b.Wav"), "RIFF"), cdgPath));
    EXPECT_EQ(Names(plain), QStringList({"Café Olé.wav", "Café Olé.cdg"}));
    // A name as long as the file system allows, with a placeholder-like "%2" in it.
    const QString base = QString(242, QLatin1Char('x')) + QStringLiteral("%2");
    ASSERT_TRUE(ZipExport::Run(Path(base + QStringLiteral(".zip")), mp3, cdgPath));
    EXPECT_EQ(Names(Path(base + QStringLiteral(".zip"))),
              QStringList({base + ".mp3", base + ".cdg"}));
}

TEST_F(ZipExportTest, FailuresLeaveNoArchiveAndKeepTheOldOne) {
    const QString ogg = Make(QStringLiteral("a.ogg"), "OggS");
    const QString mp3 = Make(QStringLiteral("a.mp3"), "ID3");
    const QString cdg = Make(QStringLiteral("a.cdg"), "cdg");
    const QString zipPath = Path(QStringLiteral("Out.zip"));

    uint32_t code = 0;
    MStatus s = ZipExport::Run(zipPath, ogg, cdg, QString(), &code);
    EXPECT_EQ(code, 0x00000200u);
    EXPECT_EQ(s.Text(),
              "An unexpected error occurred while processing the ZIP compressed file: "
              "0x00000200\n\n" +
                  zipPath);
    EXPECT_EQ(s.GetIcon(), MStatus::Icon::Error);
    EXPECT_FALSE(QFile::exists(zipPath));

    // A missing CD+G or lyric file ends the sequence; the archive that was there survives.
    Make(QStringLiteral("Out.zip"), "previous archive");
    s = ZipExport::Run(zipPath, mp3, Path(QStringLiteral("missing.cdg")), QString(), &code);
    EXPECT_FALSE(s.IsOk());
    EXPECT_EQ(code, 0x00000200u);
    EXPECT_FALSE(ZipExport::Run(zipPath, mp3, cdg, Path(QStringLiteral("none.lrc"))).IsOk());
    QFile old(zipPath);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "previous archive");
    EXPECT_EQ(Files().size(), 4) << Files().join(' ').toStdString();

    for (const QString& bad : {Path(QStringLiteral("no/such/x.zip")), dir_.path(), QString()}) {
        s = ZipExport::Run(bad, mp3, cdg);
        EXPECT_EQ(s.Text(), "An unexpected error occurred while creating the ZIP compressed file.");
    }
    EXPECT_EQ(Files().size(), 4);
}
