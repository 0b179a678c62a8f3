// Music in other rates, widths, channel counts and containers becomes a 44,100 Hz 16-bit stereo
// work WAV as long as the source, resampled as well as SoX does it.

#include <gtest/gtest.h>

#include <QDir>
#include <cmath>

#include "audio/AudioFixtures.h"
#include "audio/MMusicImport.h"

namespace {

const char* kTone = "aevalsrc=0.5*sin(2*PI*997*t)+0.3*sin(2*PI*3001*t):s=%1:d=2.5";

double Seconds(const QByteArray& s16, int rate, int channels) {
    return static_cast<double>(s16.size()) / (2.0 * channels) / rate;
}

// Signal-to-noise ratio of ours against the reference, over the samples both have.
double SnrDb(const QByteArray& reference, const QByteArray& ours) {
    const auto* a = reinterpret_cast<const int16_t*>(reference.constData());
    const auto* b = reinterpret_cast<const int16_t*>(ours.constData());
    const qsizetype n = std::min(reference.size(), ours.size()) / 2;
    double signal = 0;
    double noise = 0;
    for (qsizetype i = 0; i < n; ++i) {
        signal += static_cast<double>(a[i]) * a[i];
        noise += static_cast<double>(a[i] - b[i]) * (a[i] - b[i]);
    }
    return noise == 0 ? 200.0 : 10.0 * std::log10(signal / noise);
}

}  // namespace

TEST(MusicConversion, EveryKindOfMusicImportsAtFullLengthAndQuality) {
    AudioFixtures fx;
    const struct {
        QString name;
        int rate;
        QStringList args;
        bool compareWithSox;
    } made[] = {
        {"r22050.wav", 22050, {"-ac", "2"}, true},
        {"r32000.wav", 32000, {"-ac", "2"}, true},
        {"r48000.wav", 48000, {"-ac", "2"}, true},
        {"r96000.wav", 96000, {"-ac", "2"}, true},
        {"mono48k.wav", 48000, {"-ac", "1"}, true},
        {"u8.wav", 22050, {"-ac", "2", "-c:a", "pcm_u8"}, false},
        {"song.flac", 48000, {"-ac", "2"}, false},
        {"song.ogg", 44100, {"-ac", "2", "-c:a", "libvorbis"}, false},
        {"song.opus", 48000, {"-ac", "2", "-c:a", "libopus"}, false},
        {"song.m4a", 44100, {"-ac", "2", "-c:a", "aac"}, false},
        {"alac.m4a", 44100, {"-ac", "1", "-c:a", "alac"}, false},
    };
    QStringList files;
    QList<bool> compare;
    for (const auto& m : made) {
        files << fx.Make(m.name, QString::fromLatin1(kTone).arg(m.rate), m.args);
        compare << m.compareWithSox;
    }
    // 24-bit and floating-point WAVs as SoX writes them.
    for (const QStringList& encoding :
         {QStringList{"-b", "24"}, QStringList{"-e", "floating-point", "-b", "32"}}) {
        const QString path = fx.Path(QStringLiteral("sox%1.wav").arg(encoding.last()));
        AudioFixtures::Run("sox",
                           QStringList{"-n", "-r", "48000", "-c", "2"} + encoding +
                               QStringList{path, "synth", "2.5", "sine", "997", "vol", "0.5"});
        files << path;
        compare << false;
    }

    MMusicImport import(fx.Path("tmp"));
    for (int i = 0; i < files.size(); ++i) {
        const QString& source = files[i];
        SCOPED_TRACE(source.toStdString());
        ASSERT_TRUE(import.LoadMusic(source, nullptr)) << import.ErrorText().toStdString();
        const QByteArray work = AudioFixtures::ReadAll(import.WorkWavPath());
        ASSERT_EQ(work.mid(8, 28), WavImage().Fmt(1, 2, 44100, 16).Bytes().mid(8, 28));
        const auto probe = AudioFixtures::Probe(source);
        const int rate = probe.value("stream.sample_rate").toInt();
        const int channels = probe.value("stream.channels").toInt();
        const double expected = Seconds(AudioFixtures::DecodeS16(source), rate, channels);
        EXPECT_NEAR(Seconds(work.mid(44), 44100, 2), expected, 0.001);
        if (compare[i]) {
            const QString reference = fx.Path("sox.wav");
            AudioFixtures::Run("sox", {source, "-b", "16", "-D", reference, "rate", "-v", "44100",
                                       "channels", "2"});
            EXPECT_GE(SnrDb(AudioFixtures::DecodeS16(reference), work.mid(44)), 90.0);
        }
    }
}
