#pragma once

#include <QString>

#include "base/MStatus.h"

// The check every file a command reads goes through before it is opened: it must be a regular
// file (also when reached through a link), so that a pipe, a terminal or a device such as
// /dev/zero never holds a reader up or feeds it without end, and no larger than the reader can
// use.
class MInputFile {
public:
    // Ok, or a failure naming path and what is wrong with it. what names the kind of file in the
    // message ("lyric file").
    static MStatus Check(const QString& path, qint64 maxBytes, const QString& what);
    // The same as the reason alone ("is a folder, ..."), empty when the file is fine.
    static QString Problem(const QString& path, qint64 maxBytes, const QString& what);
};
