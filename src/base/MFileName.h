#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// File names as the system keeps them: bytes, nearly always UTF-8. A name that is not valid UTF-8
// (allowed on Linux, and common for files copied from older systems) keeps each byte that does
// not decode as a lone surrogate U+DC80 to U+DCFF, so that it goes back to the file system as the
// very same bytes. Qt's own file classes would write those as replacement characters and miss
// the file; Openable gives them a name of it that they can use.
class MFileName {
public:
    static QString Decode(QByteArrayView bytes);
    static QByteArray Encode(QStringView name);
    // The absolute, clean form of path, with its kept bytes (QFileInfo would lose them).
    static QString Absolute(const QString& path);
    // True when name holds bytes that are not UTF-8.
    static bool HasKeptBytes(QStringView name);
    // A path that Qt's file classes open as the file that name names: name itself when it is
    // UTF-8 or does not exist, otherwise a /proc/self/fd path of the file (or of its folder, for a
    // file still to be made whose folder name is not UTF-8), open for the rest of the run.
    static QString Openable(const QString& name);
};
