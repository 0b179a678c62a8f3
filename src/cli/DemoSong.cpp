#include "cli/DemoSong.h"

#include <cmath>
#include <vector>

#include "audio/WavOutFile.h"
#include "lyrics/LrcDocument.h"

namespace {

// The tune, word by word: the notes (MIDI numbers) of each word's syllables.
const std::vector<std::vector<std::vector<int>>> kTune = {
    {{60, 60}, {67, 67}, {69, 69}, {67}},      // Twinkle, twinkle, little star,
    {{65}, {65}, {64, 64}, {62}, {62}, {60}},  // How I wonder what you are!
    {{67}, {67, 65}, {65}, {64}, {64}, {62}},  // Up above the world so high,
    {{67}, {67}, {65, 65}, {64}, {64}, {62}},  // Like a diamond in the sky.
    {{60, 60}, {67, 67}, {69, 69}, {67}},      // Twinkle, twinkle, little star,
    {{65}, {65}, {64, 64}, {62}, {62}, {60}},  // How I wonder what you are!
};

constexpr int kRate = 44100;

}  // namespace

QByteArray DemoSong::Lyrics() {
    // One beat is 0.6 s; a syllable takes a beat, the last word of a line two.
    QByteArray lrc = "[ti:Twinkle, Twinkle, Little Star]\n[ar:Traditional]\n[by:Quilm]\n";
    const char* const lines[] = {"Twinkle, twinkle, little star,", "How I wonder what you are!",
                                 "Up above the world so high,",    "Like a diamond in the sky.",
                                 "Twinkle, twinkle, little star,", "How I wonder what you are!"};
    const auto tag = [](int hundredths, char open, char close) {
        return QByteArray(1, open) + QByteArray::number(hundredths / 6000).rightJustified(2, '0') +
               ':' + QByteArray::number(hundredths / 100 % 60).rightJustified(2, '0') + '.' +
               QByteArray::number(hundredths % 100).rightJustified(2, '0') + close;
    };
    int t = 400;  // the first word at 4 s
    for (size_t i = 0; i < kTune.size(); ++i) {
        const QList<QByteArray> words = QByteArray(lines[i]).split(' ');
        lrc += tag(t, '[', ']');
        for (int w = 0; w < words.size(); ++w) {
            const bool last = w + 1 == words.size();
            lrc += tag(t, '<', '>') + words[w] + (last ? "" : " ");
            const int beats =
                static_cast<int>(kTune[i][static_cast<size_t>(w)].size()) + (last ? 1 : 0);
            t += beats * 60;
        }
        lrc += tag(t - 10, '<', '>') + '\n';
    }
    return lrc;
}

MStatus DemoSong::WriteMusic(const QString& path, const LrcDocument& document) {
    WavOutFile out(path, kRate, 16, 2);
    if (!out.IsOpen()) {
        return MStatus::Failure(QStringLiteral("%1: cannot create the demo music").arg(path));
    }
    std::vector<int16_t> samples;
    int written = 0;  // sample frames so far
    const auto silenceUntil = [&](int frame) {
        if (frame > written) {
            samples.assign(static_cast<size_t>(frame - written) * 2, 0);
            out.Write(samples.data(), static_cast<int>(samples.size()));
            written = frame;
        }
    };
    const auto tone = [&](int note, int frames) {
        const double hz = 440.0 * std::pow(2.0, (note - 69) / 12.0);
        samples.resize(static_cast<size_t>(frames) * 2);
        for (int i = 0; i < frames; ++i) {
            // A soft attack and a gentle decay, two harmonics for a little warmth.
            const double envelope = std::min(1.0, i / 400.0) * std::exp(-2.5 * i / kRate);
            const double x = 2 * M_PI * hz * i / kRate;
            const double v = 0.35 * envelope * (std::sin(x) + 0.3 * std::sin(2 * x));
            const auto s = static_cast<int16_t>(std::lround(v * 32767));
            samples[static_cast<size_t>(2 * i)] = s;
            samples[static_cast<size_t>(2 * i + 1)] = s;
        }
        out.Write(samples.data(), static_cast<int>(samples.size()));
        written += frames;
    };
    for (int l = 0; l < document.lines.size() && l < static_cast<int>(kTune.size()); ++l) {
        const LrcLine& line = document.lines[l];
        for (int w = 0;
             w < line.elements.size() && w < static_cast<int>(kTune[static_cast<size_t>(l)].size());
             ++w) {
            const LrcElement& e = line.elements[w];
            const int start = LrcDocument::FramesFromHundredths(e.startHundredths);
            const int end = LrcDocument::FramesFromHundredths(e.endHundredths + 1);
            const auto& notes = kTune[static_cast<size_t>(l)][static_cast<size_t>(w)];
            silenceUntil(start);
            const int each = std::max(1, (end - start) / static_cast<int>(notes.size()));
            for (size_t n = 0; n < notes.size(); ++n) {
                const int frames = n + 1 == notes.size() ? std::max(1, end - written) : each;
                tone(notes[n], frames);
            }
        }
    }
    silenceUntil(written + 2 * kRate);
    return out.Close();
}
