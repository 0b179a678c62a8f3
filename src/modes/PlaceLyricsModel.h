#pragma once

#include <QString>
#include <cstdint>

class MRwRenderer;
class MSongDocument;
class MSongSettings;
struct MKaraokeWord;

// The state of Place Lyrics without its widgets: the word the next tap stamps, the word whose
// sweep is still open, and what each tap, pause and finish writes into the song's words and
// lines. Every change goes through the song document, so a tap marks the project modified and
// is announced. The preview (the cursor word and the swept words) is drawn into a renderer.
class PlaceLyricsModel {
public:
    // One second of the work WAV: the end given to a word still open when the run finishes.
    static constexpr int32_t kOpenWordFrames = 44100;
    // User-action codes of the placement records.
    static constexpr uint8_t kActionPlacedWord = 10;
    static constexpr uint8_t kActionPausedSweep = 11;

    // What a tap did to the preview.
    enum class Redraw { None, WordSwept, CursorMoved, NewPage };

    PlaceLyricsModel(MSongDocument& document, MRwRenderer* renderer);

    // Regenerates the line list keeping the times, clears every selection mark, puts the cursor
    // on the first word and draws its page.
    void Open();
    // A new run: the cursor back on the first word, nothing open.
    void Start();
    // Stamps the cursor word at position (sample frames) and closes the open word there.
    Redraw Place(int32_t position);
    // Closes the open sweep at position; false when no word was open.
    bool Pause(int32_t position);
    // The end of a run: the open word ends one second after its start, duet lines take the
    // span of the line they answer.
    void Finish();

    // The word the next tap stamps (WordCount() at the end of the list) and the open word (-1).
    int Cursor() const { return cursor_; }
    int Previous() const { return previous_; }
    bool AtEnd() const;
    // The text of word i as its line shows it.
    QString WordText(int i) const;
    // A word's text, its line's characters from its first to its last.
    static QString TextOf(const MKaraokeWord* word);
    // Redraws the page of the cursor word with the cursor word marked.
    void DrawCursorPage();

    // Spreads every duet line evenly over the span of the line before it.
    static void SpreadDuetLines(MSongSettings& song);

private:
    void DrawWord(int i, int colourIndex);
    bool IsDuet() const;
    MSongSettings& Song() const;

    MSongDocument& document_;
    MRwRenderer* renderer_;
    int cursor_ = 0;
    int previous_ = -1;
};
