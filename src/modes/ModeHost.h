#pragma once

#include "audio/MPlayerContext.h"

class LrcDocument;
class QString;

// What a mode panel needs of the window around it. The main window implements it; tests use a
// small fake.
class ModeHost {
public:
    enum Mode { kNone = 0, kEditLyrics = 1, kPlaceLyrics = 2, kAdjustLyrics = 3, kPlayFinal = 4 };

    virtual ~ModeHost() = default;

    // The mode buttons: the host switches (with its confirmations). The panel that calls may be
    // destroyed before the call returns.
    virtual void SwitchMode(int mode) = 0;
    // "&Settings...": the song settings dialog, then the current mode again.
    virtual void OpenSettings() = 0;
    // The player is not playing and no export runs.
    virtual bool IsIdle() const = 0;
    // Something the menus depend on changed (playing started or stopped, lyrics, music).
    virtual void PanelStateChanged() = 0;
    // "Add M&usic": the music import; true when new music was taken.
    virtual bool AddMusic() = 0;
    // The work WAV, empty when there is no music.
    virtual QString WorkWavPath() const = 0;
    // The music the user chose, empty when there is none.
    virtual QString MusicFilePath() const = 0;
    // What a CD+G player of this program is created with.
    virtual MPlayerContext PlayerContext() = 0;
    // The Edit Lyrics split (the lyric box's share of the width) in the settings store.
    virtual double EditLyricsSplit() = 0;
    virtual void SetEditLyricsSplit(double split) = 0;
    // "&Import Lyrics": the Find Lyrics dialog, whose file import puts a lyric file's text into
    // the song and its LRC lines into document. True when the song's lyrics changed.
    virtual bool FindLyrics(LrcDocument& document) = 0;
};
