#include "cli/PlayCommand.h"

#include <QFileInfo>
#include <QRect>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

#include "audio/MCdgPlayer.h"
#include "audio/WavInFile.h"
#include "base/MEvent.h"
#include "base/MFileName.h"
#include "base/MInterrupt.h"
#include "base/MOutputPath.h"
#include "cdg/CdgTimeBase.h"
#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"
#include "cli/CliMessageReporter.h"
#include "cli/CliProject.h"
#include "cli/PngWriter.h"
#include "platform/MQtAudioOutputFactory.h"
#include "song/MProjectSanity.h"
#include "song/MSongDocument.h"

namespace {

// Seconds (or mm:ss.xx) from an option, or -1 when it is not a time of 0 or more.
double Seconds(const QString& text) {
    const double value = CliCommand::ParseSeconds(text);
    return value < 86400 ? value : -1;
}

uint32_t Frames(double seconds) {
    return static_cast<uint32_t>(CdgTimeBase::FramesFromSeconds(seconds));
}

QString SecondsText(uint32_t frames) {
    return QString::number(CdgTimeBase::SecondsFromFrames(frames), 'f', 2);
}

}  // namespace

int PlayCommand::Run(const QStringList& args) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A WAV file (44,100 Hz, 8 or 16 bits, mono or "
                                                "stereo) or a project file (.qlm)."));
    const QCommandLineOption from(QStringLiteral("from"),
                                  QStringLiteral("Start at this moment of the song."),
                                  QStringLiteral("SECONDS"), QStringLiteral("0"));
    const QCommandLineOption to(QStringLiteral("to"),
                                QStringLiteral("Stop at this moment (default: the end)."),
                                QStringLiteral("SECONDS"));
    const QCommandLineOption tempo(
        QStringLiteral("tempo"),
        QStringLiteral("Tempo change in percent, -95 to 500 (-20 plays 20 % slower)."),
        QStringLiteral("PERCENT"), QStringLiteral("0"));
    const QCommandLineOption frameAt(
        QStringLiteral("frame-at"),
        QStringLiteral("Save the screen the player shows at this moment (projects only)."),
        QStringLiteral("SECONDS"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The PNG file for --frame-at."),
                                    QStringLiteral("OUT.png"));
    parser.addOptions({from, to, tempo, frameAt, output});
    if (const int rc = Parse(parser, args,
                             QStringLiteral("FILE.wav|PROJECT.qlm [--from SECONDS] [--to SECONDS] "
                                            "[--tempo PERCENT] [--frame-at SECONDS -o OUT.png]"));
        rc != kOk) {
        return rc < 0 ? kOk : rc;
    }
    const QStringList files = parser.positionalArguments();
    if (const int rc = ExactlyOne(files, QStringLiteral("file")); rc != kOk) {
        return rc;
    }
    const QString file = files[0];
    const bool isProject = file.endsWith(QStringLiteral(".qlm"), Qt::CaseInsensitive);
    const double fromSeconds = Seconds(parser.value(from));
    if (fromSeconds < 0) {
        return UsageError(QStringLiteral("--from needs a time in seconds of 0 or more, not '%1'")
                              .arg(parser.value(from)));
    }
    double toSeconds = -1;
    if (parser.isSet(to)) {
        toSeconds = Seconds(parser.value(to));
        if (toSeconds <= fromSeconds) {
            return UsageError(QStringLiteral("--to needs a time in seconds after --from, not '%1'")
                                  .arg(parser.value(to)));
        }
    }
    bool ok = false;
    const int tempoChange = parser.value(tempo).toInt(&ok);
    if (!ok || tempoChange < -95 || tempoChange > 500) {
        return UsageError(QStringLiteral("--tempo needs a whole number from -95 to 500, not '%1'")
                              .arg(parser.value(tempo)));
    }
    double frameSeconds = -1;
    if (parser.isSet(frameAt) || parser.isSet(output)) {
        if (!isProject) {
            return UsageError(QStringLiteral("--frame-at needs a project: a WAV has no graphics"));
        }
        frameSeconds = Seconds(parser.value(frameAt));
        if (!parser.isSet(frameAt) || frameSeconds < 0) {
            return UsageError(QStringLiteral("--frame-at needs a time in seconds of 0 or more"));
        }
        if (frameSeconds < fromSeconds) {
            return UsageError(QStringLiteral("--frame-at needs a time at or after --from"));
        }
        if (parser.value(output).isEmpty()) {
            return UsageError(QStringLiteral("--frame-at needs -o OUT.png"));
        }
    }
    if (!QFileInfo(MFileName::Openable(file)).isFile()) {
        return Fail(QStringLiteral("%1: no such file").arg(file));
    }

    // The audio, and for a project the stream the way Play Final renders it.
    CliMessageReporter reporter;
    MSongDocument project(&reporter);
    QString wav = file;
    const uint8_t* stream = nullptr;
    uint32_t streamBytes = 0;
    int32_t leadIn = 0;
    uint32_t endFrame = MCdgPlayer::kToTheEnd;
    if (isProject) {
        if (const MStatus s = OpenCliProject(project, file); !s) {
            return Fail(s.Text());
        }
        if (!project.HasMusic()) {
            return Fail(QStringLiteral("%1: the project has no music to play").arg(file));
        }
        if (const MStatus s = MProjectSanity::Check(project.Song()); !s) {
            return Fail(s.Text());
        }
        const MSongStream rendered = project.RenderWholeStream();
        if (!rendered.status) {
            reporter.Report(rendered.status, QString());
        }
        const MSongSettings& song = project.Song();
        leadIn = rendered.leadInFrames;
        wav = project.WorkWavPath();
        stream = rendered.bytes;
        streamBytes = rendered.lengthBytes;
        endFrame = static_cast<uint32_t>(leadIn) + song.audioBytes / song.workWavBlockAlign;
    } else {
        WavInFile probe(file);
        if (!probe.HeadersOk() || probe.SampleRate() != 44100 ||
            (probe.BitsPerSample() != 8 && probe.BitsPerSample() != 16) || probe.Channels() < 1 ||
            probe.Channels() > 2) {
            return Fail(QStringLiteral("%1: not a WAV file the player can play (44,100 Hz, 8 or "
                                       "16 bits, mono or stereo)")
                            .arg(file));
        }
    }
    const QStringList inputs{file, isProject ? project.Song().musicFile : QString()};
    if (frameSeconds >= 0) {
        if (const MOutputPath target = MOutputPath::Check(parser.value(output), inputs, true);
            !target.IsOk()) {
            return Fail(target.Status().Text());
        }
    }
    if (toSeconds >= 0) {
        endFrame = std::min(endFrame, Frames(toSeconds));
    }

    MQtAudioOutputFactory outputs;
    MRwRenderer renderer;
    MCdgPlayer player(MPlayerContext{&outputs, nullptr, &reporter},
                      isProject ? &renderer : nullptr);
    MEvent stopped;
    player.SetStopEvent(&stopped);
    player.SetSource(wav, stream, streamBytes);
    player.SetLeadingSilenceFrames(leadIn);
    player.SetTempoChange(tempoChange);
    int flags = MCdgPlayer::kFlagAudio;
    const uint32_t startFrame = Frames(fromSeconds);
    if (isProject) {
        player.PrepareGraphics();
        flags |= MCdgPlayer::kFlagGraphics;
        // The screen at the start shows everything drawn before it: the packets up to there are
        // decoded at once, and the run goes on from the next one.
        if (MRwPlayer* graphics = player.GraphicsPlayer(); graphics != nullptr && startFrame > 0) {
            const auto packets = static_cast<uint32_t>(
                std::min<int64_t>(CdgTimeBase::PacketIndexFromFrames(startFrame),
                                  streamBytes / CdgTimeBase::kPacketBytes));
            graphics->DecodePackets(stream, 0, packets);
        }
    }
    if (!player.Play(flags, static_cast<int32_t>(startFrame), endFrame)) {
        return Fail(QStringLiteral("cannot play: no sound device"));
    }
    Out(QStringLiteral("playing %1 from %2 s to %3, tempo change %4 %, lead-in %5 frames")
            .arg(file, QString::number(fromSeconds, 'f', 2),
                 endFrame == MCdgPlayer::kToTheEnd ? QStringLiteral("the end")
                                                   : SecondsText(endFrame) + QStringLiteral(" s"))
            .arg(tempoChange)
            .arg(leadIn));
    std::fflush(stdout);

    const uint32_t frameAtFrames = frameSeconds >= 0 ? Frames(frameSeconds) : 0;
    bool frameSaved = false;
    int64_t reported = -1;
    auto progress = [&] {
        // With --to, what remains is counted to there, not to the end of the music.
        const uint32_t position = player.Position();
        const QString remaining =
            toSeconds >= 0
                ? MCdgPlayer::TimeText(position < endFrame ? endFrame - position : 0, 44100)
                : player.RemainingTimeText();
        Out(QStringLiteral("position %1 (%2 s)  remaining %3")
                .arg(position)
                .arg(SecondsText(position), remaining));
        std::fflush(stdout);
    };
    for (int ticks = 0; !stopped.Wait(10) && !MInterrupt::Requested(); ++ticks) {
        if (ticks / 100 != reported) {
            reported = ticks / 100;
            progress();
        }
        MRwPlayer* graphics = player.GraphicsPlayer();
        if (frameSeconds >= 0 && !frameSaved && graphics != nullptr &&
            graphics->LastDecodedPosition() >= frameAtFrames) {
            const int width = MRwRenderer::kWidth;
            const int height = MRwRenderer::kHeight;
            std::vector<uint8_t> indices(static_cast<size_t>(width) * height);
            std::array<MRgb, 16> colours{};
            uint32_t decodedTo = 0;
            graphics->WithSettledScreen([&](uint32_t position) {
                decodedTo = position;
                renderer.ViewIndices(indices.data(), width, width, height,
                                     QRect(0, 0, width, height), &colours);
            });
            if (const MStatus s = PngWriter::Write(parser.value(output), indices.data(), width,
                                                   height, colours, inputs);
                !s) {
                player.Stop();
                return Fail(QStringLiteral("cannot write the PNG file: %1").arg(s.Text()));
            }
            frameSaved = true;
            // The moment printed so that "cdg frame --at" decodes exactly the same packets.
            Out(QStringLiteral("frame %1 saved: the screen decoded to position %2 (--at %3)")
                    .arg(parser.value(output))
                    .arg(decodedTo)
                    .arg(QString::number((decodedTo + 0.5) / CdgTimeBase::kSampleRateHz, 'f', 6)));
            std::fflush(stdout);
        }
    }
    player.Stop();
    progress();
    if (MInterrupt::Requested()) {
        return MInterrupt::ExitCode();
    }
    if (frameSeconds >= 0 && !frameSaved) {
        return Fail(QStringLiteral("the run ended before %1 s: no frame saved")
                        .arg(QString::number(frameSeconds, 'f', 2)));
    }
    return kOk;
}
