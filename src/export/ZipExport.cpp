#include "export/ZipExport.h"

#include <QDateTime>
#include <QFileInfo>

#include "export/ZipArchiveWriter.h"

QString ZipExport::EntryBaseName(const QString& zipPath) {
    const QString name = QFileInfo(zipPath).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

QString ZipExport::ProcessErrorText(uint32_t code, const QString& zipPath) {
    return QStringLiteral(
               "An unexpected error occurred while processing the ZIP compressed file: "
               "0x%1\n\n%2")
        .arg(QStringLiteral("%1").arg(code, 8, 16, QLatin1Char('0')), zipPath);
}

MStatus ZipExport::Run(const QString& zipPath, const QString& audioPath, const QString& cdgPath,
                       const QString& lrcPath, uint32_t* code) {
    uint32_t result = ZipArchiveWriter::kCodeNoFile;
    auto report = [&](MStatus status) {
        if (code != nullptr) {
            *code = result;
        }
        return status;
    };

    ZipArchiveWriter zip(zipPath, {audioPath, cdgPath, lrcPath});
    if (!zip.Open()) {
        return report(
            MStatus::Failure(QString::fromLatin1(kCreateErrorText), MStatus::Icon::Error));
    }
    // Every entry carries the same fixed time (the first a ZIP entry can hold), so that an
    // export made twice gives the same archive.
    zip.SetEntryTime(QDateTime(QDate(1980, 1, 1), QTime(0, 0)));
    const QString base = EntryBaseName(zipPath);
    const QString audioExt = QLatin1Char('.') + QFileInfo(audioPath).suffix().toLower();
    if (audioExt == QLatin1String(".mp3") || audioExt == QLatin1String(".wma") ||
        audioExt == QLatin1String(".wav")) {
        result = zip.AddFile(base + audioExt, audioPath);
        if (result == ZipArchiveWriter::kCodeOk) {
            result = zip.AddFile(base + QStringLiteral(".cdg"), cdgPath);
        }
        if (result == ZipArchiveWriter::kCodeOk && !lrcPath.isEmpty()) {
            result = zip.AddFile(base + QStringLiteral(".lrc"), lrcPath);
        }
    }
    if (result == ZipArchiveWriter::kCodeOk) {
        result = zip.Finish();
    } else {
        zip.Abandon();
    }
    if (result == ZipArchiveWriter::kCodeOk) {
        return report(MStatus::Ok());
    }
    return report(MStatus::Failure(ProcessErrorText(result, zipPath), MStatus::Icon::Error));
}
