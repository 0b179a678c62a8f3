#include "export/MCompressedExport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>

#include "audio/CAudioPlay.h"
#include "audio/EncodeMp3.h"
#include "audio/EncodeWma.h"
#include "audio/WavInFile.h"
#include "base/MOutputPath.h"
#include "base/MProgress.h"
#include "base/MStagedFile.h"
#include "base/MWorkFolder.h"
#include "export/MExportSettings.h"
#include "export/MExportStream.h"
#include "export/MLrcExport.h"
#include "export/ZipExport.h"
#include "log/MEventLog.h"
#include "log/MLogEvents.h"
#include "log/MUserActionLog.h"
#include "song/MSongSettings.h"

namespace {

// Passes progress on and remembers whether the user cancelled.
class CancelWatch : public MProgress {
public:
    explicit CancelWatch(MProgress* inner) : inner_(inner) {}
    void SetPercent(int percent) override {
        if (inner_ != nullptr) {
            inner_->SetPercent(percent);
        }
    }
    bool IsCancelled() override {
        cancelled_ = cancelled_ || (inner_ != nullptr && inner_->IsCancelled());
        return cancelled_;
    }
    bool Cancelled() const { return cancelled_; }

private:
    MProgress* inner_;
    bool cancelled_ = false;
};

MStatus AsError(const MStatus& s) {
    return s.GetIcon() == MStatus::Icon::None
               ? MStatus::Failure(s.Text(), MStatus::Icon::Error, s.Title())
               : s;
}

}  // namespace

MCompressedExport::SaveDialog MCompressedExport::SaveDialogFor(int type, bool zip) {
    if (zip) {
        return {QStringLiteral("Export To Zipped File"),
                {{QStringLiteral("Zip Files (*.zip)"), QStringLiteral("*.zip")}},
                QStringLiteral("zip")};
    }
    if (type == MExportSettings::kMp3) {
        return {QStringLiteral("Export To MP3+G Files"),
                {{QStringLiteral("MP3 Files (*.mp3)"), QStringLiteral("*.mp3")},
                 {QStringLiteral("Windows Media Files (*.wma)"), QStringLiteral("*.wma")},
                 {QStringLiteral("Wave Files (*.wav)"), QStringLiteral("*.wav")}},
                QStringLiteral("mp3")};
    }
    return {QStringLiteral("Export To WMA+G Files"),
            {{QStringLiteral("WMA Files (*.wma)"), QStringLiteral("*.wma")}},
            QStringLiteral("wma")};
}

MCompressedExport::MCompressedExport(MSongSettings& song, MLameLibrary& lame, MProgress* progress,
                                     QString temporaryFolder)
    : song_(song), lame_(lame), progress_(progress), temporaryFolder_(std::move(temporaryFolder)) {}

QString MCompressedExport::ReplaceExtension(const QString& path, const QString& extension) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return (dot > slash ? path.left(dot) : path) + extension;
}

QString MCompressedExport::AudioTargetPath(const QString& chosenPath, int type, bool zip,
                                           const QString& temporaryFolder) {
    if (!zip) {
        return chosenPath;
    }
    const QString name = QFileInfo(chosenPath).fileName();
    return QDir(temporaryFolder)
        .filePath(ReplaceExtension(name, QLatin1Char('.') + MExportSettings::TypeExtension(type)));
}

int MCompressedExport::WmaProfileNumber(int ratioKbps) {
    switch (ratioKbps) {
        case 96:
            return 23;
        case 160:
            return 25;
        case 192:
            return 26;
        default:
            return 24;
    }
}

uint32_t MCompressedExport::AudioDurationMs(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("bin")) {
        return static_cast<uint32_t>(QFileInfo(path).size() * 1000 / 2448 / 75);
    }
    if (suffix == QLatin1String("wav")) {
        WavInFile wav(path);
        if (wav.HeadersOk()) {
            return wav.LengthMs();
        }
    }
    return MediaDurationMs(path);
}

uint32_t MCompressedExport::CdgLengthBytes(uint32_t durationMs, uint32_t rwBufferSize) {
    if (durationMs == 0) {
        return rwBufferSize;
    }
    const uint64_t packets = (uint64_t{durationMs} * 300 + 500) / 1000;
    return static_cast<uint32_t>(std::min<uint64_t>(packets * 24, rwBufferSize / 24 * 24));
}

MStatus MCompressedExport::Encode(const QString& workWav, const QString& audioPath, int type,
                                  int ratioKbps, uint32_t leadInFrames, uint32_t trailingFrames,
                                  bool* cancelled) {
    CancelWatch watch(progress_);
    MStatus s;
    if (type == MExportSettings::kMp3) {
        Mp3EncodeOptions options;
        options.bitRateKbps = ratioKbps;
        options.title = song_.title;
        options.artist = song_.artist;
        options.leadingFrames = leadInFrames;
        options.trailingFrames = trailingFrames;
        s = EncodeMp3(lame_, workWav, audioPath, options, &watch);
    } else {
        const std::vector<MediaAttribute> attributes = {
            {QStringLiteral("Title"), MediaAttribute::kText, song_.title.toUtf8()},
            {QStringLiteral("Author"), MediaAttribute::kText, song_.artist.toUtf8()}};
        s = EncodeWma(audioPath, workWav, WmaProfileNumber(ratioKbps), &watch, leadInFrames,
                      trailingFrames, attributes);
    }
    *cancelled = !s && watch.Cancelled();
    return s;
}

MStatus MCompressedExport::WriteCdg(uint32_t durationMs, const QString& cdgPath) {
    const uint32_t length = CdgLengthBytes(durationMs, song_.rwBuffer.size());
    QSaveFile out(cdgPath);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(reinterpret_cast<const char*>(song_.rwBuffer.data()), length) != length ||
        !out.commit()) {
        return MStatus::Failure(QStringLiteral("Unable to write the CDG file.\n\n%1: %2")
                                    .arg(cdgPath, out.errorString()));
    }
    return MStatus::Ok();
}

MExportResult MCompressedExport::Run(const QString& chosenPath, int type, bool zip, int ratioKbps) {
    if (type != MExportSettings::kWma && type != MExportSettings::kMp3) {
        return MExportResult::Failure(
            MStatus::Failure(QStringLiteral("Only MP3+G and WMA+G exports are compressed.")));
    }
    MEventLog& log = MEventLog::Global();
    if (log.IsActive()) {
        const QString extension =
            zip ? QStringLiteral("zip") : MExportSettings::TypeExtension(type);
        log.Queue(std::make_unique<MUserActionLog>(
            MLogEvents::kActionExportCompressed,
            QString::fromLatin1(MLogEvents::kExportPrefix) + extension));
    }
    const QString zipPath = ReplaceExtension(chosenPath, QStringLiteral(".zip"));
    // Nothing is rendered or encoded for a target that cannot be written.
    const QStringList inputs = MExportStream::InputFiles(song_);
    const bool lrc = lrcForm_ == MLrcExport::kSimple || lrcForm_ == MLrcExport::kEnhanced;
    QStringList targets{zipPath};
    if (!zip) {
        targets = QStringList{chosenPath, ReplaceExtension(chosenPath, QStringLiteral(".cdg"))};
        if (lrc) {
            targets << ReplaceExtension(chosenPath, QStringLiteral(".lrc"));
        }
    }
    for (const QString& target : targets) {
        if (const MOutputPath checked = MOutputPath::Check(target, inputs, replaceReadOnly_);
            !checked.IsOk()) {
            return MExportResult::Failure(AsError(checked.Status()));
        }
    }
    const MExportStream stream = MExportStream::Render(song_);
    if (!stream.status) {
        return MExportResult::Failure(stream.status);
    }
    // The parts of a zipped export are made in a folder of their own, removed when done.
    std::unique_ptr<QTemporaryDir> partsFolder;
    QString partsPath;
    if (zip) {
        const QString stem = QFileInfo(chosenPath).completeBaseName();
        if (temporaryFolder_.isEmpty()) {
            partsPath = MWorkFolder::Process().NewFolder(stem);
        } else {
            partsFolder = std::make_unique<QTemporaryDir>(
                QDir(temporaryFolder_).filePath(QStringLiteral("quilm-zip-XXXXXX")));
            partsPath = partsFolder->isValid() ? partsFolder->path() : QString();
        }
        if (partsPath.isEmpty()) {
            return MExportResult::Failure(MStatus::Failure(
                QStringLiteral("Cannot make the export's parts in the temporary folder."),
                MStatus::Icon::Error));
        }
    }
    struct RemoveParts {
        QString path;
        ~RemoveParts() {
            if (!path.isEmpty()) {
                QDir(path).removeRecursively();
            }
        }
    } removeParts{partsPath};
    const QString audioTarget = AudioTargetPath(chosenPath, type, zip, partsPath);
    const QString cdgTarget = ReplaceExtension(audioTarget, QStringLiteral(".cdg"));
    const QString lrcTarget =
        lrc ? ReplaceExtension(audioTarget, QStringLiteral(".lrc")) : QString();

    // Without zip, the files are made beside their targets and put in place together.
    MStagedFile audioStage(audioTarget);
    MStagedFile cdgStage(cdgTarget);
    MStagedFile lrcStage(lrcTarget);
    QString audioPath = audioTarget;
    QString cdgPath = cdgTarget;
    QString lrcPath = lrcTarget;
    if (!zip) {
        std::vector<MStagedFile*> stages{&audioStage, &cdgStage};
        if (lrc) {
            stages.push_back(&lrcStage);
        }
        for (MStagedFile* stage : stages) {
            if (MStatus s = stage->Create(inputs, true); !s) {
                return MExportResult::Failure(AsError(s));
            }
        }
        audioPath = audioStage.TemporaryPath();
        cdgPath = cdgStage.TemporaryPath();
        lrcPath = lrcStage.TemporaryPath();
    }

    if (progress_ != nullptr) {
        progress_->Begin(QString::fromLatin1(kProgressTitle), false);
    }
    bool cancelled = false;
    MStatus encoded = Encode(stream.workWavPath, audioPath, type, ratioKbps,
                             static_cast<uint32_t>(std::max(0, stream.leadInFrames)),
                             static_cast<uint32_t>(std::max(0, stream.trailingFrames)), &cancelled);
    if (progress_ != nullptr) {
        progress_->End();
    }
    if (cancelled) {
        return MExportResult::Cancelled();
    }
    if (!encoded) {
        const QString kind =
            type == MExportSettings::kMp3 ? QStringLiteral("MP3") : QStringLiteral("WMA");
        return MExportResult::Failure(MStatus::Failure(
            QStringLiteral("Unable to create the %1 file.\n\n%2")
                .arg(kind, QString(encoded.Text()).replace(audioPath, audioTarget)),
            MStatus::Icon::Error));
    }
    const uint32_t durationMs = AudioDurationMs(audioPath);
    if (MStatus s = WriteCdg(durationMs, cdgPath); !s) {
        return MExportResult::Failure(
            AsError(MStatus::Failure(QString(s.Text()).replace(cdgPath, cdgTarget))));
    }
    // The lyrics are timed to the encoded audio, lead-in included.
    if (lrc) {
        const QByteArray text =
            MLrcExport::Text(song_, lrcForm_, std::max(0, stream.leadInFrames), durationMs)
                .toUtf8();
        QFile out(lrcPath);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(text) != text.size() || !out.flush()) {
            return MExportResult::Failure(
                MStatus::Failure(QStringLiteral("Unable to write the LRC file.\n\n%1: %2")
                                     .arg(lrcTarget, out.errorString()),
                                 MStatus::Icon::Error));
        }
    }

    MExportResult result;
    if (zip) {
        if (MStatus s = ZipExport::Run(zipPath, audioPath, cdgPath, lrc ? lrcPath : QString());
            !s) {
            return MExportResult::Failure(s);
        }
        result.files << zipPath;
        return result;
    }
    if (MStatus s = audioStage.Commit(); !s) {
        return MExportResult::Failure(AsError(s));
    }
    if (MStatus s = cdgStage.Commit(); !s) {
        QFile::remove(audioTarget);
        return MExportResult::Failure(AsError(s));
    }
    result.files << audioTarget << cdgTarget;
    if (lrc) {
        if (MStatus s = lrcStage.Commit(); !s) {
            QFile::remove(audioTarget);
            QFile::remove(cdgTarget);
            return MExportResult::Failure(AsError(s));
        }
        result.files << lrcTarget;
    }
    return result;
}
