#pragma once

#include <QString>
#include <cstdint>

#include "export/MExportResult.h"
#include "export/MVideoWriter.h"

class MProgress;
class MSongSettings;

// Exports the song as an MP4 video: the whole CD+G stream decoded packet by packet, frame n
// showing the screen as it stands at n / fps seconds (every packet due before that moment
// decoded), scaled by whole pixels into a 16:9 picture, with the song's audio as in MP3+G: the
// lead-in silence, the work WAV, the credits page's silence. The video lasts as long as that
// audio (or as the stream, when the stream is longer), rounded up to whole frames.
//
// The file is written under a temporary name beside the target and put in place when complete:
// a failed or cancelled export leaves whatever was at the chosen path before.
class MVideoExport {
public:
    static constexpr const char* kProgressTitle = "Exporting project to MP4 video file...";
    static constexpr const char* kDialogTitle = "Export To MP4 Video File";
    static constexpr const char* kDialogFilter = "MP4 Video Files (*.mp4)";
    static constexpr const char* kDefaultExtension = "mp4";
    static constexpr const char* kCreateErrorText = "Unable to create the MP4 file.";
    static constexpr const char* kWriteErrorText = "Unable to write the MP4 file.";

    // progress may be null.
    MVideoExport(MSongSettings& song, MProgress* progress) : song_(song), progress_(progress) {}

    // Whether a read-only file at the target is replaced (it is refused otherwise).
    void SetReplaceReadOnly(bool replace) { replaceReadOnly_ = replace; }
    // Without loss beyond the colour conversion (for checking pictures against the decoder).
    void SetLossless(bool lossless) { options_.lossless = lossless; }
    // The video encoder by FFmpeg's name (default: H.264, or MPEG-4 Part 2 without it).
    void SetEncoder(const QString& name) { options_.encoder = name; }

    // Renders the song and writes mp4Path with a picture height of 720 or 1080 lines.
    MExportResult Run(const QString& mp4Path, int height, int fps);

    // The width of a 16:9 picture of that height (even).
    static int WidthFor(int height) { return (height * 16 / 9 + 1) / 2 * 2; }
    // The stream packets shown by frame n: those due before n / fps seconds.
    static int64_t PacketsBeforeFrame(int64_t frame, int fps);

private:
    MSongSettings& song_;
    MProgress* progress_;
    bool replaceReadOnly_ = false;
    MVideoWriter::Options options_;
};
