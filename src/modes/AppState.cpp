#include "modes/AppState.h"

bool CommandEnabled(AppCommand command, const AppState& s) {
    switch (command) {
        case AppCommand::New:
        case AppCommand::Open:
        case AppCommand::Exit:
        case AppCommand::Settings:
        case AppCommand::EditLyrics:
            return s.Idle();
        case AppCommand::Close:
            return s.hasFilePath && s.Idle();
        case AppCommand::Save:
            return s.modified && s.Idle();
        case AppCommand::SaveAs:
            return s.projectOpened && s.Idle();
        case AppCommand::Export:
        case AppCommand::AdjustLyrics:
        case AppCommand::PlayFinal:
            return s.LyricsPlaced();
        case AppCommand::Cut:
        case AppCommand::Copy:
            return s.editFocused && s.editHasSelection;
        case AppCommand::Paste:
            return s.editFocused && !s.editReadOnly && s.clipboardHasText;
        case AppCommand::SelectAll:
            return s.editFocused;
        case AppCommand::Companion:
            return s.companionFound;
        case AppCommand::PlaceLyrics:
            return s.Idle() && s.hasWorkWav && s.hasLyrics;
        case AppCommand::AutoSave:
        case AppCommand::BuySongs:
        case AppCommand::CheckUpdates:
        case AppCommand::Support:
        case AppCommand::Forum:
        case AppCommand::Facebook:
        case AppCommand::Affiliate:
        case AppCommand::About:
        case AppCommand::Manual:
            return true;
    }
    return false;
}
