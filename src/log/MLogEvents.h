#pragma once

#include <cstdint>

// The events that the program reports to the event log and the trace log: the action codes of
// user-action records, the names every record carries, and the trace categories. Log readers
// match these texts, so they stay exactly as they are (misspellings included).
struct MLogEvents {
    // Action codes of user-action records.
    static constexpr uint8_t kActionAddMusic = 0;
    static constexpr uint8_t kActionImportLyrics = 1;
    static constexpr uint8_t kActionExportBin = 2;
    static constexpr uint8_t kActionExportCompressed = 3;
    static constexpr uint8_t kActionPlayback = 5;
    static constexpr uint8_t kActionSettings = 6;
    static constexpr uint8_t kActionOpenWebsite = 7;
    static constexpr uint8_t kActionOpenManual = 8;
    static constexpr uint8_t kActionStartPlacement = 9;
    static constexpr uint8_t kActionEndPlaceLyrics = 12;
    static constexpr uint8_t kActionOpenForum = 16;

    // Names of user-action records.
    static constexpr const char* kAddMusic = "Add Music";
    static constexpr const char* kImportLyrics = "Import Lyrics";
    static constexpr const char* kExportBin = "Export BIN";
    static constexpr const char* kExportPrefix = "Export ";  // followed by the export type's name
    static constexpr const char* kStartPlayback = "Start Playback";
    static constexpr const char* kStopPlayback = "Stop Playback";
    static constexpr const char* kSettingsOk = "Settings-OK";
    static constexpr const char* kSettingsCancel = "Settings-Cancel";
    static constexpr const char* kOpenWebsite = "Open Ivolde website";
    static constexpr const char* kOpenAffiliate = "Open Ivolde Affiliate";
    static constexpr const char* kOpenFacebook = "Open Ivolde Facebook";
    static constexpr const char* kOpenManual = "Open Manual";
    static constexpr const char* kStartPlacementMusic = "Start Placement Music";
    static constexpr const char* kEndPlaceLyrics = "End Place Lyrics";
    static constexpr const char* kOpenForum = "Open Ivolde Forum";
    static constexpr const char* kOpenSupport = "Open Ivolde Support";

    // Text records. An import that fails logs kLyricFileError as the text.
    static constexpr const char* kLyricFileError = "Error opening/reading Lyric file.\n";
    static constexpr const char* kGenerateInputRawString =
        "GenerateKaraokeLineList-Input Raw String";

    // Line list dumps.
    static constexpr const char* kEndPlaceLyricsLineList = "End Place Lryics";
    static constexpr const char* kCalcLineAndPageNumbers = "CalcLineAndPageNumbers";
    static constexpr const char* kGenerateOutputLineList =
        "GenerateKaraokeLineList-Output LineList";

    // Song settings dumps.
    static constexpr const char* kSettingsInitDlg = "InitDlg";
    static constexpr const char* kSettingsPostDlg = "Post SettingsDlg";

    // Data dumps of the stream writer.
    static constexpr const char* kWriteRwHiliteEnd = "WriteRwMemory-hiliteEnd";
    static constexpr const char* kWriteRwEraseTimes = "WriteRwMemory-eraseTimes";
    static constexpr const char* kWriteRwData = "WriteRwMemory-RW Data";

    // Trace lines of the karaoke engine's start-up, all in kTraceInitialize.
    static constexpr uint32_t kTraceInitialize = 1024;
    static constexpr const char* kTraceInitEnter = "MKaraoke_Initialize - enter";
    static constexpr const char* kTraceInitFonts = "MKaraoke_Initialize - Loaded Font Dictionary";
    static constexpr const char* kTraceInitWindow = "MKaraoke_Initialize - Registered MWindow";
    static constexpr const char* kTraceInitExit = "MKaraoke_Initialize - exit";
};
