#pragma once

#include <QStringList>
#include <cstdint>

#include "base/MStatus.h"

class MSongSettings;

// The limits within which a project's values make sense. A damaged file can load with values
// far outside them (a flipped byte turns 4 lines per page into a billion), and rendering such a
// project would need memory or disk space out of all proportion to its music; every renderer
// checks the song first and refuses it with the list of what is wrong.
class MProjectSanity {
public:
    static constexpr int kMinLinesPerPage = 1;
    static constexpr int kMaxLinesPerPage = 16;
    // Hundredths of a second, either way.
    static constexpr int kMaxAdvanceSweep = 500;
    // Hundredths of a second a title or credits page shows.
    static constexpr int kMaxDisplayTime = 60000;
    static constexpr int kMaxFontHeight = 1000;
    // Word times may run this far past the end of the music (a shorter music replaced a
    // longer one), and never past a CD's length.
    static constexpr int64_t kPastMusicFrames = 10 * 60 * 44100;
    static constexpr int64_t kMaxSongFrames = 80 * 60 * 44100;
    // The most lines and words (syllables) a song's lyrics hold: an 80-minute song sung at over
    // 20 lines and 100 syllables a second. No song comes near them; they stop a text of millions
    // of one-letter lines from taking hundreds of bytes of line list per letter.
    static constexpr int kMaxLines = 100000;
    static constexpr int kMaxWords = 500000;

    // What makes the lyrics too long for a song ("2097152 lines (at most 100000)"), empty when
    // they fit. Counts every line and every run of characters between spaces or "*", which is
    // never fewer than the line list makes of the text.
    static QString LyricsProblem(const QString& rawLyrics);
    // Ok when the lyrics fit a song, otherwise the failure the user is shown ("The lyrics are too
    // long for a song: ..."), for lyrics imported and typed alike.
    static MStatus CheckLyrics(const QString& rawLyrics);

    // What is out of range, one short sentence each; empty for a sound project.
    static QStringList Problems(const MSongSettings& song);
    // Ok, or a failure that names the project and what is wrong.
    static MStatus Check(const MSongSettings& song);
};
