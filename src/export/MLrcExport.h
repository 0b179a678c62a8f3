#pragma once

#include <QString>
#include <cstdint>

class MSongSettings;

// Writes the song's timed lines as an LRC lyric file for music players, in UTF-8:
//   Simple:   [mm:ss.xx]line text             (the line's first word start)
//   Enhanced: [mm:ss.xx]<mm:ss.xx>word <mm:ss.xx>word<mm:ss.xx>
//             (every word's start, and after the last word the line's end)
// after the tags [ti:], [ar:] and [length:], one tag to a line. Times are counted from the start
// of the audio file the lyrics go with, so offsetFrames (the silence that file has before the
// music) is added to every word time.
class MLrcExport {
public:
    enum Form { kNone = 0, kSimple = 1, kEnhanced = 2 };

    // The text of the file; lengthMs is the audio file's length.
    static QString Text(const MSongSettings& song, int form, int32_t offsetFrames,
                        int64_t lengthMs);
    // "mm:ss.xx" of a time in sample frames, to the nearest hundredth (negative times are 0).
    static QString TimeText(int64_t frames);
    // The form's name for messages and the command line: "simple", "enhanced" (empty for none).
    static QString FormName(int form);
};
