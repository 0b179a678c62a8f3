#pragma once

#include <QString>
#include <cstdint>

#include "export/MExportResult.h"

class MProgress;
class MPcm16StereoReader;
class MSongSettings;

// Exports the song as one BIN file of raw CD sectors: in every 2,448-byte sector, 2,352 bytes of
// 16-bit stereo audio (the lead-in silence, then the work WAV) and 96 bytes of the CD+G stream.
// When the stream outlasts the audio, silent sectors carry it to its end. No header, no trailer;
// the last sector is padded with zeros.
//
// The file is written under a temporary name and appears at the chosen path only when it is
// complete: a failed or cancelled export leaves whatever was there before.
class MBinExport {
public:
    static constexpr int kBlockSectors = 13;
    static constexpr int kCapacitySectors = 26;
    static constexpr int kBlockAudioBytes = kBlockSectors * 2352;  // 30,576
    static constexpr int kBlockSubcodeBytes = kBlockSectors * 96;  // 1,248

    static constexpr const char* kProgressTitle = "Exporting project to BIN file...";
    static constexpr const char* kCreateErrorText = "Unable to create BIN file.";
    static constexpr const char* kWriteErrorText = "Unable to write BIN file.";
    static constexpr const char* kErrorTitle = "Error";
    static constexpr const char* kRateTitle = "BIN not allowed";
    static constexpr const char* kRateText =
        "BIN is not allowed because the Audio Sample\nRate is not 44,100 samples per second.\n";

    // The save dialog: title, filter and default extension.
    static constexpr const char* kDialogTitle = "Export To BIN File";
    static constexpr const char* kDialogFilter = "BIN Files (*.bin)";
    static constexpr const char* kDefaultExtension = "bin";

    // progress may be null.
    MBinExport(MSongSettings& song, MProgress* progress) : song_(song), progress_(progress) {}

    // Whether a read-only file at the target is replaced (it is refused otherwise).
    void SetReplaceReadOnly(bool replace) { replaceReadOnly_ = replace; }

    // Renders the song and writes binPath.
    MExportResult Run(const QString& binPath);

    // Writes the sectors of audio (read to its end) and of the stream (rw, rwSize bytes of which
    // rwUsed are in use) to binPath.
    static MExportResult WriteSectors(MPcm16StereoReader& audio, const uint8_t* rw, uint32_t rwSize,
                                      uint32_t rwUsed, const QString& binPath, MProgress* progress);

private:
    MSongSettings& song_;
    MProgress* progress_;
    bool replaceReadOnly_ = false;
};
