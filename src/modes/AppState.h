#pragma once

// Everything the menu commands' enabled rules depend on, gathered in one place so that one
// function decides them all and is evaluated again whenever any of it changes.
struct AppState {
    bool playing = false;
    bool exporting = false;
    bool modified = false;
    bool hasFilePath = false;
    bool projectOpened = false;
    bool hasWorkWav = false;
    bool hasLyrics = false;
    bool hasPlacedWords = false;
    bool companionFound = false;
    // The focused widget is an edit box; with a selection; read-only; the clipboard holds text.
    bool editFocused = false;
    bool editHasSelection = false;
    bool editReadOnly = false;
    bool clipboardHasText = false;

    bool Idle() const { return !playing && !exporting; }
    bool LyricsPlaced() const { return Idle() && hasWorkWav && hasLyrics && hasPlacedWords; }
};

// The commands of the menus and the mode buttons.
enum class AppCommand {
    New,
    Open,
    Close,
    Save,
    SaveAs,
    AutoSave,
    Export,
    Exit,
    Cut,
    Copy,
    Paste,
    SelectAll,
    Settings,
    Companion,
    BuySongs,
    CheckUpdates,
    Support,
    Forum,
    Facebook,
    Affiliate,
    About,
    Manual,
    EditLyrics,
    PlaceLyrics,
    AdjustLyrics,
    PlayFinal,
};

// Whether a command is enabled in a state.
bool CommandEnabled(AppCommand command, const AppState& state);
