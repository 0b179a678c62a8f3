#include "cli/ExportCommand.h"

#include <QFileInfo>
#include <QStringList>

#include "audio/CheckMp3Support.h"
#include "audio/MLameLibrary.h"
#include "base/MMemorySettings.h"
#include "cli/CliMessageReporter.h"
#include "cli/CliProgress.h"
#include "cli/CliProject.h"
#include "export/MBinExport.h"
#include "export/MCompressedExport.h"
#include "export/MExportSettings.h"
#include "song/MSongDocument.h"

namespace {

QString RatioList(int type) {
    QStringList texts;
    for (const int kbps : MExportSettings::RatiosKbps(type)) {
        texts << QString::number(kbps);
    }
    return texts.join(QStringLiteral(", "));
}

}  // namespace

int ExportCommand::Run(const QStringList& args) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("PROJECT.qlm"),
                                 QStringLiteral("The project file."));
    const QCommandLineOption type(
        QStringLiteral("type"),
        QStringLiteral("What to export: bin (audio and CD+G in one file), "
                       "wma or mp3 (audio and a .cdg file beside it)."),
        QStringLiteral("bin|wma|mp3"));
    const QCommandLineOption zip(QStringLiteral("zip"),
                                 QStringLiteral("Pack the audio and .cdg files into one ZIP file "
                                                "(wma and mp3 only)."));
    const QCommandLineOption ratio(
        QStringLiteral("ratio"),
        QStringLiteral("Bit rate in kbit/s; wma: %1; mp3: %2 (default 128).")
            .arg(RatioList(MExportSettings::kWma), RatioList(MExportSettings::kMp3)),
        QStringLiteral("KBPS"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The file to write (.bin, .mp3, .wma or .zip); "
                                                   "the .cdg file goes beside the audio."),
                                    QStringLiteral("PATH"));
    const QCommandLineOption force(
        QStringLiteral("force"),
        QStringLiteral("Replace files that exist at the target (read-only ones too)."));
    parser.addOptions({type, zip, ratio, output, force});
    if (const int rc =
            Parse(parser, args,
                  QStringLiteral(
                      "PROJECT.qlm --type bin|wma|mp3 [--zip] [--ratio KBPS] [--force] -o PATH"));
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
    } else {
        return UsageError(parser.isSet(type)
                              ? QStringLiteral("unknown type '%1'").arg(parser.value(type))
                              : QStringLiteral("--type bin|wma|mp3 is required"));
    }
    settings.zip = parser.isSet(zip);
    if (!settings.IsCompressed() && (settings.zip || parser.isSet(ratio))) {
        return UsageError(QStringLiteral("--zip and --ratio are for wma and mp3 only"));
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
    }
    for (const QString& path : targets) {
        if (!parser.isSet(force) && QFileInfo::exists(path)) {
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
    CliProgress progress;
    MExportResult result;
    if (settings.type == MExportSettings::kBin) {
        MBinExport exporter(project.Song(), &progress);
        exporter.SetReplaceReadOnly(parser.isSet(force));
        result = exporter.Run(target);
    } else {
        MCompressedExport exporter(project.Song(), lame, &progress);
        exporter.SetReplaceReadOnly(parser.isSet(force));
        result = exporter.Run(target, settings.type, settings.zip, settings.RatioKbps());
    }
    progress.End();
    if (!result.IsOk()) {
        return Fail(result.cancelled ? QStringLiteral("cancelled; nothing was written")
                                     : result.status.Text().simplified());
    }
    for (const QString& file : result.files) {
        Out(file);
    }
    return kOk;
}
