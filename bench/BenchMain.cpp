// quilm_bench: the engine's speed figures.
//   quilm_bench [benchmark flags]          run the benchmarks
//   quilm_bench --write-stream FILE.cdg    write the 4-minute benchmark stream and exit
//   quilm_bench --write-music FILE.wav     write 4 minutes of music-like sound and exit
//   quilm_bench --write-project MUSIC FILE.qlm
//                                          save the 4-minute export song on that music
//   quilm_bench --import-music FILE        import a music file into the work WAV (in $TMPDIR),
//                                          as the application does when music is added
//   quilm_bench --ffmpeg-video PROJECT OUT.mp4
//                                          ffmpeg encoding the frames of the project's video
//                                          export from raw video; prints its microseconds

#include <benchmark/benchmark.h>

#include <QFile>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>

#include "BenchSongs.h"
#include "BenchStreams.h"
#include "VideoFeed.h"
#include "audio/MMusicImport.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write-stream") == 0) {
        const auto stream = BenchStreams::FourMinuteStream();
        QFile f(QString::fromLocal8Bit(argv[2]));
        if (!f.open(QIODevice::WriteOnly) ||
            f.write(reinterpret_cast<const char*>(stream.data()),
                    static_cast<qint64>(stream.size())) != static_cast<qint64>(stream.size())) {
            return 1;
        }
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--write-music") == 0) {
        return BenchSongs::WriteFourMinuteWav(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "--import-music") == 0) {
        MMusicImport import;
        if (MStatus loaded = import.LoadMusic(QString::fromLocal8Bit(argv[2]), nullptr); !loaded) {
            std::fprintf(stderr, "%s\n", loaded.Text().toLocal8Bit().constData());
            return 1;
        }
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "--ffmpeg-video") == 0) {
        QGuiApplication app(argc, argv);
        return VideoFeed::Run(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    if (argc == 4 && std::strcmp(argv[1], "--write-project") == 0) {
        auto song = BenchSongs::ExportSong();
        song->musicFile = QString::fromLocal8Bit(argv[2]);
        song->projectPath = QString::fromLocal8Bit(argv[3]);
        return song->SaveProject().IsOk() ? 0 : 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
