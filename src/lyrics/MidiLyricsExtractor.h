#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <cstdint>
#include <vector>

class LrcDocument;

// Pulls the timed words out of a MIDI karaoke file (".kar", ".mid"). The words are meta events
// of one track, chosen as karaoke files are laid out: the track named "Words" (or "Lyrics") of
// a .kar file, else the track with the most lyric events (type 5), else the track with the most
// text events (type 1) when it holds several (a lone text is a title or a notice). An event that
// starts with "/" or "\" starts a new line ("\" a new page), one that starts with "@" is an
// information line (title, language, version) and is not a word. Events joined without a space
// are syllables of one word: the text marks them with "*", so each keeps its own time.
// Each event's time comes from its tick through the tempo map of all tracks and the file's
// division (ticks per quarter note, or SMPTE frames and ticks per frame).
class MidiLyricsExtractor {
public:
    // The lyrics text with lines separated by "\n"; empty when the data is not a MIDI file or
    // holds no words. Damaged files give what could be read before the damage. document, when
    // given, is cleared and receives one line per text line with one element per syllable, in
    // hundredths of a second, and the encoding the words were read in (encoding empty: found
    // out, as for lyric text files).
    static QString Extract(QByteArrayView data, LrcDocument* document = nullptr,
                           const QString& encoding = QString());

    // A meta event of interest, with its absolute tick.
    struct Event {
        uint64_t tick = 0;
        uint8_t type = 0;
        int track = 0;
        QByteArray body;
    };
    // The tick of every tempo change with its microseconds per quarter note.
    struct Tempo {
        uint64_t tick = 0;
        uint32_t microsecondsPerQuarter = 500000;
    };

private:
    explicit MidiLyricsExtractor(QByteArrayView data) : data_(data) {}

    void ReadChunks();
    qsizetype ReadTrack(qsizetype begin, qsizetype end, int track);
    bool ReadVariableLength(qsizetype& pos, qsizetype end, uint32_t& value) const;
    bool LooksLikeChunk(qsizetype pos) const;
    std::vector<const Event*> ChooseWords() const;
    // Seconds from the start of the song to a tick, in hundredths; -1 when the division is
    // unusable.
    std::vector<int> Hundredths(const std::vector<const Event*>& words) const;

    QByteArrayView data_;
    uint16_t division_ = 0;
    int trackCount_ = 0;
    std::vector<Event> events_;
    std::vector<Tempo> tempos_;
};
