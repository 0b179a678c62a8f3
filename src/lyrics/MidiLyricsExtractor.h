#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>

// Pulls the words out of a MIDI karaoke file (".kar", ".mid"). The words are the text (type 1)
// and lyric (type 5) meta events, joined exactly as stored so that syllables split over several
// events form their words again. An event that starts with "/" or "\" starts a new line; one
// that starts with "@" is an information line (title, language, version) and is not a word.
// Reading stops at the end of the first track that held words, so a file that carries the words
// twice (as text events and again as lyric events) gives them once.
class MidiLyricsExtractor {
public:
    // The lyrics text with lines separated by "\n"; empty when the data is not a MIDI file or
    // holds no words. Damaged files give what could be read before the damage.
    static QString Extract(QByteArrayView data);

private:
    explicit MidiLyricsExtractor(QByteArrayView data) : data_(data) {}

    void ReadChunks();
    qsizetype ReadTrack(qsizetype begin, qsizetype end);
    bool ReadVariableLength(qsizetype& pos, qsizetype end, uint32_t& value) const;
    bool LooksLikeChunk(qsizetype pos) const;
    void TakeMetaEvent(uint8_t type, QByteArrayView body);

    QByteArrayView data_;
    QByteArray words_;
    bool lyricsFound_ = false;
};
