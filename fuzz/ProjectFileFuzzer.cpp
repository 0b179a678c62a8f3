// Feeds arbitrary bytes to the project file reader, and renders what loads. Seeded with a real
// saved project (fuzz/corpus/fuzz_project_file), so that the search reaches the page records and
// the line list.

#include <QBuffer>
#include <QGuiApplication>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "song/MProjectFile.h"
#include "song/MProjectSanity.h"
#include "song/MSongSettings.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Rendering draws text: the font system needs an application.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    MSongSettings song;
    song.ResetToNewProject();
    if (!MProjectFile(song).Load(buffer).IsOk()) {
        return 0;
    }
    // Whatever loads must also save and regenerate its lines, and render when it is sound.
    (void)MProjectFile::Serialize(song);
    song.CalcLineAndPageNumbers();
    if (MProjectSanity::Check(song).IsOk()) {
        song.GenerateKaraokeLineList(true, true);
        song.SizeRwBuffer(0);
        uint32_t length = 0;
        song.WriteRwMemory(song.rwBuffer.data(), song.rwBuffer.size(), &length,
                           MSongSettings::kFromTheStart);
    }
    return 0;
}
