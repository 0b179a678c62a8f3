#include "dialogs/ExportRunner.h"

#include <QApplication>
#include <QMessageBox>

#include "dialogs/ExportProgress.h"
#include "dialogs/FileDialogs.h"
#include "dialogs/StatusMessage.h"
#include "export/MBinExport.h"
#include "export/MCompressedExport.h"
#include "export/MExportSettings.h"
#include "export/MVideoExport.h"

MExportResult ExportRunner::Run(QWidget* parent, MSongSettings& song, MLameLibrary& lame,
                                const MExportSettings& settings, QString& exportFolder) {
    QString path;
    if (settings.type == MExportSettings::kBin) {
        path = FileDialogs::SaveFile(
            parent, QApplication::translate("ExportRunner", MBinExport::kDialogTitle), exportFolder,
            {{QApplication::translate("ExportRunner", MBinExport::kDialogFilter),
              QStringLiteral("*.bin")}},
            QString::fromLatin1(MBinExport::kDefaultExtension));
    } else if (settings.type == MExportSettings::kMp4) {
        path = FileDialogs::SaveFile(
            parent, QApplication::translate("ExportRunner", MVideoExport::kDialogTitle),
            exportFolder,
            {{QApplication::translate("ExportRunner", MVideoExport::kDialogFilter),
              QStringLiteral("*.mp4")}},
            QString::fromLatin1(MVideoExport::kDefaultExtension));
    } else {
        const MCompressedExport::SaveDialog d =
            MCompressedExport::SaveDialogFor(settings.type, settings.zip);
        QList<FileDialogs::Filter> filters;
        for (const auto& f : d.filters) {
            filters.append(
                {QApplication::translate("ExportRunner", f.text.toUtf8().constData()), f.pattern});
        }
        path = FileDialogs::SaveFile(
            parent, QApplication::translate("ExportRunner", d.title.toUtf8().constData()),
            exportFolder, filters, d.defaultExtension);
    }
    if (path.isEmpty()) {
        MExportResult none;
        none.cancelled = true;
        return none;
    }
    exportFolder = FileDialogs::FolderOf(path);
    return RunTo(parent, song, lame, settings, path);
}

MExportResult ExportRunner::RunTo(QWidget* parent, MSongSettings& song, MLameLibrary& lame,
                                  const MExportSettings& settings, const QString& path) {
    ExportProgress progress(parent);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    MExportResult result;
    if (settings.type == MExportSettings::kBin) {
        result = MBinExport(song, &progress).Run(path);
    } else if (settings.type == MExportSettings::kMp4) {
        result = MVideoExport(song, &progress).Run(path, settings.videoHeight, settings.videoFps);
    } else {
        MCompressedExport exporter(song, lame, &progress);
        exporter.SetLyricFile(settings.lrc);
        result = exporter.Run(path, settings.type, settings.zip, settings.RatioKbps());
    }
    progress.End();
    QApplication::restoreOverrideCursor();
    if (!result.IsOk() && !result.cancelled) {
        StatusMessage::Show(parent, result.status);
    } else if (!result.notice.isEmpty()) {
        QMessageBox::information(parent, QApplication::applicationName(), result.notice);
    }
    return result;
}
