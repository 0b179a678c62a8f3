// quilm-cli says what it does and does what it says: no file replaced unasked, no file named for
// another type, pictures in the format their names say, clear refusals of unfinished songs.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "audio/AudioFixtures.h"
#include "song/MSongSettings.h"
#include "support/CliRunner.h"

namespace {

CliRun Cli(const QStringList& args) {
    return CliRunner::Run(QStringLiteral(QUILM_CLI_PATH), args);
}

}  // namespace

TEST(CliConsistency, ExportsRefuseWhatTheyWouldGetWrong) {
    QTemporaryDir dir;
    const QString project = dir.filePath("demo/quilm-demo.qlm");
    ASSERT_EQ(Cli({"demo", "-o", dir.filePath("demo")}).exitCode, 0);
    const QString bin = dir.filePath("demo/quilm-demo.bin");
    const QByteArray before = AudioFixtures::ReadAll(bin);

    CliRun r = Cli({"export", project, "--type", "bin", "-o", bin});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("exists; give --force")) << r.err.toStdString();
    EXPECT_EQ(AudioFixtures::ReadAll(bin), before);
    EXPECT_EQ(Cli({"export", project, "--type", "bin", "--force", "-o", bin}).exitCode, 0);

    const struct {
        QStringList args;
        const char* says;
    } wrongNames[] = {
        {{"--type", "mp3", "--zip", "-o", dir.filePath("x.mp3")}, "--zip writes a .zip file"},
        {{"--type", "mp3", "-o", dir.filePath("x.zip")}, "--type mp3 writes a .mp3 file"},
        {{"--type", "bin", "-o", dir.filePath("x.wav")}, "--type bin writes a .bin file"},
    };
    for (const auto& c : wrongNames) {
        r = Cli(QStringList{"export", project} + c.args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
    }

    // A project without lyrics, and one whose words have no times.
    const QString empty = dir.filePath("empty.qlm");
    ASSERT_EQ(Cli({"new", "-o", empty}).exitCode, 0);
    r = Cli({"render", empty, "-o", dir.filePath("empty.cdg")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("has no lyrics")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("empty.cdg")));
    const QString words = dir.filePath("words.txt");
    ASSERT_TRUE(AudioFixtures::WriteAll(words, "one two three\nfour five\n"));
    const QString untimed = dir.filePath("untimed.qlm");
    r = Cli({"new", "-o", untimed, "--music", dir.filePath("demo/quilm-demo-music.wav"), "--lyrics",
             words});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains(": 2 lines, 5 words, 0 timed")) << r.out.toStdString();
    r = Cli({"export", untimed, "--type", "bin", "-o", dir.filePath("untimed.bin")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("Place Lyrics") && r.err.contains("new --lyrics"))
        << r.err.toStdString();

    // A title typed for a new song shows on its title page.
    const QString titled = dir.filePath("titled.qlm");
    ASSERT_EQ(Cli({"new", "-o", titled, "--title", "Twinkle", "--artist", "Jane Taylor"}).exitCode,
              0);
    MSongSettings song(titled);
    song.ResetToNewProject();
    ASSERT_TRUE(song.LoadProject().IsOk());
    EXPECT_TRUE(song.FindPage(IMAGE_STRUCT::kTitlePage)->enabled);
    EXPECT_EQ(song.FindPage(IMAGE_STRUCT::kTitlePage)->text, "Twinkle\nJane Taylor");

    r = Cli({"info", bin});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("not a Quilm project file")) << r.err.toStdString();
}

TEST(CliConsistency, FramesTimesHelpAndVersion) {
    QTemporaryDir dir;
    ASSERT_EQ(Cli({"cdg", "demo", "-o", dir.path()}).exitCode, 0);
    const QString cdg = dir.filePath("quilm-demo.cdg");
    const struct {
        const char* name;
        QByteArray magic;
    } formats[] = {{"f.png", "\x89PNG"}, {"f.jpg", "\xff\xd8\xff"}, {"f.bmp", "BM"}};
    for (const auto& f : formats) {
        ASSERT_EQ(Cli({"cdg", "frame", cdg, "--at", "0:02.5", "-o", dir.filePath(f.name)}).exitCode,
                  0);
        EXPECT_TRUE(AudioFixtures::ReadAll(dir.filePath(f.name)).startsWith(f.magic)) << f.name;
    }
    ASSERT_EQ(Cli({"cdg", "frame", cdg, "--at", "2.5", "-o", dir.filePath("s.png")}).exitCode, 0);
    EXPECT_EQ(AudioFixtures::ReadAll(dir.filePath("s.png")),
              AudioFixtures::ReadAll(dir.filePath("f.png")));
    EXPECT_EQ(Cli({"cdg", "frame", cdg, "--at", "2", "-o", dir.filePath("f.gif")}).exitCode, 2);
    EXPECT_EQ(Cli({"cdg", "frame", cdg, "--at", "1:75", "-o", dir.filePath("g.png")}).exitCode, 2);

    CliRun r = Cli({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith("quilm-cli ")) << r.out.toStdString();
    r = Cli({"cdg", "--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains("cdg frame") && !r.out.contains("export")) << r.out.toStdString();
}
