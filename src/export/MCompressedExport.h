#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "export/MExportResult.h"

class MLameLibrary;
class MProgress;
class MSongSettings;

// Exports the song as MP3+G or WMA+G: the work WAV encoded with the lead-in silence before it and
// the credits page's length of silence after it, and a CDG file of the same name holding as much
// of the CD+G stream as the encoded audio lasts. Optionally both are packed into one ZIP file;
// its parts are then made in a folder of their own in the process's work folder, named after the
// archive, and removed once the archive is made (or the export failed).
//
// With a lyric file asked for, an LRC file of the same name goes beside them (or into the ZIP),
// timed to the encoded audio.
//
// Without zip the files are written under temporary names beside their targets and put in
// place together at the end, so that a failed or cancelled export leaves nothing at the chosen
// path (and whatever was there before stays).
class MCompressedExport {
public:
    static constexpr const char* kProgressTitle = "Compressing Audio...";

    struct FileFilter {
        QString text;
        QString pattern;
    };
    struct SaveDialog {
        QString title;
        std::vector<FileFilter> filters;
        QString defaultExtension;
    };
    // The save dialog for a type (MExportSettings::kWma or kMp3) with or without zip.
    static SaveDialog SaveDialogFor(int type, bool zip);

    // lame is used for MP3; temporaryFolder holds the folder of the parts of a zipped export
    // (the process's work folder when empty); progress may be null.
    MCompressedExport(MSongSettings& song, MLameLibrary& lame, MProgress* progress,
                      QString temporaryFolder = QString());

    // Whether a read-only file at the target is replaced (it is refused otherwise).
    void SetReplaceReadOnly(bool replace) { replaceReadOnly_ = replace; }
    // The lyric file to write with the audio (MLrcExport::Form; none by default).
    void SetLyricFile(int form) { lrcForm_ = form; }

    // type is MExportSettings::kWma or kMp3; ratioKbps the bit rate.
    MExportResult Run(const QString& chosenPath, int type, bool zip, int ratioKbps);

    // Where the audio goes: the chosen path, or for a zipped export the temporary folder with the
    // chosen name, its extension replaced by "mp3" or "wma".
    static QString AudioTargetPath(const QString& chosenPath, int type, bool zip,
                                   const QString& temporaryFolder);
    // The path with everything from its last "." replaced by the new extension (which includes
    // its dot); the extension is added when the name has no ".".
    static QString ReplaceExtension(const QString& path, const QString& extension);
    // The system profile of a WMA bit rate: 96 -> 23, 160 -> 25, 192 -> 26, others -> 24.
    static int WmaProfileNumber(int ratioKbps);
    // How long an audio file plays, in milliseconds (0 when unknown).
    static uint32_t AudioDurationMs(const QString& path);
    // The CDG file's length for audio of that duration: whole packets, nearest to the duration,
    // never more than the stream buffer; the whole buffer when the duration is unknown (0).
    static uint32_t CdgLengthBytes(uint32_t durationMs, uint32_t rwBufferSize);

private:
    // Encodes the work WAV into audioPath.
    MStatus Encode(const QString& workWav, const QString& audioPath, int type, int ratioKbps,
                   uint32_t leadInFrames, uint32_t trailingFrames, bool* cancelled);
    // Writes the part of the stream that audio of that duration plays to cdgPath.
    MStatus WriteCdg(uint32_t durationMs, const QString& cdgPath);

    MSongSettings& song_;
    MLameLibrary& lame_;
    MProgress* progress_;
    bool replaceReadOnly_ = false;
    int lrcForm_ = 0;
    QString temporaryFolder_;
};
