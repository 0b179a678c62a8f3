// Words from MIDI karaoke files: made-up files that pin down each rule, damaged and hostile
// files, and two real files made by other programs.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>

#include "lyrics/LrcDocument.h"
#include "lyrics/MidiLyricsExtractor.h"

namespace {

QByteArray VariableLength(uint32_t value) {
    QByteArray bytes(1, static_cast<char>(value & 0x7F));
    while ((value >>= 7) != 0) {
        bytes.prepend(static_cast<char>(0x80 | (value & 0x7F)));
    }
    return bytes;
}

QByteArray Meta(uint8_t type, const QByteArray& body, uint32_t delta = 0) {
    return VariableLength(delta) + QByteArray(1, char(0xFF)) + QByteArray(1, char(type)) +
           VariableLength(body.size()) + body;
}
QByteArray Text(const QByteArray& text, uint32_t delta = 96) {
    return Meta(0x01, text, delta);
}
QByteArray Lyric(const QByteArray& text, uint32_t delta = 96) {
    return Meta(0x05, text, delta);
}
QByteArray Name(const QByteArray& name) {
    return Meta(0x03, name);
}
QByteArray EndOfTrack() {
    return Meta(0x2F, QByteArray());
}
// A note on and its note off, the off in running status.
QByteArray Note(uint32_t delta = 0) {
    return VariableLength(delta) + QByteArray("\x90\x3C\x40", 3) + VariableLength(96) +
           QByteArray("\x3C\x00", 2);
}

QByteArray Chunk(const char* id, const QByteArray& body, int lengthError = 0) {
    const uint32_t length = static_cast<uint32_t>(body.size() + lengthError);
    QByteArray bytes(id, 4);
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes += static_cast<char>((length >> shift) & 0xFF);
    }
    return bytes + body;
}

QByteArray MidiFile(const QList<QByteArray>& tracks) {
    QByteArray file = Chunk("MThd", QByteArray("\x00\x01\x00\x02\x01\xE0", 6));
    for (const QByteArray& track : tracks) {
        file += Chunk("MTrk", track);
    }
    return file;
}

QString Words(const QByteArray& file) {
    return MidiLyricsExtractor::Extract(file);
}

QByteArray TestFile(const char* name) {
    QFile file(qEnvironmentVariable("QUILM_TESTDATA") + u'/' + QString::fromLatin1(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << "set QUILM_TESTDATA to the test data folder";
    return file.readAll();
}

}  // namespace

TEST(MidiLyrics, SyllablesJoinAndSlashesBreakLines) {
    const QByteArray words = Name("Words") + Text("@KMIDI KARAOKE FILE") + Text("@TSong title") +
                             Text("\\Hel") + Note() + Text("lo ") + Note() + Text("/world") +
                             Note() + EndOfTrack();
    // Syllables of one word are marked as such; a break at the very start adds no empty line.
    EXPECT_EQ(Words(MidiFile({words})), QString("Hel*lo\nworld"));
    // "\\" starts a page, and a break at the end of an event ends its line.
    const QByteArray pages = Name("Words") + Text("\\One") + Text(" two/") + Text("\\three") +
                             Text("\\four") + EndOfTrack();
    EXPECT_EQ(Words(MidiFile({pages})), QString("One two\n^\nthree\n^\nfour"));
}

TEST(MidiLyrics, ChoosesTheTrackThatHoldsTheWords) {
    const QByteArray info =
        Name("Song") + Meta(0x02, "(c) someone") + Text("@LENGL") + Note() + EndOfTrack();
    const QByteArray words = Name("Words") + Text("\\Twin") + Text("kle") + EndOfTrack();
    const QByteArray lyrics = Name("Melody") + Lyric("Twin") + Lyric("kle") + EndOfTrack();
    // The Words track of a karaoke file, wherever it is.
    EXPECT_EQ(Words(MidiFile({info, words, lyrics})), QString("Twin*kle"));
    EXPECT_EQ(Words(MidiFile({info, lyrics, words})), QString("Twin*kle"));
    // Otherwise lyric events before text events, and a lone title or notice is no lyrics.
    const QByteArray texts = Name("Melody") + Text("a ") + Text("b ") + Text("c") + EndOfTrack();
    const QByteArray title = Text("Song title") + Meta(0x02, "(c) someone") + EndOfTrack();
    EXPECT_EQ(Words(MidiFile({title, texts, lyrics})), QString("Twin*kle"));
    EXPECT_EQ(Words(MidiFile({title, texts})), QString("a b c"));
    EXPECT_EQ(Words(MidiFile({title})), QString());
}

TEST(MidiLyrics, LineEndsInsideEventsAndEncodings) {
    EXPECT_EQ(Words(MidiFile({Lyric("one\r") + Lyric("two\r\n") + Lyric("three\n") +
                              Lyric("four\r\r") + Lyric(QByteArray("fi\0ve", 5)) + EndOfTrack()})),
              QString("one\ntwo\nthree\nfour\nfi"));
    // UTF-8, even when a character is split between two events.
    EXPECT_EQ(Words(MidiFile({Lyric("caf\xC3") + Lyric("\xA9 \xC3\xB3") + EndOfTrack()})),
              QString::fromUtf8("caf*é ó"));
}

TEST(MidiLyrics, EventsAreReadByTheirStructureNotByScanningForMarkers) {
    // A long text needs a two-byte length, and a delta time may contain the byte FF followed by
    // 01: neither may turn other bytes into words or hide the words after them.
    const QByteArray longText(200, 'a');
    const QByteArray deltaWithFF = QByteArray("\xFF\x01", 2);
    const QByteArray track = Lyric("@" + longText) + Text(longText) + deltaWithFF +
                             QByteArray("\x90\x3C\x40", 3) + Lyric(" end") +
                             QByteArray("\x00\xF0\x03\x7E\x7F\xF7", 6) + Lyric("!") + EndOfTrack();
    // (The text event is passed over: the track holds lyric events.)
    EXPECT_EQ(Words(MidiFile({track})), "end*!");
}

TEST(MidiLyrics, DamagedFilesGiveWhatCanBeRead) {
    // A track length that is too short or too long: reading picks up the next track anyway.
    const QByteArray first = Name("Info") + Note() + Note() + EndOfTrack();
    const QByteArray words = Name("Words") + Text("/la ") + Text("la") + EndOfTrack();
    const QByteArray header = Chunk("MThd", QByteArray("\x00\x01\x00\x02\x01\xE0", 6));
    EXPECT_EQ(Words(header + Chunk("MTrk", first, -3) + Chunk("MTrk", words)), "la la");
    EXPECT_EQ(Words(header + Chunk("MTrk", first, 5) + Chunk("MTrk", words)), "la la");
    EXPECT_EQ(Words(header + Chunk("MTrk", first, 1 << 30) + Chunk("MTrk", words)), "la la");
    QByteArray notMidi = MidiFile({words});
    notMidi.replace(14, 4, "MTrX");
    EXPECT_EQ(Words(notMidi), QString());
    // A file cut anywhere, or a length that runs past the end, never reads out of bounds and
    // keeps the words before the cut.
    const QByteArray file = MidiFile({first, words});
    for (qsizetype cut = 0; cut < file.size(); ++cut) {
        const QString text = Words(file.first(cut));
        EXPECT_TRUE(QString("la la").startsWith(text)) << cut;
    }
    QByteArray huge = MidiFile({Lyric("kept")});
    huge.replace(18, 4, "\xFF\xFF\xFF\xFF");
    huge += QByteArray(
        "\x00\xFF\x05\xFF\xFF\xFF\x7F"
        "abc",
        10);
    EXPECT_EQ(Words(huge), QString("kept*abc"));
}

TEST(MidiLyrics, SyllablesAreTimedThroughTheTempoMap) {
    // Division 480 ticks per quarter; the tempo halves at tick 960 in another track.
    const QByteArray conductor =
        Meta(0x51, QByteArray("\x07\xA1\x20", 3)) + Meta(0x51, QByteArray("\x0F\x42\x40", 3), 960);
    const QByteArray words = Lyric("Hel", 480) + Lyric("lo ", 480) + Lyric("/world", 480) +
                             Lyric(" end", 20000) + EndOfTrack();
    QByteArray file = MidiFile({conductor, words});
    file[13] = char(0xE0);  // 0x01E0 = 480
    LrcDocument document;
    EXPECT_EQ(MidiLyricsExtractor::Extract(file, &document), "Hel*lo\nworld end");
    ASSERT_EQ(document.lines.size(), 2);
    // 0.5 s, 1 s, then 1 s per quarter: 2 s and 2 + 20000 / 480 s.
    EXPECT_EQ(document.lines[0].elements[0], (LrcElement{50, 99, "Hel"}));
    EXPECT_EQ(document.lines[0].elements[1], (LrcElement{100, 199, "lo"}));
    EXPECT_EQ(document.lines[1].elements[0], (LrcElement{200, 400, "world"}));
    EXPECT_EQ(document.lines[1].elements[1], (LrcElement{4367, 4567, "end"}));
    EXPECT_EQ(document.encoding, "UTF-8");
    // SMPTE: 25 frames of 40 ticks a second, whatever the tempo.
    file[12] = char(-25);
    file[13] = char(40);
    MidiLyricsExtractor::Extract(file, &document);
    EXPECT_EQ(document.lines[0].elements[0].startHundredths, 48);
    EXPECT_EQ(document.lines[1].elements[1].startHundredths, 2144);
}

TEST(MidiLyrics, RealKaraokeFiles) {
    EXPECT_TRUE(Words(TestFile("twinkle.kar"))
                    .startsWith("Twin*kle, Twin*kle lit*tle star;\nHow I won*der what you are.\n"
                                "Up a*bove the world so high,\n"));
    // Lyric events in UTF-8, "@" header lines and a title in the first track: only the words.
    const QString utf8 = Words(TestFile("utf8-lyrics.kar"));
    EXPECT_TRUE(utf8.startsWith(QString::fromUtf8("Can*ta con*mi*go es*ta can*ción,\n")))
        << utf8.toStdString();
    EXPECT_TRUE(utf8.contains(QString::fromUtf8("\nla ño*ña te*je su co*lor.\n")))
        << utf8.toStdString();
    EXPECT_TRUE(utf8.endsWith(QStringLiteral("\nla la la la la"))) << utf8.toStdString();
    EXPECT_FALSE(utf8.contains(u'@'));
    EXPECT_FALSE(utf8.contains(QString::fromUtf8("Canción de prueba")));
}
