// Feeds arbitrary bytes to the project file reader.

#include <QBuffer>
#include <cstddef>
#include <cstdint>

#include "song/MProjectFile.h"
#include "song/MSongSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    MSongSettings song;
    song.ResetToNewProject();
    if (MProjectFile(song).Load(buffer).IsOk()) {
        // Whatever loads must also save and regenerate its lines.
        (void)MProjectFile::Serialize(song);
        song.CalcLineAndPageNumbers();
    }
    return 0;
}
