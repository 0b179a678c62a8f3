#pragma once

#include <QStringList>

#include "base/MStatus.h"

// The outcome of an export: success, a failure with the message for the user, or a cancel
// (whose status carries the text the progress display shows). Nothing is left at the chosen
// path unless the export succeeded.
struct MExportResult {
    // What the progress display shows once the user cancelled.
    static constexpr const char* kCancelledText = "Process canceled by user...";

    MStatus status;
    bool cancelled = false;
    // The files written where the user chose.
    QStringList files;
    // Something the user should know about a successful export (empty when nothing).
    QString notice;

    bool IsOk() const { return status.IsOk(); }
    static MExportResult Failure(MStatus status) {
        MExportResult r;
        r.status = std::move(status);
        return r;
    }
    static MExportResult Cancelled() {
        MExportResult r =
            Failure(MStatus::Failure(QString::fromLatin1(kCancelledText), MStatus::Icon::None));
        r.cancelled = true;
        return r;
    }
};
