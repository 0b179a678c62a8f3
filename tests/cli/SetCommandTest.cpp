// quilm-cli set: every song setting written from the command line and read back by info --json,
// the dialog's ranges, refused values, and a song styled only from the command line.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "audio/AudioFixtures.h"
#include "support/CliRunner.h"

namespace {

CliRun Cli(const QStringList& args) {
    return CliRunner::Run(QStringLiteral(QUILM_CLI_PATH), args);
}

QJsonObject Settings(const QString& project) {
    const CliRun run = Cli({QStringLiteral("info"), project, QStringLiteral("--json")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return QJsonDocument::fromJson(run.out.toUtf8())
        .object()[QStringLiteral("settings")]
        .toObject();
}

class SetCli : public ::testing::Test {
protected:
    void SetUp() override {
        project_ = dir_.filePath(QStringLiteral("song.qlm"));
        ASSERT_EQ(Cli({QStringLiteral("new"), QStringLiteral("-o"), project_}).exitCode, 0);
    }
    QTemporaryDir dir_;
    QString project_;
};

}  // namespace

TEST_F(SetCli, EverySettingRoundTripsThroughInfo) {
    const QList<std::pair<QString, QString>> table = {
        {"performance", "Duet"},
        {"linesPerPage", "5"},
        {"sweepMode", "Background"},
        {"sweepColour", "#ff8800"},
        {"advance", "1.25"},
        {"title.enabled", "on"},
        {"title.text", "Line one\nLine two"},
        {"title.font", "DejaVu Serif"},
        {"title.size", "48"},
        {"title.style", "bold,italic"},
        {"title.align", "Right"},
        {"title.valign", "Bottom"},
        {"title.background", "#112233"},
        {"title.border", "#445566"},
        {"title.textColour", "#778899"},
        {"title.outline", "#aabbcc"},
        {"title.picture", "none"},
        {"title.placement", "Tiled"},
        {"title.draw", "Scroll Up"},
        {"title.erase", "Block Dissolve"},
        {"title.displayTime", "3.50"},
        {"lyrics.font", "DejaVu Sans"},
        {"lyrics.size", "20"},
        {"lyrics.style", "shadow"},
        {"lyrics.align", "Center"},
        {"lyrics.background", "#001100"},
        {"lyrics.border", "#002200"},
        {"lyrics.singer1", "#ffffff"},
        {"lyrics.singer2", "#ee0000"},
        {"lyrics.both", "#00ee00"},
        {"lyrics.outline", "#0000ee"},
        {"lyrics.picture", "none"},
        {"lyrics.placement", "Stretched"},
        {"lyrics.draw", "Fill Up"},
        {"credits.enabled", "on"},
        {"credits.text", "Thanks"},
        {"credits.font", "DejaVu Sans Mono"},
        {"credits.size", "14"},
        {"credits.style", "none"},
        {"credits.align", "Left"},
        {"credits.valign", "Top"},
        {"credits.background", "#330000"},
        {"credits.border", "#440000"},
        {"credits.textColour", "#550000"},
        {"credits.outline", "#660000"},
        {"credits.picture", "none"},
        {"credits.placement", "Bottom"},
        {"credits.draw", "Fill Left"},
        {"credits.displayTime", "0.50"},
    };
    QStringList args{QStringLiteral("set"), project_};
    for (const auto& [key, value] : table) {
        args << key + QLatin1Char('=') + value;
    }
    const CliRun set = Cli(args);
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    EXPECT_TRUE(set.err.isEmpty()) << set.err.toStdString();
    const QJsonObject settings = Settings(project_);
    EXPECT_EQ(settings.size(), table.size()) << "a key info prints is missing from the table";
    for (const auto& [key, value] : table) {
        EXPECT_EQ(settings[key].toString(), value) << key.toStdString();
    }
}

TEST_F(SetCli, ValuesAreClampedAndBadOnesWriteNothing) {
    const QString png = dir_.filePath(QStringLiteral("p.png"));
    QImage picture(64, 32, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(png));
    CliRun run = Cli({"set", project_, "linesPerPage=9", "advance=7", "title.background=#123456"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("linesPerPage set to 6"))) << run.err.toStdString();
    QJsonObject s = Settings(project_);
    EXPECT_EQ(s["linesPerPage"].toString(), "6");
    EXPECT_EQ(s["advance"].toString(), "5.00");
    EXPECT_EQ(s["title.background"].toString(), "#113355") << "four bits a primary";
    // A lyrics picture leaves room for three lines; Duet needs three at least.
    ASSERT_EQ(Cli({"set", project_, "lyrics.picture=" + png}).exitCode, 0);
    ASSERT_EQ(Cli({"set", project_, "performance=Duet", "linesPerPage=1"}).exitCode, 0);
    s = Settings(project_);
    EXPECT_EQ(s["lyrics.picture"].toString(), "64x32");
    EXPECT_EQ(s["linesPerPage"].toString(), "3");

    QFile file(project_);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    const QStringList bad = {"bogus=1",
                             "title.size=100",
                             "title.size=big",
                             "title.border=red",
                             "title.displayTime=1.234",
                             "lyrics.draw=Scroll Up",
                             "credits.enabled=maybe",
                             "title.text=1\n2\n3\n4\n5\n6\n7\n8\n9\n10",
                             "title.picture=" + dir_.filePath(QStringLiteral("none.png")),
                             "performance"};
    for (const QString& change : bad) {
        SCOPED_TRACE(change.toStdString());
        // A good change before the bad one is not written either.
        run = Cli({"set", project_, "title.size=40", change});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err.trimmed().count(QLatin1Char('\n')), 0) << run.err.toStdString();
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), before);
        file.close();
    }
}

// A song made only with new, set and render shows its title page in the chosen font and colours.
TEST_F(SetCli, StyledHeadlessSongShowsItsTitlePage) {
    AudioFixtures fixtures;
    const QString wav =
        fixtures.Make(QStringLiteral("tone.wav"), QStringLiteral("sine=frequency=440:duration=4"),
                      {QStringLiteral("-ar"), QStringLiteral("44100"), QStringLiteral("-ac"),
                       QStringLiteral("2")});
    const QString lrc = dir_.filePath(QStringLiteral("song.lrc"));
    ASSERT_TRUE(AudioFixtures::WriteAll(lrc, "[00:01.00]Hello world\n[00:02.00]Once more\n"));
    QImage frames[2];
    const QString fonts[2] = {QStringLiteral("DejaVu Serif"), QStringLiteral("DejaVu Sans Mono")};
    for (int i = 0; i < 2; ++i) {
        const QString project = dir_.filePath(QStringLiteral("styled%1.qlm").arg(i));
        ASSERT_EQ(Cli({"new", "-o", project, "--music", wav, "--lyrics", lrc, "--title", "Hello"})
                      .exitCode,
                  0);
        const CliRun set = Cli({"set", project, "title.font=" + fonts[i], "title.size=36",
                                "title.background=#003366", "title.textColour=#ffcc00",
                                "title.displayTime=5", "title.draw=Block Dissolve"});
        ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
        const QString cdg = dir_.filePath(QStringLiteral("styled%1.cdg").arg(i));
        const CliRun render = Cli({"render", project, "-o", cdg});
        ASSERT_EQ(render.exitCode, 0) << render.err.toStdString();
        const QString png = dir_.filePath(QStringLiteral("styled%1.png").arg(i));
        ASSERT_EQ(Cli({"cdg", "frame", cdg, "--at", "4", "-o", png}).exitCode, 0);
        frames[i] = QImage(png);
        ASSERT_FALSE(frames[i].isNull());
        int background = 0;
        int text = 0;
        for (int y = 0; y < frames[i].height(); ++y) {
            for (int x = 0; x < frames[i].width(); ++x) {
                const QRgb c = frames[i].pixel(x, y) & 0xFFFFFF;
                background += c == 0x003366;
                text += c == 0xFFCC00;
            }
        }
        EXPECT_GT(background, frames[i].width() * frames[i].height() / 2);
        EXPECT_GT(text, 200) << "the title in the chosen colour";
    }
    EXPECT_NE(frames[0], frames[1]) << "the fonts draw the title differently";
}
