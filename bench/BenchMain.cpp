// quilm_bench: the engine's speed figures.
//   quilm_bench [benchmark flags]          run the benchmarks
//   quilm_bench --write-stream FILE.cdg    write the 4-minute benchmark stream and exit

#include <benchmark/benchmark.h>

#include <QFile>
#include <QGuiApplication>
#include <cstring>

#include "BenchStreams.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write-stream") == 0) {
        const auto stream = BenchStreams::FourMinuteStream();
        QFile f(QString::fromLocal8Bit(argv[2]));
        if (!f.open(QIODevice::WriteOnly) ||
            f.write(reinterpret_cast<const char*>(stream.data()), static_cast<qint64>(stream.size())) !=
                static_cast<qint64>(stream.size())) {
            return 1;
        }
        return 0;
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
