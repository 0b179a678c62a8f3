// Exports run side by side as they run one after another, leave no work file behind (a killed
// one's is removed by the next run), come out the same every time, and show the border colour
// the song chose in FFmpeg as in our viewer.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "audio/AudioFixtures.h"
#include "cdg/CdgColour.h"
#include "song/MSongSettings.h"
#include "support/CliRunner.h"
#include "support/FfmpegFrames.h"

namespace {

class WorkFiles : public ::testing::Test {
protected:
    void SetUp() override {
        oldTmp_ = qgetenv("TMPDIR");
        QDir().mkpath(Path("tmp"));
        qputenv("TMPDIR", QFile::encodeName(Path("tmp")));
    }
    void TearDown() override { qputenv("TMPDIR", oldTmp_); }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    CliRun Cli(const QStringList& args) const {
        return CliRunner::Run(QStringLiteral(QUILM_CLI_PATH), args);
    }
    QStringList WorkFolders() const {
        return QDir(Path("tmp")).entryList({"quilm*"}, QDir::AllEntries | QDir::Hidden);
    }
    // A demo project whose music is an MP3, so that every run decodes it into a work file.
    QString Project(const QString& name, double seconds) {
        const QString folder = Path(name);
        EXPECT_EQ(Cli({"demo", "-o", folder}).exitCode, 0);
        const QString mp3 = folder + "/music.mp3";
        AudioFixtures::Run("ffmpeg", {"-y", "-f", "lavfi", "-i",
                                      QStringLiteral("sine=frequency=%1:duration=%2")
                                          .arg(300 + 40 * name.size())
                                          .arg(seconds),
                                      "-ac", "2", mp3});
        const QString project = folder + "/song.qlm";
        EXPECT_EQ(
            Cli({"new", "-o", project, "--music", mp3, "--lyrics", folder + "/quilm-demo.lrc"})
                .exitCode,
            0);
        return project;
    }

    QTemporaryDir dir_;
    QByteArray oldTmp_;
};

QProcess* Start(const QStringList& args) {
    auto* p = new QProcess;
    p->start(QStringLiteral(QUILM_CLI_PATH), args);
    return p;
}

}  // namespace

TEST_F(WorkFiles, ExportsAtOnceEqualExportsOneAfterAnother) {
    const QStringList projects = {Project("a", 40), Project("bb", 90), Project("ccc", 25),
                                  Project("dddd", 60)};
    auto args = [&](int i, const QString& round) {
        const QString type = i % 2 == 0 ? "bin" : "mp3";
        return QStringList{"export", projects[i],
                           "--type", type,
                           "-o",     Path(QStringLiteral("%1-%2.%3").arg(round).arg(i).arg(type))};
    };
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(Cli(args(i, "one")).exitCode, 0);
    }
    for (const int n : {2, 4}) {
        std::vector<std::unique_ptr<QProcess>> running;
        for (int i = 0; i < n; ++i) {
            running.emplace_back(Start(args(i, QString::number(n))));
        }
        for (int i = 0; i < n; ++i) {
            ASSERT_TRUE(running[i]->waitForFinished(180000));
            EXPECT_EQ(running[i]->exitCode(), 0) << running[i]->readAllStandardError().data();
            const QString type = i % 2 == 0 ? "bin" : "mp3";
            const QString suffix = QStringLiteral("-%1.%2").arg(i).arg(type);
            EXPECT_TRUE(AudioFixtures::ReadAll(Path(QString::number(n) + suffix)) ==
                        AudioFixtures::ReadAll(Path("one" + suffix)))
                << n << suffix.toStdString();
        }
    }
    EXPECT_EQ(WorkFolders(), QStringList());

    // Killed in the middle: the folder stays until the next run, which removes it.
    std::unique_ptr<QProcess> killed(Start(args(1, "killed")));
    for (int i = 0; i < 200 && WorkFolders().isEmpty(); ++i) {
        QThread::msleep(20);
    }
    QThread::msleep(300);
    killed->kill();
    killed->waitForFinished();
    EXPECT_EQ(WorkFolders().size(), 1);
    ASSERT_EQ(Cli(args(2, "next")).exitCode, 0);
    EXPECT_EQ(WorkFolders(), QStringList());
}

TEST_F(WorkFiles, BorderColourShowsInFfmpegAsInOurViewer) {
    ASSERT_EQ(Cli({"demo", "-o", Path("demo")}).exitCode, 0);
    const QString project = Path("demo/quilm-demo.qlm");
    {
        // Every page gets a border colour of its own.
        MSongSettings song(project);
        song.ResetToNewProject();
        ASSERT_TRUE(song.LoadProject().IsOk());
        for (const int id :
             {IMAGE_STRUCT::kTitlePage, IMAGE_STRUCT::kLyricsPage, IMAGE_STRUCT::kCreditsPage}) {
            IMAGE_STRUCT* page = song.FindPage(id);
            page->picture.SetColour(page->borderColorIndex, CdgColour::Make(0xEE, 0x22, 0x88));
        }
        ASSERT_TRUE(song.SaveProject().IsOk());
    }
    const QString cdg = Path("song.cdg");
    ASSERT_EQ(Cli({"render", project, "-o", cdg}).exitCode, 0);
    ASSERT_EQ(Cli({"render", project, "-o", Path("again.cdg")}).exitCode, 0);
    const QByteArray bytes = AudioFixtures::ReadAll(cdg);
    EXPECT_TRUE(bytes == AudioFixtures::ReadAll(Path("again.cdg")));

    MSongSettings song(project);
    song.ResetToNewProject();
    ASSERT_TRUE(song.LoadProject().IsOk());
    const IMAGE_STRUCT* lyrics = song.FindPage(IMAGE_STRUCT::kLyricsPage);
    const MRgb border = lyrics->Colors()[lyrics->borderColorIndex];
    ASSERT_NE(border, lyrics->Colors()[lyrics->backgroundColorIndex]);
    const QRgb expected = qRgb(CdgColour::Red(border) / 17 * 17, CdgColour::Green(border) / 17 * 17,
                               CdgColour::Blue(border) / 17 * 17);

    const std::vector<uint8_t> stream(bytes.begin(), bytes.end());
    const double end = bytes.size() / 7200.0;
    for (int i = 1; i <= 10; ++i) {
        const double t = end * i / 11;
        QString error;
        const QByteArray theirs = FfmpegFrames::FrameAt(stream, t, Path("tmp"), &error);
        ASSERT_FALSE(theirs.isEmpty()) << error.toStdString();
        const QString png = Path("view.png");
        ASSERT_EQ(Cli({"cdg", "frame", cdg, "--at", QString::number(t), "-o", png}).exitCode, 0);
        const QImage ours(png);
        const QString raw = Path("raw.png");
        ASSERT_EQ(
            Cli({"cdg", "frame", cdg, "--at", QString::number(t), "--raw", "-o", raw}).exitCode, 0);
        EXPECT_EQ(FfmpegFrames::InnerDifferences(theirs, QImage(raw)), 0) << t;
        // Top left corner and the middle of the right strip.
        for (const auto& [x, y] : {std::pair{2, 2}, {297, 108}}) {
            const auto* p =
                reinterpret_cast<const uint8_t*>(theirs.constData()) + (y * 300 + x) * 3;
            EXPECT_EQ(qRgb(p[0], p[1], p[2]), expected) << "ffmpeg at " << t;
            EXPECT_EQ(ours.pixel(x, y), expected) << "ours at " << t;
        }
    }
}
