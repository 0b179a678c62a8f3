// Playing with graphics: the player's decoded screen against "quilm-cli cdg frame" of the same
// stream, and quilm-cli play on WAVs and projects.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <array>
#include <cmath>
#include <thread>

#include "audio/MCdgPlayer.h"
#include "audio/WavOutFile.h"
#include "cdg/CdgTimeBase.h"
#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"
#include "platform/MQtAudioOutputFactory.h"
#include "song/MSongSettings.h"
#include "support/CliRunner.h"
#include "support/TestSongHost.h"

namespace {

CliRun Cli(const QStringList& args) {
    return CliRunner::Run(QStringLiteral(QUILM_CLI_PATH), args);
}

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A 44,100 Hz 16-bit stereo tone.
bool WriteWav(const QString& path, double seconds) {
    WavOutFile out(path, 44100, 16, 2);
    const int frames = static_cast<int>(seconds * 44100);
    std::vector<int16_t> samples(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        samples[2 * i] = samples[2 * i + 1] =
            static_cast<int16_t>(6000 * std::sin(2 * M_PI * 330.0 * i / 44100.0));
    }
    out.Write(samples.data(), static_cast<int>(samples.size()));
    return out.Close().IsOk();
}

// A song of four timed lines, a word every 0.3 s from 0.5 s, with a title page on request.
std::unique_ptr<MSongSettings> TimedSong(const QString& projectPath, const QString& wav,
                                         MSongHost* host, bool titlePage) {
    auto song = std::make_unique<MSongSettings>(projectPath, host);
    song->ResetToNewProject();
    song->rawLyrics = QStringLiteral(
        "Row, row, row your boat\nGently down the stream\nMerrily, merrily, merrily, merrily\n"
        "Life is but a dream");
    song->musicFile = wav;
    song->title = QStringLiteral("Row");
    song->GenerateKaraokeLineList(true, false);
    int32_t t = 22050;
    for (auto& line : song->lineList) {
        for (auto& w : line->words) {
            w->startTime = t;
            w->endTime = t + 10000;
            t += 13230;
        }
        line->placed = line->HasWords();
    }
    IMAGE_STRUCT* title = song->FindPage(IMAGE_STRUCT::kTitlePage);
    title->enabled = titlePage;
    title->text = QStringLiteral("Row Your Boat");
    title->displayTime = 100;
    return song;
}

// The screen a view of 300 x 216 shows, as colours.
QImage ViewImage(const std::vector<uint8_t>& indices, const std::array<MRgb, 16>& colours) {
    QImage image(MRwRenderer::kWidth, MRwRenderer::kHeight, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const MRgb c = colours[indices[static_cast<size_t>(y) * image.width() + x] & 15];
            image.setPixel(x, y, qRgb(CdgColour::Red(c), CdgColour::Green(c), CdgColour::Blue(c)));
        }
    }
    return image;
}

int Differences(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return -1;
    }
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            n += (a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF);
        }
    }
    return n;
}

}  // namespace

// While a rendered song plays, the decoded screen at ten moments equals what "quilm-cli cdg
// frame --at" decodes from the same stream at the position the player reported then.
TEST(PlayWithGraphics, DecodedScreenFollowsThePosition) {
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("music.wav"));
    ASSERT_TRUE(WriteWav(wav, 6.5));
    TestSongHost host;
    host.workWav = wav;
    auto song = TimedSong(dir.filePath(QStringLiteral("row.qlm")), wav, &host, false);
    song->AttachWorkWav(true);
    song->GenerateKaraokeLineList(true, true);
    uint32_t length = 0;
    const int32_t leadIn = song->WriteRwMemory(song->rwBuffer.data(), song->rwBuffer.size(),
                                               &length, MSongSettings::kFromTheStart);
    ASSERT_GT(leadIn, 0) << "the stream's page setup comes before the music";
    const QString cdg = dir.filePath(QStringLiteral("row.cdg"));
    {
        QFile f(cdg);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(song->rwBuffer.data()), length);
    }

    MQtAudioOutputFactory outputs;
    MRwRenderer renderer;
    MCdgPlayer player(MPlayerContext{&outputs, nullptr, nullptr}, &renderer);
    player.SetSource(host.workWav, song->rwBuffer.data(), length);
    player.SetLeadingSilenceFrames(leadIn);
    player.PrepareGraphics();
    const uint32_t end = static_cast<uint32_t>(leadIn) + song->audioBytes / song->workWavBlockAlign;
    ASSERT_TRUE(player.Play(MCdgPlayer::kFlagAudio | MCdgPlayer::kFlagGraphics, 0, end));

    struct Moment {
        uint32_t position = 0;
        std::vector<uint8_t> indices;
        std::array<MRgb, 16> colours{};
    };
    std::vector<Moment> moments;
    const uint32_t step = end / 11;
    for (uint32_t next = step; moments.size() < 10 && player.IsPlaying();) {
        if (player.Position() < next) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        // A moment when the decoder has caught up with the reported position exactly.
        Moment m;
        bool caught = false;
        player.GraphicsPlayer()->WithSettledScreen([&](uint32_t decodedTo) {
            m.position = player.Position();
            if (decodedTo != m.position) {
                return;
            }
            m.indices.resize(static_cast<size_t>(MRwRenderer::kWidth) * MRwRenderer::kHeight);
            renderer.ViewIndices(
                m.indices.data(), MRwRenderer::kWidth, MRwRenderer::kWidth, MRwRenderer::kHeight,
                QRect(0, 0, MRwRenderer::kWidth, MRwRenderer::kHeight), &m.colours);
            caught = true;
        });
        if (caught) {
            moments.push_back(std::move(m));
            next += step;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    player.Stop();
    ASSERT_EQ(moments.size(), 10u);

    int changes = 0;
    QImage previous;
    for (const Moment& m : moments) {
        SCOPED_TRACE(m.position);
        const QString png = dir.filePath(QStringLiteral("ref.png"));
        const QString at = QString::number((m.position + 0.5) / 44100.0, 'f', 6);
        const CliRun run = Cli({QStringLiteral("cdg"), QStringLiteral("frame"), cdg,
                                QStringLiteral("--at"), at, QStringLiteral("-o"), png});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QImage ours = ViewImage(m.indices, m.colours);
        EXPECT_EQ(Differences(ours, QImage(png)), 0);
        changes += previous.isNull() || Differences(ours, previous) != 0;
        previous = ours;
    }
    EXPECT_GE(changes, 6) << "the moments should show the song moving on";
}

TEST(PlayCli, PlaysAWavPrintingThePositionEverySecond) {
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    ASSERT_TRUE(WriteWav(wav, 2.2));
    const int64_t started = NowMs();
    const CliRun run =
        Cli({QStringLiteral("play"), wav, QStringLiteral("--tempo"), QStringLiteral("-20"),
             QStringLiteral("--from"), QStringLiteral("0.5")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_GE(NowMs() - started, 2000) << "1.7 s of the file at 80 % take over 2 s";
    const QStringList lines = run.out.trimmed().split(QLatin1Char('\n'));
    EXPECT_TRUE(lines.front().startsWith(QStringLiteral("playing ")));
    EXPECT_GE(lines.filter(QStringLiteral("position ")).size(), 3);
    EXPECT_EQ(lines.back(), QStringLiteral("position 97020 (2.20 s)  remaining 00:00"));

    // With --to (here as mm:ss), the time remaining counts to there.
    const CliRun to =
        Cli({QStringLiteral("play"), wav, QStringLiteral("--to"), QStringLiteral("0:01.2")});
    ASSERT_EQ(to.exitCode, 0) << to.err.toStdString();
    const QStringList positions =
        to.out.split(QLatin1Char('\n')).filter(QStringLiteral("position "));
    ASSERT_FALSE(positions.isEmpty());
    EXPECT_TRUE(positions.front().endsWith(QStringLiteral("remaining 00:01")))
        << positions.front().toStdString();
}

TEST(PlayCli, SavesTheFrameThePlayerShowed) {
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("music.wav"));
    ASSERT_TRUE(WriteWav(wav, 4));
    // The title page puts a lead-in of silence before the music.
    auto song = TimedSong(dir.filePath(QStringLiteral("row.qlm")), wav, nullptr, true);
    ASSERT_TRUE(song->SaveProject().IsOk());
    const QString cdg = dir.filePath(QStringLiteral("row.cdg"));
    ASSERT_EQ(
        Cli({QStringLiteral("render"), song->projectPath, QStringLiteral("-o"), cdg}).exitCode, 0);
    // From the start, and from a moment after the title page was drawn: the screen holds all
    // that came before either way.
    for (const QString& from : {QStringLiteral("0"), QStringLiteral("2.4")}) {
        SCOPED_TRACE(from.toStdString());
        const QString png = dir.filePath(QStringLiteral("at.png"));
        const CliRun play =
            Cli({QStringLiteral("play"), song->projectPath, QStringLiteral("--from"), from,
                 QStringLiteral("--to"), QStringLiteral("3"), QStringLiteral("--frame-at"),
                 QStringLiteral("2.5"), QStringLiteral("-o"), png});
        ASSERT_EQ(play.exitCode, 0) << play.err.toStdString();
        const QRegularExpressionMatch saved =
            QRegularExpression(QStringLiteral("decoded to position (\\d+) \\(--at ([0-9.]+)\\)"))
                .match(play.out);
        ASSERT_TRUE(saved.hasMatch()) << play.out.toStdString();
        EXPECT_GE(saved.captured(1).toInt(), CdgTimeBase::FramesFromSeconds(2.5));
        EXPECT_LT(saved.captured(1).toInt(), CdgTimeBase::FramesFromSeconds(2.6));

        // The same stream, rendered by "render", decoded by "cdg frame" at that position.
        const QString ref = dir.filePath(QStringLiteral("ref.png"));
        ASSERT_EQ(Cli({QStringLiteral("cdg"), QStringLiteral("frame"), cdg, QStringLiteral("--at"),
                       saved.captured(2), QStringLiteral("-o"), ref})
                      .exitCode,
                  0);
        EXPECT_EQ(Differences(QImage(png), QImage(ref)), 0);
    }
    // A frame before the start is never played.
    EXPECT_EQ(Cli({QStringLiteral("play"), song->projectPath, QStringLiteral("--from"),
                   QStringLiteral("2"), QStringLiteral("--frame-at"), QStringLiteral("1"),
                   QStringLiteral("-o"), dir.filePath(QStringLiteral("early.png"))})
                  .exitCode,
              2);
}

// Without a sound server there is no sound device: the user hears why, and nothing plays.
TEST(PlayCli, WithoutASoundDeviceItWarns) {
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    ASSERT_TRUE(WriteWav(wav, 0.5));
    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", QFile::encodeName(dir.filePath(QStringLiteral("no-such-socket"))));
    const CliRun run = Cli({QStringLiteral("play"), wav});
    if (server.isNull()) {
        qunsetenv("PULSE_SERVER");
    } else {
        qputenv("PULSE_SERVER", server);
    }
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(run.crashed);
    EXPECT_TRUE(run.err.contains(QStringLiteral(
        "warning: Sound Device Not Detected: An audio sound card is not installed in this "
        "computer. You will not be able to hear the audio when you play Karaoke CDG or Audio CD "
        "files.")))
        << run.err.toStdString();

    // A file that is not a WAV it can play is refused before a device is looked for.
    const CliRun notWav = Cli({QStringLiteral("play"), QStringLiteral(QUILM_CLI_PATH)});
    EXPECT_EQ(notWav.exitCode, 1);
    EXPECT_TRUE(notWav.err.contains(QStringLiteral("not a WAV file the player can play")));
}
