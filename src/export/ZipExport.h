#pragma once

#include <QString>
#include <cstdint>

#include "base/MStatus.h"

// Packs an exported song into one ZIP archive so that it travels as a single file: the audio
// file, its CD+G file and, when one is given, a lyric file, all at the archive's root and all
// named after the archive (Hit.zip holds Hit.mp3, Hit.cdg and Hit.lrc). The source files stay
// where they are.
//
// Only ".mp3", ".wma" and ".wav" audio is packed; any other audio file makes the packaging fail
// with the code kCodeNoFile before anything is added. A failure leaves no archive at the zip
// path (a file that was there before stays as it was); the returned status then carries the
// message for the user, which the caller shows unless it runs quietly.
class ZipExport {
public:
    static constexpr const char* kCreateErrorText =
        "An unexpected error occurred while creating the ZIP compressed file.";

    static MStatus Run(const QString& zipPath, const QString& audioPath, const QString& cdgPath,
                       const QString& lrcPath = QString(), uint32_t* code = nullptr);

    // The name every entry shares: the zip path's file name without its last extension.
    static QString EntryBaseName(const QString& zipPath);
    // The message for a failure with the given code.
    static QString ProcessErrorText(uint32_t code, const QString& zipPath);
};
