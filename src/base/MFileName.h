#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include "base/MStatus.h"

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
    // The file that a name shown by Qt's file dialogs stands for. Those show (and return) every
    // byte of a name that is not UTF-8 as U+FFFD, a name no file has. Each part of shown that does
    // not exist and holds U+FFFD is looked up among the entries of its folder: the one entry
    // shown as that part is taken. With mustExist false (a file to be made) a last part that no
    // entry matches stays as it was typed. Fails, naming the path, when no entry (or several)
    // match; path is set only on success.
    static MStatus FromShown(const QString& shown, bool mustExist, QString& path);
};
