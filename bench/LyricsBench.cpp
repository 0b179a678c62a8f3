// Lyric import: LRC files of 1, 2 and 4 MB (lines of timed syllables, and one line of them), a
// 4 MB text file of short lines at the most lines and words a song holds, and a 500 kB karaoke
// MIDI file, each read, turned into the line list and timed.

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "lyrics/LrcDocument.h"
#include "lyrics/LyricImport.h"
#include "song/MSongSettings.h"

namespace {

// "mm:ss.xx", written digit by digit: the files are megabytes of these.
QString Stamp(int hundredths) {
    const int fields[3] = {hundredths / 6000 % 100, hundredths / 100 % 60, hundredths % 100};
    QString text(8, u':');
    for (int i = 0; i < 3; ++i) {
        text[i * 3] = QChar(u'0' + fields[i] / 10);
        text[i * 3 + 1] = QChar(u'0' + fields[i] % 10);
    }
    text[5] = u'.';
    return text;
}

QByteArray SyllableLrc(qsizetype bytes, bool oneLine) {
    QString text;
    int t = 0;
    while (text.size() < bytes) {
        if (!oneLine || text.isEmpty()) {
            text += u'[' + Stamp(t) + u']';
        }
        for (int w = 0; w < 6; ++w, t += 40) {
            text +=
                u'<' + Stamp(t) + QStringLiteral(">la<") + Stamp(t + 20) + QStringLiteral(">la ");
        }
        if (!oneLine) {
            text += u'\n';
        }
    }
    return text.toUtf8();
}

QByteArray VariableLength(uint32_t value) {
    QByteArray bytes(1, static_cast<char>(value & 0x7F));
    while ((value >>= 7) != 0) {
        bytes.prepend(static_cast<char>(0x80 | (value & 0x7F)));
    }
    return bytes;
}

QByteArray KaraokeMidi(qsizetype bytes) {
    QByteArray words = QByteArray("\x00\xFF\x03\x05Words", 9);
    QByteArray notes;
    for (int i = 0; words.size() + notes.size() < bytes; ++i) {
        const QByteArray syllable = i % 8 == 0 ? "/Sing" : (i % 2 ? "a " : "long");
        words += VariableLength(120) + "\xFF\x01" + VariableLength(syllable.size()) + syllable;
        notes += VariableLength(120) + QByteArray("\x90\x3C\x40", 3) + VariableLength(100) +
                 QByteArray("\x80\x3C\x00", 3);
    }
    const auto chunk = [](const char* id, const QByteArray& body) {
        QByteArray c(id, 4);
        for (int shift = 24; shift >= 0; shift -= 8) {
            c += static_cast<char>((body.size() >> shift) & 0xFF);
        }
        return c + body;
    };
    const QByteArray end("\x00\xFF\x2F\x00", 4);
    return chunk("MThd", QByteArray("\x00\x01\x00\x02\x01\xE0", 6)) + chunk("MTrk", words + end) +
           chunk("MTrk", notes + end);
}

void Import(benchmark::State& state, const QByteArray& bytes, const char* name) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        state.SkipWithError("cannot write the lyric file");
        return;
    }
    file.close();
    for (auto _ : state) {
        MSongSettings song;
        song.ResetToNewProject();
        LrcDocument document;
        LyricImport import(song);
        if (!import.ImportLyricFile(path, document)) {
            state.SkipWithError("import failed");
            return;
        }
        song.GenerateKaraokeLineList(true, false);
        import.MergeLrcTimings(document);
        benchmark::DoNotOptimize(song.wordList.data());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_ImportSyllableLrc(benchmark::State& state) {
    Import(state, SyllableLrc(state.range(0) * 1000 * 1000, false), "song.lrc");
}
BENCHMARK(BM_ImportSyllableLrc)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_ImportOneLineSyllableLrc(benchmark::State& state) {
    Import(state, SyllableLrc(state.range(0) * 1000 * 1000, true), "song.lrc");
}
BENCHMARK(BM_ImportOneLineSyllableLrc)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

// Text of as many lines and words as a song may hold: at 4 MB, nearly the 100,000 lines and
// 500,000 words of MProjectSanity. (A text of one-letter lines is refused as longer than any song.)
void BM_ImportTextOfShortLines(benchmark::State& state) {
    QByteArray text;
    for (qsizetype n = state.range(0) * 1000 * 1000; text.size() < n;) {
        text += "lalalala lalalala lalalala lalalala lalalala\n";
    }
    Import(state, text, "song.txt");
}
BENCHMARK(BM_ImportTextOfShortLines)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_ImportKaraokeMidi500kB(benchmark::State& state) {
    Import(state, KaraokeMidi(500 * 1000), "song.kar");
}
BENCHMARK(BM_ImportKaraokeMidi500kB)->Unit(benchmark::kMillisecond);

}  // namespace
