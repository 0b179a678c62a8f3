// The song document: what its edits announce, and opening a project with and without music.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "SongFixtures.h"
#include "base/MMessageReporter.h"
#include "song/MSongDocument.h"

namespace {

// Counts every signal of a document.
struct Signals {
    explicit Signals(MSongDocument& d) {
        QObject::connect(&d, &MSongDocument::lyricsChanged, [this] { ++lyrics; });
        QObject::connect(&d, &MSongDocument::linesChanged, [this] { ++lines; });
        QObject::connect(&d, &MSongDocument::settingsChanged, [this] { ++settings; });
        QObject::connect(&d, &MSongDocument::musicChanged, [this] { ++music; });
        QObject::connect(&d, &MSongDocument::pathChanged, [this](const QString& p) { path = p; });
        QObject::connect(&d, &MSongDocument::modifiedChanged,
                         [this](bool m) { modified.push_back(m); });
    }
    int lyrics = 0, lines = 0, settings = 0, music = 0;
    QString path;
    std::vector<bool> modified;
};

}  // namespace

TEST(SongDocument, EditsMarkModifiedOnceAndAnnounceWhatChanged) {
    MSongDocument doc;
    Signals s(doc);
    doc.SetRawLyrics(QStringLiteral("one two\nthree"));
    doc.GenerateKaraokeLineList(true, true);
    doc.SetWordTimes(1, 44100, 50000);
    doc.SetLinePlaced(0, true);
    doc.SetWordTimes(99, 1, 2);  // no such word: nothing to change, nothing breaks
    EXPECT_EQ(s.lyrics, 1);
    EXPECT_EQ(s.lines, 4);
    EXPECT_EQ(s.settings, 0);
    EXPECT_EQ(s.modified, std::vector<bool>{true}) << "one signal per change of state";
    EXPECT_EQ(doc.Song().GetWord(1)->startTime, 44100);
    EXPECT_TRUE(doc.Song().GetLine(0)->placed);

    auto edited = doc.Song().CopySettings();
    edited->title = QStringLiteral("Star");
    doc.AssignSettings(*edited);
    EXPECT_EQ(s.settings, 1);
    EXPECT_EQ(doc.Song().title, QStringLiteral("Star"));
}

TEST(SongDocument, OpensSavesAndReportsWhatItCannotUse) {
    QTemporaryDir dir;
    const QString project = dir.filePath(QStringLiteral("song.qlm"));
    const QString wav = dir.filePath(QStringLiteral("music.wav"));
    ASSERT_TRUE(SongFixtures::WriteSilentWav(wav, 44100 * 5));
    {
        MSongDocument doc;
        ASSERT_TRUE(doc.ImportMusic(wav).IsOk());
        doc.SetRawLyrics(QStringLiteral("la la"));
        ASSERT_TRUE(doc.SaveAs(project).IsOk());
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(doc.Path(), project);
    }
    MSongDocument doc;
    Signals s(doc);
    ASSERT_TRUE(doc.Open(project).IsOk());
    EXPECT_EQ(s.path, project);
    EXPECT_EQ(s.music, 1);
    EXPECT_TRUE(doc.HasMusic());
    EXPECT_EQ(doc.Song().audioBytes, 44100u * 5 * 4);
    const MSongStream stream = doc.RenderWholeStream();
    EXPECT_TRUE(stream.status.IsOk());
    EXPECT_GT(stream.lengthBytes, 0u);
    EXPECT_EQ(stream.bytes, doc.Song().rwBuffer.data());

    // Music gone: the project opens without it, and says so.
    ASSERT_TRUE(QFile::remove(wav));
    struct Reporter : MMessageReporter {
        bool Report(const MStatus& m, const QString&) override {
            texts << m.Text();
            return false;
        }
        QStringList texts;
    } reporter;
    MSongDocument without(&reporter);
    ASSERT_TRUE(without.Open(project).IsOk());
    EXPECT_FALSE(without.HasMusic());
    ASSERT_EQ(reporter.texts.size(), 1);
    EXPECT_TRUE(reporter.texts[0].contains(QStringLiteral("going on without it")));

    // A damaged file fails with a reason and leaves a new project.
    QFile damaged(project);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("QLM?");
    damaged.close();
    const MStatus failed = without.Open(project);
    EXPECT_FALSE(failed.IsOk());
    EXPECT_FALSE(failed.Text().isEmpty());
    EXPECT_TRUE(without.Song().rawLyrics.isEmpty());
}
