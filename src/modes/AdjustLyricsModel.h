#pragma once

#include <QString>
#include <cstdint>

class MRwRenderer;
class MSongDocument;
class MSongSettings;
struct MKaraokeWord;

// The state of Adjust Lyrics without its widgets: the current page, the selected word and the
// cursor the arrows move from, the four nudges of a word's start and end, the singer of a line,
// and the stretch of the song a playback covers. Nudges and singers change the song through the
// song document, which marks the project modified and announces the change.
class AdjustLyricsModel {
public:
    enum Nudge { kStartEarlier, kStartLater, kEndEarlier, kEndLater };
    enum Singer { kSinger1, kSinger2, kBothSingers };

    // The part of the song a playback covers, in song positions (sample frames).
    struct Stretch {
        int32_t start = 0;
        int32_t end = 0;
        // Context off: from the selected word to the end of the song.
        bool toTheEnd = true;
    };

    AdjustLyricsModel(MSongDocument& document, MRwRenderer* renderer);

    // Regenerates the line list keeping the times, selects the first word of the page and
    // draws it. The song's modified state stays as it was.
    void Open();

    int Page() const { return page_; }
    int Anchor() const { return anchor_; }
    int First() const { return first_; }
    int Last() const { return last_; }
    int CursorIndex() const { return cursor_; }
    bool HasSelection() const { return anchor_ >= 0; }
    MKaraokeWord* SelectedWord() const;

    // Selects word i alone (none when i is -1); the page stays as it is.
    void Select(int i);
    // A click at (x, y) in a viewer of width x height; false when it hit no word.
    bool SelectAtPoint(int x, int y, int width, int height, bool shift);
    void MoveLeft();
    void MoveRight();
    void PreviousPage();
    void NextPage();
    // Selects the word sung at a song position and shows its page; false in a gap.
    bool SelectWordAt(int32_t position);

    // The frames one nudge moves a word by, from the Adjust Amount in milliseconds.
    static int32_t StepFrames(int adjustStepMs);
    // Moves the selected word's start or end; false without a selection.
    bool Apply(Nudge nudge);
    // Gives the selected word's line to a singer; false without a selection.
    bool AssignSinger(Singer singer);
    // The singer the selected word's line has (-1 for none of the three).
    int SelectedSinger() const;

    // What a playback from the selected word covers: with context, the words or seconds before
    // and after it that the song's loop settings ask for.
    Stretch PlayStretch(bool context) const;

    void DrawPage();
    QString PageLabel() const;
    // The selected word's text, for screen readers.
    QString SelectedWordText() const;

private:
    MSongSettings& Song() const;
    void ClearMarks();
    void SetPage(int page);
    int32_t ContextBefore(int32_t start) const;
    int32_t ContextAfter(int32_t end) const;

    MSongDocument& document_;
    MRwRenderer* renderer_;
    int page_ = 0;
    int anchor_ = -1;
    int first_ = -1;
    int last_ = -1;
    int cursor_ = -1;
};
