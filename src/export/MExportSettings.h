#pragma once

#include <QString>
#include <vector>

class MSettingsStore;

// What the user chose for the last export: the kind of files, whether to zip them, the bit
// rate of each compressed kind, the lyric file that goes with the audio, and the picture size
// and frame rate of a video. Kept by the application between the export dialog and the export
// run, and stored in the "Settings" section of the settings store.
struct MExportSettings {
    enum Type { kBin = 0, kWma = 1, kMp3 = 2, kMp4 = 3 };

    static constexpr const char* kSection = "Settings";
    static constexpr const char* kTypeKey = "ExportType";
    static constexpr const char* kZipKey = "ExportZip";
    static constexpr const char* kWmaRatioKey = "ExportRatioWMA";
    static constexpr const char* kMp3RatioKey = "ExportRatioMP3";
    static constexpr const char* kLrcKey = "ExportLRC";
    static constexpr const char* kVideoHeightKey = "ExportVideoHeight";
    static constexpr const char* kVideoFpsKey = "ExportVideoFPS";
    static constexpr int kDefaultRatioKbps = 128;
    static constexpr int kDefaultVideoHeight = 720;
    static constexpr int kDefaultVideoFps = 30;

    // Balloon texts of the export dialog.
    static constexpr const char* kRatioTitle = "Ratio";
    static constexpr const char* kRatioMissingText = "Please select a Compression Ratio.";

    int type = kBin;
    bool zip = false;
    int wmaRatioKbps = kDefaultRatioKbps;
    int mp3RatioKbps = kDefaultRatioKbps;
    // The lyric file written with MP3+G and WMA+G (MLrcExport::Form: 0 none, 1 simple,
    // 2 enhanced).
    int lrc = 0;
    // The video's picture height in lines (720 or 1080) and its frames per second.
    int videoHeight = kDefaultVideoHeight;
    int videoFps = kDefaultVideoFps;

    // Reads the stored choice. Without MP3 encoding a stored MP3+G becomes WMA+G; an unknown
    // type becomes BIN, and an unknown lyric form, height or frame rate its default.
    static MExportSettings Load(MSettingsStore& store, bool mp3Available);
    void Save(MSettingsStore& store) const;

    bool IsCompressed() const { return type == kWma || type == kMp3; }
    // The bit rate of the current type (0 for BIN).
    int RatioKbps() const;
    void SetRatioKbps(int kbps);

    // The bit rates offered for a type, in the order shown (empty for BIN).
    static std::vector<int> RatiosKbps(int type);
    // "192k" for 192, and back (0 when the text holds no number).
    static QString RatioText(int kbps);
    static int RatioFromText(const QString& text);
    // The entry to select for a wanted rate r: the last one whose number is at least r, or the
    // first when none is (-1 for an empty list).
    static int RatioIndex(const std::vector<int>& ratios, int r);
    // The offered rate that RatioIndex picks for r; 0 for BIN.
    static int OfferedRatio(int type, int r);
    // The picture heights and frame rates a video is offered in.
    static std::vector<int> VideoHeights() { return {720, 1080}; }
    static std::vector<int> VideoFrameRates() { return {25, 30, 50, 60}; }
    // The file's extension without its dot: "bin", "wma", "mp3" or "mp4".
    static QString TypeExtension(int type);
};
