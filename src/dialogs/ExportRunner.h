#pragma once

#include <QString>

#include "export/MExportResult.h"

class MLameLibrary;
class MSongSettings;
class QWidget;
struct MExportSettings;

// Runs the export chosen in the export dialog: asks for the target file, shows the progress
// window while the files are written, and tells the user when it failed. A cancelled or failed
// export leaves nothing at the chosen path.
//
// The shell sets its "exporting" state around the call and keeps exportFolder (the last
// music/export folder, "MusicPath"): the save dialog starts there and it becomes the chosen
// file's folder.
class ExportRunner {
public:
    static MExportResult Run(QWidget* parent, MSongSettings& song, MLameLibrary& lame,
                             const MExportSettings& settings, QString& exportFolder);
    // The same without the save dialog, for a target already chosen.
    static MExportResult RunTo(QWidget* parent, MSongSettings& song, MLameLibrary& lame,
                               const MExportSettings& settings, const QString& path);
};
