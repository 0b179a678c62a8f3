// Project files: sizes, round trips, older versions, and damaged files.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <fstream>

#include "SongFixtures.h"
#include "song/MProjectFile.h"
#include "song/MProjectSanity.h"

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::unique_ptr<MSongSettings> RichSong() {
    auto song = SongFixtures::NewSong(
        QStringLiteral("Twinkle, twin*kle,\n&little star\n^\nNew_York ça va"));
    song->header.performance = 2;
    song->GenerateKaraokeLineList(true, false);
    SongFixtures::TimeWords(*song, 2.0, 0.7);
    song->LayoutWords();
    song->SelectWord(2, true);
    song->artist = QStringLiteral("Traditional");
    song->title = QStringLiteral("Twinkle – Star");
    song->musicFile = QStringLiteral("/nowhere/music.mp3");
    IMAGE_STRUCT* title = song->FindPage(IMAGE_STRUCT::kTitlePage);
    title->enabled = true;
    title->text = QStringLiteral("Twinkle\nTraditional");
    title->perLineTypes.Append({9, 18, 2, QStringLiteral("DejaVu Sans"), 2});
    title->picture.LoadImage(QImage(QStringLiteral(":/nothing")));
    QImage img(40, 20, QImage::Format_RGB32);
    img.fill(qRgb(200, 30, 30));
    song->FindPage(IMAGE_STRUCT::kLyricsPage)->picture.LoadImage(img);
    song->FindPage(IMAGE_STRUCT::kLyricsPage)->hasGraphic = true;
    song->FindPage(IMAGE_STRUCT::kLyricsPage)->picture.ToDib(1);
    return song;
}

// A file in an older layout, built from a song: version 500 adds 16 bytes after each page block;
// before 500 the lines have no singer colour and duet flag; only 600 has the reserved ints,
// artist, title, voices and overrides.
QByteArray OldFile(const MSongSettings& song, int32_t version) {
    QByteArray out;
    const auto putInt = [&out](int32_t v) {
        char b[4];
        qToLittleEndian<int32_t>(v, b);
        out.append(b, 4);
    };
    const auto putString = [&](const QString& s) {
        const QByteArray b = s.toUtf8();
        putInt(static_cast<int32_t>(b.size()));
        out.append(b);
    };
    SongHeader h = song.header;
    h.version = version;
    out.append(reinterpret_cast<const char*>(&h), sizeof(h));
    putString(song.rawLyrics);
    putString(song.musicFile);
    putInt(static_cast<int32_t>(song.pages.size()));
    for (const auto& page : song.pages) {
        out.append(MProjectFile::PageBlock(*page));
        if (version == 500) {
            out.append(QByteArray(16, 'x'));
        }
        putString(page->text);
    }
    putInt(song.LineCount());
    for (const auto& line : song.lineList) {
        putInt(line->page);
        putInt(line->drawTime);
        putInt(line->eraseTime);
        putInt(line->row);
        out.append(char(line->placed));
        out.append(char(line->newPageBefore));
        if (version >= 500) {
            putInt(line->singerColour);
            out.append(char(line->duet));
        }
        putString(line->text);
        putInt(line->WordCount());
        for (const auto& w : line->words) {
            uint8_t b[40];
            w->Store(b);
            out.append(reinterpret_cast<const char*>(b), 40);
        }
    }
    return out;
}

MStatus LoadBytes(MSongSettings& song, const QByteArray& bytes) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return MProjectFile(song).Load(buffer);
}

int64_t StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stoll(line.substr(std::strlen(field)));
        }
    }
    return -1;
}

}  // namespace

TEST(ProjectFile, EmptyDefaultProjectIs747636Bytes) {
    MSongSettings song;
    song.ResetToNewProject();
    EXPECT_EQ(MProjectFile::Serialize(song).size(), 747636);
}

TEST(ProjectFile, SaveLoadSaveIsByteForByte) {
    QTemporaryDir dir;
    auto song = RichSong();
    song->projectPath = dir.filePath(QStringLiteral("a.qlm"));
    song->modified = true;
    ASSERT_TRUE(song->SaveProject().IsOk());
    EXPECT_FALSE(song->modified);
    const QByteArray first = ReadAll(song->projectPath);

    MSongSettings loaded(song->projectPath);
    ASSERT_TRUE(loaded.LoadProject().IsOk());
    EXPECT_EQ(loaded.rawLyrics, song->rawLyrics);
    EXPECT_EQ(loaded.title, song->title);
    EXPECT_EQ(loaded.WordCount(), song->WordCount());
    EXPECT_EQ(loaded.GetWord(3)->line, loaded.GetLine(1)) << "words are linked to their lines";
    EXPECT_EQ(*loaded.FindPage(IMAGE_STRUCT::kTitlePage),
              *song->FindPage(IMAGE_STRUCT::kTitlePage));
    EXPECT_EQ(*loaded.FindPage(IMAGE_STRUCT::kLyricsPage),
              *song->FindPage(IMAGE_STRUCT::kLyricsPage));
    loaded.projectPath = dir.filePath(QStringLiteral("b.qlm"));
    ASSERT_TRUE(loaded.SaveProject().IsOk());
    EXPECT_EQ(ReadAll(loaded.projectPath), first);
}

TEST(ProjectFile, OlderVersionsLoadAndSaveAsCurrent) {
    auto song = RichSong();
    for (int32_t version : {400, 450, 500}) {
        MSongSettings loaded;
        ASSERT_TRUE(LoadBytes(loaded, OldFile(*song, version)).IsOk()) << version;
        EXPECT_EQ(loaded.header.version, 600);
        EXPECT_TRUE(loaded.artist.isEmpty());
        EXPECT_TRUE(loaded.FindPage(IMAGE_STRUCT::kTitlePage)->perLineTypes.IsEmpty());
        EXPECT_EQ(loaded.FindPage(IMAGE_STRUCT::kTitlePage)->text,
                  song->FindPage(IMAGE_STRUCT::kTitlePage)->text);
        EXPECT_EQ(loaded.LineCount(), song->LineCount());
        if (version < 500) {
            EXPECT_EQ(loaded.GetLine(1)->singerColour, 12);
            EXPECT_FALSE(loaded.GetLine(1)->duet);
        } else {
            EXPECT_EQ(loaded.GetLine(1)->singerColour, song->GetLine(1)->singerColour);
            EXPECT_EQ(loaded.GetLine(1)->duet, song->GetLine(1)->duet);
        }
        // Saved again: the current layout, with reserved ints, empty texts and no overrides.
        const QByteArray saved = MProjectFile::Serialize(loaded);
        EXPECT_EQ(qFromLittleEndian<int32_t>(saved.constData()), 600);
        MSongSettings again;
        ASSERT_TRUE(LoadBytes(again, saved).IsOk());
        EXPECT_EQ(MProjectFile::Serialize(again), saved);
    }
}

TEST(ProjectFile, VersionsOutsideTheRangeAreRefused) {
    auto song = RichSong();
    QByteArray bytes = MProjectFile::Serialize(*song);
    qToLittleEndian<int32_t>(601, bytes.data());
    MSongSettings a;
    const MStatus newer = LoadBytes(a, bytes);
    EXPECT_FALSE(newer.IsOk());
    EXPECT_EQ(newer.Text(), QString::fromUtf8(MProjectFile::kTooNew));
    EXPECT_EQ(newer.GetIcon(), MStatus::Icon::Warning);
    qToLittleEndian<int32_t>(399, bytes.data());
    EXPECT_EQ(LoadBytes(a, bytes).Text(), QString::fromUtf8(MProjectFile::kTooOld));
    EXPECT_EQ(LoadBytes(a, bytes.left(51)).Text(), QString::fromUtf8(MProjectFile::kCorrupted));
    // Some other kind of file is not taken for a project of another version.
    EXPECT_EQ(LoadBytes(a, QByteArray("\x89PNG\r\n\x1a\n").repeated(40)).Text(),
              QString::fromUtf8(MProjectFile::kNotAProject));
    MSongSettings missing(QStringLiteral("/no/such/file.qlm"));
    EXPECT_EQ(missing.LoadProject().Text(), QString::fromUtf8(MProjectFile::kCannotOpen));
}

TEST(ProjectFile, TruncationAtEveryOffsetOfASmallFileFailsCleanly) {
    auto song = SongFixtures::NewSong(QStringLiteral("a b\nc"));
    song->pages.clear();
    SongFixtures::TimeWords(*song, 1.0, 1.0);
    const QByteArray full = MProjectFile::Serialize(*song);
    ASSERT_LT(full.size(), 400);
    MSongSettings target;
    for (qsizetype n = 0; n < full.size(); ++n) {
        ASSERT_FALSE(LoadBytes(target, full.left(n)).IsOk()) << n;
    }
    EXPECT_TRUE(LoadBytes(target, full).IsOk());
}

TEST(ProjectFile, TruncationAnywhereInAFileWithAPageFailsCleanly) {
    auto song = SongFixtures::NewSong(QStringLiteral("a b\nc"));
    song->pages.resize(1);  // a small file: one page
    SongFixtures::TimeWords(*song, 1.0, 1.0);
    const QByteArray full = MProjectFile::Serialize(*song);
    MSongSettings target;
    target.ResetToNewProject();
    target.rawLyrics = QStringLiteral("keep me");
    for (qsizetype n = 0; n < full.size(); n += (n > 60 && n < full.size() - 400) ? 997 : 1) {
        const MStatus s = LoadBytes(target, full.left(n));
        ASSERT_FALSE(s.IsOk()) << n;
        ASSERT_EQ(target.rawLyrics, QStringLiteral("keep me")) << "a failed load changes nothing";
    }
    EXPECT_TRUE(LoadBytes(target, full).IsOk());
}

TEST(ProjectFile, LyingLengthsAndCountsNeitherCrashNorAllocate) {
    auto song = SongFixtures::NewSong(QStringLiteral("a b\nc"));
    SongFixtures::TimeWords(*song, 1.0, 1.0);
    const QByteArray full = MProjectFile::Serialize(*song);
    // Offsets of the length and count fields of this file.
    const int lyricsLength = 52;
    const int pageCount = 52 + 4 + 3 + 4 + 8 + 4 + 4 + 12;
    const int firstOverrideCount = pageCount + 4 + MProjectFile::kPageBlockBytes;
    const int lineCount =
        static_cast<int>(full.size()) - (23 + 4 + 3 + 4 + 80) - (23 + 4 + 1 + 4 + 40) - 4;
    ASSERT_EQ(qFromLittleEndian<int32_t>(full.constData() + lineCount), 2);
    const int64_t rssBefore = StatusKb("VmRSS:");
    {
        std::ofstream reset("/proc/self/clear_refs");
        reset << "5";
    }
    for (int offset : {lyricsLength, pageCount, firstOverrideCount, lineCount, lineCount + 4 + 23,
                       lineCount + 4 + 23 + 4 + 3}) {
        for (int32_t value : {-1, 0x7FFFFFFF, 0x40000000, 1000000}) {
            QByteArray bad = full;
            qToLittleEndian<int32_t>(value, bad.data() + offset);
            MSongSettings target;
            const MStatus s = LoadBytes(target, bad);
            if (s.IsOk()) {
                continue;  // some values are harmless at some places (an empty string)
            }
            EXPECT_TRUE(s.Text().isEmpty()) << "a damaged file fails without a message";
        }
    }
    const int64_t peak = StatusKb("VmHWM:");
    // AddressSanitizer keeps freed blocks in quarantine, so there every load's
    // legitimate buffers stay resident; a believed count would still need gigabytes.
#if defined(__SANITIZE_ADDRESS__)
    const int64_t boundKb = 64 * 1024;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    const int64_t boundKb = 64 * 1024;
#else
    const int64_t boundKb = 8 * 1024;
#endif
#else
    const int64_t boundKb = 8 * 1024;
#endif
    if (rssBefore > 0 && peak > 0) {
        EXPECT_LT(peak - rssBefore, boundKb) << "peak memory grew by " << peak - rssBefore << " kB";
    }
}

TEST(ProjectFile, FailedSaveKeepsTheOldFile) {
    QTemporaryDir dir;
    auto song = RichSong();
    song->projectPath = dir.filePath(QStringLiteral("keep.qlm"));
    ASSERT_TRUE(song->SaveProject().IsOk());
    const QByteArray before = ReadAll(song->projectPath);
    song->projectPath = dir.filePath(QStringLiteral("no/such/folder/x.qlm"));
    song->modified = true;
    const MStatus s = song->SaveProject();
    EXPECT_FALSE(s.IsOk());
    EXPECT_TRUE(s.Text().contains(QStringLiteral("x.qlm")));
    EXPECT_TRUE(song->modified);
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("keep.qlm"))), before);
}

TEST(ProjectFile, ALongSongIsWrittenInPiecesAsTheSameBytes) {
    // Lyrics longer than one piece, with a character of two UTF-16 units on a piece's edge.
    QString text = QString(65535, u'a') + QString::fromUtf8("\xf0\x9f\x8e\xa4") + u'\n';
    for (int i = 0; i < 30000; ++i) {
        text += QStringLiteral("line %1 of the song\n").arg(i);
    }
    auto song = SongFixtures::NewSong(text);
    song->GenerateKaraokeLineList(true, false);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(MProjectFile::Serialize(*song, buffer));
    EXPECT_EQ(buffer.data(), MProjectFile::Serialize(*song));
    MSongSettings loaded;
    QBuffer in(&buffer.buffer());
    in.open(QIODevice::ReadOnly);
    ASSERT_TRUE(MProjectFile(loaded).Load(in).IsOk());
    EXPECT_EQ(loaded.rawLyrics, song->rawLyrics);
}

TEST(ProjectFile, ADamagedProjectIsRefusedUnlessTheCallerChecksIt) {
    QTemporaryDir dir;
    auto song = RichSong();
    song->projectPath = dir.filePath(QStringLiteral("a.qlm"));
    song->header.linesPerPage = 0x40000004;
    ASSERT_TRUE(song->SaveProject().IsOk());
    MSongSettings refused(song->projectPath);
    const MStatus status = refused.LoadProject();
    EXPECT_FALSE(status.IsOk());
    EXPECT_TRUE(status.Text().contains(QStringLiteral("lines per page is 1073741828")))
        << status.Text().toStdString();
    EXPECT_TRUE(refused.lineList.empty());
    MSongSettings accepted(song->projectPath);
    ASSERT_TRUE(accepted.LoadProject(true).IsOk());
    EXPECT_EQ(accepted.header.linesPerPage, 0x40000004);
}

TEST(ProjectFile, LyricsBeyondWhatASongHoldsAreNamed) {
    EXPECT_EQ(MProjectSanity::LyricsProblem(QString(MProjectSanity::kMaxLines, u'\n')), QString());
    EXPECT_EQ(MProjectSanity::LyricsProblem(QString(MProjectSanity::kMaxLines, u'\n') + u'a'),
              QStringLiteral("100001 lines (at most 100000)"));
    QString words;
    for (int i = 0; i < MProjectSanity::kMaxWords / 2; ++i) {
        words += QStringLiteral("ab*c ");
    }
    EXPECT_EQ(MProjectSanity::LyricsProblem(words), QString());
    EXPECT_EQ(MProjectSanity::LyricsProblem(words + u'x'),
              QStringLiteral("500001 words (at most 500000)"));
}
