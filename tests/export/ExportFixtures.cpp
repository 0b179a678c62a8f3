#include "export/ExportFixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <csignal>

#include <sys/resource.h>

void ExportTest::SetUp() {
    QDir().mkpath(TempFolder());
    oldTmpDir_ = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(TempFolder()));
}

void ExportTest::TearDown() {
    if (oldTmpDir_.isEmpty()) {
        qunsetenv("TMPDIR");
    } else {
        qputenv("TMPDIR", oldTmpDir_);
    }
}

QString ExportTest::MakeWav(const QString& name, double seconds, int channels,
                            const QString& sampleFormat) {
    return fx_.Make(
        name, QStringLiteral("sine=frequency=330:sample_rate=44100:duration=%1").arg(seconds),
        {QStringLiteral("-ac"), QString::number(channels), QStringLiteral("-c:a"),
         QStringLiteral("pcm_%1").arg(sampleFormat == QLatin1String("s16") ? QStringLiteral("s16le")
                                                                           : sampleFormat)});
}

std::unique_ptr<MSongSettings> ExportTest::MakeSong(const QString& wav, double firstSeconds,
                                                    bool titlePage, bool creditsPage) {
    host_.workWav = wav;
    auto song = std::make_unique<MSongSettings>(QString(), &host_);
    song->ResetToNewProject();
    song->rawLyrics = QStringLiteral(
        "Twinkle twinkle little star\nHow I wonder what you are\nUp above the world so high\n"
        "Like a diamond in the sky\nTwinkle twinkle little star\nHow I wonder what you are");
    song->musicFile = wav;
    song->title = QStringLiteral("Twinkle");
    song->artist = QStringLiteral("Jane Taylor");
    song->GenerateKaraokeLineList(true, true);
    int32_t t = static_cast<int32_t>(firstSeconds * 44100);
    for (auto& line : song->lineList) {
        for (auto& w : line->words) {
            w->startTime = t;
            w->endTime = t + 12000;
            t += 13230;  // 0.3 s a word
        }
        line->placed = line->HasWords();
    }
    song->FindPage(IMAGE_STRUCT::kTitlePage)->enabled = titlePage;
    song->FindPage(IMAGE_STRUCT::kTitlePage)->text = QStringLiteral("Twinkle\nJane Taylor");
    song->FindPage(IMAGE_STRUCT::kCreditsPage)->enabled = creditsPage;
    song->FindPage(IMAGE_STRUCT::kCreditsPage)->text = QStringLiteral("Thanks for singing");
    song->AttachWorkWav(true);
    return song;
}

void ExportTest::Retime(MSongSettings& song, const QString& lyrics, int32_t firstFrames,
                        int32_t stepFrames, int32_t lengthFrames) {
    song.rawLyrics = lyrics;
    song.GenerateKaraokeLineList(false, true);
    int32_t t = firstFrames;
    for (auto& line : song.lineList) {
        for (auto& w : line->words) {
            w->startTime = t;
            w->endTime = t + lengthFrames;
            t += stepFrames;
        }
        line->placed = line->HasWords();
    }
}

QStringList ExportTest::FilesIn(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << QDir(folder).relativeFilePath(it.next());
    }
    files.sort();
    return files;
}

FileSizeLimit::FileSizeLimit(long bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    old_ = limit.rlim_cur;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = old_;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}
