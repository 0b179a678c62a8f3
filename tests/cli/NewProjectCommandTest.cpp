// quilm-cli new: projects made from real music (made by ffmpeg), LRC text and the MIDI karaoke
// files of the test data, read back from disk; bad files give one line and no project.

#include <gtest/gtest.h>

#include "audio/AudioFixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "song/MSongSettings.h"
#include "support/CliRunner.h"

namespace {

CliRun Cli(const QStringList& args) {
    return CliRunner::Run(QStringLiteral(QUILM_CLI_PATH), args);
}

QString TestData(const QString& name) {
    return qEnvironmentVariable("QUILM_TESTDATA") + u'/' + name;
}

class NewProjectCli : public ::testing::Test {
protected:
    void SetUp() override {
        // The private work WAV goes into the temporary folder: this test's own.
        oldTmp_ = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(dir_.path()));
    }
    void TearDown() override {
        if (oldTmp_.isNull()) {
            qunsetenv("TMPDIR");
        } else {
            qputenv("TMPDIR", oldTmp_);
        }
    }

    QString Path(const QString& name) const { return dir_.filePath(name); }

    QString Write(const QString& name, const QByteArray& bytes) {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    // A sine tone made by ffmpeg.
    QString Music(const QString& name, int rate, double seconds) {
        const CliRun run =
            CliRunner::Run(QStringLiteral("ffmpeg"),
                           {"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                            QStringLiteral("sine=frequency=440:duration=%1").arg(seconds), "-ac",
                            "2", "-ar", QString::number(rate), Path(name)});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return Path(name);
    }

    std::unique_ptr<MSongSettings> Load(const QString& path) {
        auto song = std::make_unique<MSongSettings>(path);
        song->ResetToNewProject();
        EXPECT_TRUE(song->LoadProject().IsOk());
        return song;
    }

    QTemporaryDir dir_;
    QByteArray oldTmp_;
};

}  // namespace

TEST_F(NewProjectCli, WavAndEnhancedLrcGiveATimedProject) {
    const QString wav = Music("song.wav", 44100, 3);
    const QString lrc = Write("song.lrc",
                              "[ti:Ignored]\r\n"
                              "[00:00.50]<00:00.50>Hel<00:00.80>lo <00:01.00>world<00:01.50>\r\n"
                              "[00:02.00]Once more\r\n");
    const QString project = Path("song.qlm");
    const CliRun run = Cli({"new", "-o", project, "--music", wav, "--lyrics", lrc, "--title",
                            "Hello", "--artist", "Someone"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();

    const auto song = Load(project);
    EXPECT_EQ(song->musicFile, wav);
    EXPECT_EQ(song->title, "Hello");
    EXPECT_EQ(song->artist, "Someone");
    EXPECT_EQ(song->PageCount(), 3);
    EXPECT_EQ(song->rawLyrics, "Hel*lo world\nOnce more\n");
    EXPECT_TRUE(song->GetLine(0)->placed);
    const int32_t times[][2] = {{50, 79}, {80, 99}, {100, 149}, {200, 200}, {200, 200}};
    ASSERT_EQ(song->WordCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(song->GetWord(i)->startTime, times[i][0] * 441) << i;
        EXPECT_EQ(song->GetWord(i)->endTime, times[i][1] * 441) << i;
    }
    EXPECT_EQ(song->GetWord(1)->firstChar, 4);

    // An existing project is not replaced unless asked.
    const CliRun again = Cli({"new", "-o", project});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(Load(project)->WordCount(), 5);
    ASSERT_EQ(Cli({"new", "-o", project, "--force"}).exitCode, 0);
    EXPECT_EQ(Load(project)->WordCount(), 0);
}

TEST_F(NewProjectCli, Mp3AndMidiKaraokeFiles) {
    const QString mp3 = Music("song.mp3", 44100, 2);
    const QString project = Path("kar.qlm");
    const CliRun run =
        Cli({"new", "-o", project, "--music", mp3, "--lyrics", TestData("twinkle.kar")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    // The decoded music went with the process that made it.
    EXPECT_EQ(QDir(Path("")).entryList({"quilm*"}, QDir::AllEntries), QStringList());

    const auto song = Load(project);
    EXPECT_EQ(song->musicFile, mp3);
    // The syllables keep their times; the song outlasts the two seconds of music.
    EXPECT_TRUE(song->rawLyrics.startsWith("Twin*kle, Twin*kle lit*tle star;\n"));
    EXPECT_EQ(song->GetLine(0)->text, "Twin*kle, Twin*kle lit*tle star;");
    EXPECT_EQ(song->GetWord(0)->startTime, 192 * 441);
    EXPECT_TRUE(song->HasPlacedWords());
    EXPECT_TRUE(
        run.out.contains(QStringLiteral(" words, %1 timed, encoding UTF-8").arg(song->WordCount())))
        << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("past the end of the music")) << run.err.toStdString();

    // ".MIDI" in capitals is a MIDI file too (a link to the test file, not a copy of it).
    ASSERT_TRUE(QFile::link(TestData("utf8-lyrics.kar"), Path("utf8.MIDI")));
    ASSERT_EQ(Cli({"new", "-o", Path("utf8.qlm"), "--lyrics", Path("utf8.MIDI")}).exitCode, 0);
    EXPECT_EQ(Load(Path("utf8.qlm"))->GetLine(2)->text,
              QString::fromUtf8("ó pé de la fuen*te ba*ja el sol,"));
}

TEST_F(NewProjectCli, EncodingsAndLinesTooWideForTheScreen) {
    const QString wide = QStringLiteral("one two three four five six seven eight nine ten eleven");
    QByteArray lrc = "[00:01.00]\xcf\xf0\xe8\xe2\xe5\xf2 \xec\xe8\xf0\n[00:03.00]";  // cp1251
    lrc += wide.toLatin1() + "\n[00:09.00]end\n";
    const QString file = Write("song.lrc", lrc);
    CliRun run =
        Cli({"new", "-o", Path("a.qlm"), "--lyrics", file, "--lyrics-encoding", "windows-1251"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(Load(Path("a.qlm"))->GetLine(0)->text, QString::fromUtf8("Привет мир"));
    EXPECT_TRUE(run.out.contains("encoding windows-1251"));
    EXPECT_TRUE(run.err.contains("line 2 is too wide for the screen: " + wide));
    EXPECT_EQ(Cli({"new", "-o", Path("b.qlm"), "--lyrics", file, "--lyrics-encoding", "nonsense"})
                  .exitCode,
              2);

    // Wrapped at spaces, every part fits and every word keeps its time.
    run = Cli({"new", "-o", Path("c.qlm"), "--lyrics", file, "--fit", "wrap"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("too wide"));
    const auto song = Load(Path("c.qlm"));
    EXPECT_GT(song->LineCount(), 3);
    EXPECT_EQ(song->GetLine(1)->text + " " + song->GetLine(2)->text,
              wide.left(song->GetLine(1)->text.size() + 1 + song->GetLine(2)->text.size()));
    EXPECT_EQ(song->GetWord(2)->startTime, 300 * 441);
    EXPECT_EQ(song->GetWord(13)->startTime, 900 * 441);
    for (int i = 0; i < song->LineCount(); ++i) {
        EXPECT_TRUE(song->GetLine(i)->placed || !song->GetLine(i)->HasWords());
    }
}

TEST_F(NewProjectCli, BadFilesGiveOneLineAndNoProject) {
    QFile kar(TestData("twinkle.kar"));
    ASSERT_TRUE(kar.open(QIODevice::ReadOnly));
    const QString wav = Music("ok.wav", 44100, 1);
    const QString noLyrics =
        "There was an error opening or reading the Lyrics file, or the Lyrics file contained no "
        "Lyrics. Please check the file and try again.";
    const struct {
        QStringList args;
        QString message;
    } cases[] = {
        {{"--music", Path("none.mp3")}, "File not found"},
        {{"--music", Write("junk.mp3", QByteArray(5000, 'x'))}, "Error opening Audio File"},
        {{"--music",
          Write("many.wav", WavImage().Fmt(1, 12, 44100, 16).Data(QByteArray(2400, 0)).Bytes())},
         "Music must be Stereo or Mono (the file has 12 channels)"},
        {{"--music", wav, "--lyrics", Write("empty.lrc", "")}, noLyrics},
        {{"--lyrics", Write("cut.mid", kar.read(30))}, noLyrics},
        {{"--lyrics", Path("none.txt")}, "Error: Unable to open lyric file."},
        {{"--lyrics", Write("song.doc", "words")},
         "not a lyric file (.txt, .lrc, .kar, .mid or .midi)"},
    };
    for (const auto& c : cases) {
        const CliRun run = Cli(QStringList{"new", "-o", Path("bad.qlm")} + c.args);
        const QString what = c.args.join(u' ');
        EXPECT_EQ(run.exitCode, 1) << what.toStdString();
        EXPECT_FALSE(run.crashed);
        EXPECT_TRUE(run.err.endsWith(": " + c.message + "\n")) << run.err.toStdString();
        EXPECT_EQ(run.err.count(u'\n'), 1) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(Path("bad.qlm"))) << what.toStdString();
    }
    EXPECT_EQ(Cli({"new", "--music", wav}).exitCode, 2);
}
