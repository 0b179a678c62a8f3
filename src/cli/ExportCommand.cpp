#include "cli/ExportCommand.h"

#include <QFileInfo>
#include <QStringList>

#include "audio/CheckMp3Support.h"
#include "audio/MLameLibrary.h"
#include "base/MFileName.h"
#include "base/MMemorySettings.h"
#include "cli/CliMessageReporter.h"
#include "cli/CliProgress.h"
#include "cli/CliProject.h"
#include "export/MBinExport.h"
#include "export/MCompressedExport.h"
#include "export/MExportSettings.h"
#include "export/MLrcExport.h"
#include "export/MVideoExport.h"
#include "song/MSongDocument.h"

namespace {

QString RatioList(int type) {
    QStringList texts;
    for (const int kbps : MExportSettings::RatiosKbps(type)) {
        texts << QString::number(kbps);
    }
    return texts.join(QStringLiteral(", "));
}

QString NumberList(const std::vector<int>& numbers) {
    QStringList texts;
    for (const int n : numbers) {
        texts << QString::number(n);
    }
    return texts.join(QLatin1Char('|'));
}

// The number of an option when it is one of those offered; 0 otherwise.
int OfferedNumber(const QString& text, const std::vector<int>& offered) {
    bool number = false;
    const int n = text.toInt(&number);
    return number && std::find(offered.begin(), offered.end(), n) != offered.end() ? n : 0;
}

}  // namespace

int ExportCommand::Run(const QStringList& args) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("PROJECT.qlm"),
                                 QStringLiteral("The project file."));
    const QCommandLineOption type(
        QStringLiteral("type"),
        QStringLiteral("What to export: bin (audio and CD+G in one file), "
                       "wma or mp3 (audio and a .cdg file beside it), mp4 (a video)."),
        QStringLiteral("bin|wma|mp3|mp4"));
    const QCommandLineOption zip(QStringLiteral("zip"),
                                 QStringLiteral("Pack the audio and .cdg files into one ZIP file "
                                                "(wma and mp3 only)."));
    const QCommandLineOption ratio(
        QStringLiteral("ratio"),
        QStringLiteral("Bit rate in kbit/s; wma: %1; mp3: %2 (default 128).")
            .arg(RatioList(MExportSettings::kWma), RatioList(MExportSettings::kMp3)),
        QStringLiteral("KBPS"));
    const QCommandLineOption lrc(
        QStringLiteral("lrc"),
        QStringLiteral("Write an LRC lyric file with the audio (wma and mp3): simple (a time "
                       "per line) or enhanced (a time per word)."),
        QStringLiteral("simple|enhanced"));
    const QCommandLineOption size(
        QStringLiteral("size"),
        QStringLiteral("The video's picture height (mp4): %1 (default 720).")
            .arg(NumberList(MExportSettings::VideoHeights())),
        QStringLiteral("LINES"));
    const QCommandLineOption fps(QStringLiteral("fps"),
                                 QStringLiteral("Video frames per second (mp4): %1 (default 30).")
                                     .arg(NumberList(MExportSettings::VideoFrameRates())),
                                 QStringLiteral("N"));
    const QCommandLineOption encoder(
        QStringLiteral("encoder"),
        QStringLiteral("The video encoder by FFmpeg's name (mp4; default libx264, or mpeg4 "
                       "where it is missing)."),
        QStringLiteral("NAME"));
    const QCommandLineOption lossless(
        QStringLiteral("lossless"),
        QStringLiteral("Encode the video without loss (mp4; large files, for checking)."));
    const QCommandLineOption output(
        QStringList{QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("The file to write (.bin, .mp3, .wma, .zip or .mp4); the .cdg and .lrc "
                       "files go beside the audio."),
        QStringLiteral("PATH"));
    const QCommandLineOption force(
        QStringLiteral("force"),
        QStringLiteral("Replace files that exist at the target (read-only ones too)."));
    const QCommandLineOption progressLines(
        QStringLiteral("progress"),
        QStringLiteral("Print progress on stderr also when it is not a terminal (a line at every "
                       "tenth); on a terminal a bar is always drawn."));
    parser.addOptions(
        {type, zip, ratio, lrc, size, fps, encoder, lossless, output, force, progressLines});
    if (const int rc = Parse(parser, args,
                             QStringLiteral("PROJECT.qlm --type bin|wma|mp3|mp4 [--zip] [--ratio "
                                            "KBPS] [--lrc simple|enhanced] [--size 720|1080] "
                                            "[--fps N] [--force] [--progress] -o PATH"));
        rc != kOk) {
        return rc < 0 ? kOk : rc;
    }
    const QStringList files = parser.positionalArguments();
    if (const int rc = ExactlyOne(files, QStringLiteral("project file")); rc != kOk) {
        return rc;
    }
    const QString target = parser.value(output);
    if (target.isEmpty()) {
        return UsageError(QStringLiteral("-o PATH is required"));
    }

    MMemorySettings store;
    MExportSettings settings = MExportSettings::Load(store, true);
    const QString typeName = parser.value(type).toLower();
    if (typeName == QLatin1String("bin")) {
        settings.type = MExportSettings::kBin;
    } else if (typeName == QLatin1String("wma")) {
        settings.type = MExportSettings::kWma;
    } else if (typeName == QLatin1String("mp3")) {
        settings.type = MExportSettings::kMp3;
    } else if (typeName == QLatin1String("mp4")) {
        settings.type = MExportSettings::kMp4;
    } else {
        return UsageError(parser.isSet(type)
                              ? QStringLiteral("unknown type '%1'").arg(parser.value(type))
                              : QStringLiteral("--type bin|wma|mp3|mp4 is required"));
    }
    const bool video = settings.type == MExportSettings::kMp4;
    if (!video && (parser.isSet(size) || parser.isSet(fps) || parser.isSet(encoder) ||
                   parser.isSet(lossless))) {
        return UsageError(
            QStringLiteral("--size, --fps, --encoder and --lossless are for mp4 only"));
    }
    if (parser.isSet(size)) {
        settings.videoHeight = OfferedNumber(parser.value(size), MExportSettings::VideoHeights());
        if (settings.videoHeight == 0) {
            return UsageError(QStringLiteral("--size must be one of %1")
                                  .arg(NumberList(MExportSettings::VideoHeights())));
        }
    }
    if (parser.isSet(fps)) {
        settings.videoFps = OfferedNumber(parser.value(fps), MExportSettings::VideoFrameRates());
        if (settings.videoFps == 0) {
            return UsageError(QStringLiteral("--fps must be one of %1")
                                  .arg(NumberList(MExportSettings::VideoFrameRates())));
        }
    }
    settings.lrc = MLrcExport::kNone;
    if (parser.isSet(lrc)) {
        const QString form = parser.value(lrc).toLower();
        settings.lrc = form == MLrcExport::FormName(MLrcExport::kSimple)     ? MLrcExport::kSimple
                       : form == MLrcExport::FormName(MLrcExport::kEnhanced) ? MLrcExport::kEnhanced
                                                                             : -1;
        if (settings.lrc < 0) {
            return UsageError(QStringLiteral("--lrc must be simple or enhanced"));
        }
    }
    settings.zip = parser.isSet(zip);
    if (!settings.IsCompressed() && (settings.zip || parser.isSet(ratio) || parser.isSet(lrc))) {
        return UsageError(QStringLiteral("--zip, --ratio and --lrc are for wma and mp3 only"));
    }
    if (parser.isSet(ratio)) {
        bool number = false;
        const int kbps = parser.value(ratio).toInt(&number);
        const std::vector<int> offered = MExportSettings::RatiosKbps(settings.type);
        if (!number || std::find(offered.begin(), offered.end(), kbps) == offered.end()) {
            return UsageError(QStringLiteral("the %1 bit rate must be one of %2")
                                  .arg(typeName, RatioList(settings.type)));
        }
        settings.SetRatioKbps(kbps);
    } else {
        settings.SetRatioKbps(MExportSettings::OfferedRatio(settings.type, settings.RatioKbps()));
    }
    // The name says what the file is: a name that says otherwise is a mistake.
    const QString wanted =
        settings.zip ? QStringLiteral("zip") : MExportSettings::TypeExtension(settings.type);
    if (QFileInfo(target).suffix().toLower() != wanted) {
        return UsageError(
            QStringLiteral("%1 writes a .%2 file: give -o NAME.%2")
                .arg(settings.zip ? QStringLiteral("--zip") : QStringLiteral("--type ") + typeName,
                     wanted));
    }
    QStringList targets{target};
    if (settings.IsCompressed() && !settings.zip) {
        targets << MCompressedExport::ReplaceExtension(target, QStringLiteral(".cdg"));
        if (settings.lrc != MLrcExport::kNone) {
            targets << MCompressedExport::ReplaceExtension(target, QStringLiteral(".lrc"));
        }
    }
    for (const QString& path : targets) {
        if (!parser.isSet(force) && QFileInfo::exists(MFileName::Openable(path))) {
            return Fail(QStringLiteral("%1 exists; give --force to replace it").arg(path));
        }
    }
    MLameLibrary& lame = MLameLibrary::Shared();
    if (settings.type == MExportSettings::kMp3 && !CheckMp3Support(lame, nullptr, &store, false)) {
        const MStatus loaded = lame.Load();
        return Fail(
            QStringLiteral("MP3 encoding is not available: %1")
                .arg(loaded ? lame.FileName() + QStringLiteral(" lacks functions the encoder needs")
                            : loaded.Text()));
    }

    CliMessageReporter reporter;
    MSongDocument project(&reporter);
    if (const MStatus s = OpenCliProject(project, files[0]); !s) {
        return Fail(s.Text());
    }
    project.Song().GenerateKaraokeLineList(true, true);
    if (const QString why = CliUnfinishedReason(project.Song()); !why.isEmpty()) {
        return Fail(why);
    }
    settings.Save(store);
    CliProgress progress(parser.isSet(progressLines));
    MExportResult result;
    if (settings.type == MExportSettings::kBin) {
        MBinExport exporter(project.Song(), &progress);
        exporter.SetReplaceReadOnly(parser.isSet(force));
        result = exporter.Run(target);
    } else if (video) {
        MVideoExport exporter(project.Song(), &progress);
        exporter.SetReplaceReadOnly(parser.isSet(force));
        exporter.SetLossless(parser.isSet(lossless));
        exporter.SetEncoder(parser.value(encoder));
        result = exporter.Run(target, settings.videoHeight, settings.videoFps);
    } else {
        MCompressedExport exporter(project.Song(), lame, &progress);
        exporter.SetReplaceReadOnly(parser.isSet(force));
        exporter.SetLyricFile(settings.lrc);
        result = exporter.Run(target, settings.type, settings.zip, settings.RatioKbps());
    }
    progress.End();
    if (!result.IsOk()) {
        return Fail(result.cancelled ? QStringLiteral("cancelled; nothing was written")
                                     : result.status.Text().simplified());
    }
    if (!result.notice.isEmpty()) {
        Err(result.notice);
    }
    for (const QString& file : result.files) {
        Out(file);
    }
    return kOk;
}
