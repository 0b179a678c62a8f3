// Export: the BIN file of a 4-minute song.

#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "BenchSongs.h"
#include "export/MBinExport.h"
#include "song/MSongHost.h"

namespace {

class BenchHost : public MSongHost {
public:
    QString WorkWavPath() const override { return workWav; }
    void SetWorkWavPath(const QString& path) override { workWav = path; }
    QString workWav;
};

void BM_BinExportFourMinuteSong(benchmark::State& state) {
    QTemporaryDir dir;
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(dir.path()));
    BenchHost host;
    host.workWav = dir.filePath(QStringLiteral("music.wav"));
    if (!BenchSongs::WriteFourMinuteWav(host.workWav)) {
        state.SkipWithError("cannot write the music");
        return;
    }
    auto song = BenchSongs::ExportSong(&host);
    song->musicFile = host.workWav;
    song->AttachWorkWav(true);
    const QString bin = dir.filePath(QStringLiteral("song.bin"));
    MBinExport(*song, nullptr).Run(bin);  // the work WAV takes its final length once
    qint64 bytes = 0;
    for (auto _ : state) {
        const MExportResult r = MBinExport(*song, nullptr).Run(bin);
        if (!r.IsOk()) {
            state.SkipWithError(r.status.Text().toLocal8Bit().constData());
            break;
        }
        bytes += QFileInfo(bin).size();
    }
    state.SetBytesProcessed(bytes);
    qputenv("TMPDIR", oldTmp);
}
BENCHMARK(BM_BinExportFourMinuteSong)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
