// Reading lyric files from disk: file types, the messages of each failure, and the log.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "lyrics/LyricFileReader.h"

namespace {

using Type = LyricFileReader::FileType;

class LyricFileReaderTest : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    MStatus Read(const QString& path) {
        log_.clear();
        return LyricFileReader::Read(
            path, lyrics_, document_,
            [this](const QString& title, const QString& text) { log_ << title + u'|' + text; });
    }

    QTemporaryDir dir_;
    QString lyrics_;
    LrcDocument document_;
    QStringList log_;
};

}  // namespace

TEST_F(LyricFileReaderTest, TypeFromTheExtension) {
    EXPECT_EQ(LyricFileReader::TypeFromPath("/a/SONG.LRC"), Type::Lrc);
    EXPECT_EQ(LyricFileReader::TypeFromPath("/a/song.tar.MIDI"), Type::Midi);
    EXPECT_EQ(LyricFileReader::TypeFromPath("/a.txt/song"), Type::Unknown);
}

TEST_F(LyricFileReaderTest, ReadsEachKindOfFile) {
    ASSERT_TRUE(Read(Write("words.txt", "First line\r\nSecond \xE2\x80\x9Cline\xE2\x80\x9D\n")));
    EXPECT_EQ(lyrics_, QString::fromUtf8("First line\nSecond “line”\n"));
    EXPECT_EQ(log_, QStringList({"Import Lyrics|" + lyrics_}));
    EXPECT_FALSE(document_.HasLines());

    ASSERT_TRUE(Read(Write("timed.lrc", "[ar:Band]\r\n[00:01.00]One two\r\n[00:03.00]Three\r\n")));
    EXPECT_EQ(lyrics_, "One two\nThree\n");
    EXPECT_EQ(document_.artist, "Band");
    EXPECT_EQ(document_.lines.size(), 2);

    // The document of an earlier LRC import never survives into another import.
    ASSERT_TRUE(Read(qEnvironmentVariable("QUILM_TESTDATA") + "/twinkle.kar"));
    EXPECT_TRUE(lyrics_.startsWith("Twin*kle, Twin*kle lit*tle star;\n"));
    EXPECT_EQ(document_.artist, QString());
    EXPECT_EQ(document_.lines.size(), 13);
}

TEST_F(LyricFileReaderTest, FailuresCarryTheirMessages) {
    const MStatus missing = Read(dir_.filePath("missing.txt"));
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.Text(), "Error: Unable to open lyric file.");
    EXPECT_EQ(missing.GetIcon(), MStatus::Icon::Warning);
    EXPECT_TRUE(log_.isEmpty());

    ASSERT_TRUE(QDir(dir_.path()).mkdir("folder.lrc"));
    EXPECT_EQ(Read(dir_.filePath("folder.lrc")).Text(), "Error: Unable to open lyric file.");

    const QString noLyrics =
        "There was an error opening or reading the Lyrics file,\nor the Lyrics file contained "
        "no Lyrics.\n\nPlease check the file and try again.";
    for (const auto& [name, bytes] : {std::pair<QString, QByteArray>{"empty.txt", ""},
                                      {"tags.lrc", "[ar:x]\n[ti:y]\n"},
                                      {"plain.kar", "not a midi file at all, just text"}}) {
        const MStatus status = Read(Write(name, bytes));
        EXPECT_EQ(status.Text(), noLyrics) << name.toStdString();
        EXPECT_EQ(status.GetIcon(), MStatus::Icon::Error);
        EXPECT_EQ(log_, QStringList({"Import Lyrics|Error opening/reading Lyric file.\n"}));
        EXPECT_TRUE(lyrics_.isEmpty());
    }

    // An unknown type ends the import without a message.
    const MStatus unknown = Read(Write("song.doc", "words"));
    EXPECT_FALSE(unknown);
    EXPECT_TRUE(unknown.Text().isEmpty());
    EXPECT_TRUE(log_.isEmpty());
}

TEST_F(LyricFileReaderTest, EndlessFilesAreNotReadIntoMemory) {
    // A device that never ends claims a size of 0; reading must stop at the limit.
    const QString endless = dir_.filePath("endless.txt");
    ASSERT_TRUE(QFile::link("/dev/zero", endless));
    const MStatus status = Read(endless);
    EXPECT_TRUE(status.Text().startsWith("Error: Unable to open lyric file."))
        << status.Text().toStdString();
    EXPECT_EQ(status.GetIcon(), MStatus::Icon::Warning);
}
