// Lyric text of arbitrary bytes: the encoding the detector settles on must be one the converters
// know, must read the bytes, and every named encoding a user may give must too.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lyrics/LyricTextDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    QString used;
    const QString text = LyricTextDecoder::DecodeTextFile(bytes, QString(), &used);
    if (used.isEmpty() || (!used.startsWith(u"UTF-") && !LyricTextDecoder::IsKnownEncoding(used))) {
        std::abort();
    }
    static const char* const kNamed[] = {
        "GBK",          "Big5",       "Shift_JIS", "EUC-KR",
        "windows-1251", "ISO-8859-2", "UTF-8",     "no such encoding"};
    const char* named = kNamed[size % (sizeof(kNamed) / sizeof(kNamed[0]))];
    LyricTextDecoder::Decode(bytes, QString::fromLatin1(named), &used);
    if (used.isEmpty()) {
        std::abort();
    }
    return 0;
}
