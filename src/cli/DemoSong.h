#pragma once

#include <QByteArray>
#include <QString>

#include "base/MStatus.h"

class LrcDocument;

// The demo song that quilm-cli ships: "Twinkle, Twinkle, Little Star" as an LRC file with word
// times, and music made to fit it: a tone for every syllable, on the tune's notes.
class DemoSong {
public:
    // The LRC text, with a time for every word.
    static QByteArray Lyrics();
    // Writes 44,100 Hz 16-bit stereo music that follows the words of document (parsed from
    // Lyrics()), with silence before the first word and a little after the last.
    static MStatus WriteMusic(const QString& path, const LrcDocument& document);
};
