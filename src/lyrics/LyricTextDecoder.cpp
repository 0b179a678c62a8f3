#include "lyrics/LyricTextDecoder.h"

#include <cstdint>

namespace {

// Windows-1252 bytes 0x80 to 0x9F. The five bytes the code page leaves undefined map to the C1
// control of the same value, as Windows itself converts them.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool StartsWith(QByteArrayView bytes, std::initializer_list<uint8_t> prefix) {
    if (bytes.size() < static_cast<qsizetype>(prefix.size())) {
        return false;
    }
    qsizetype i = 0;
    for (uint8_t b : prefix) {
        if (static_cast<uint8_t>(bytes[i++]) != b) {
            return false;
        }
    }
    return true;
}

}  // namespace

QString LyricTextDecoder::Decode(QByteArrayView bytes) {
    if (StartsWith(bytes, {0xFF, 0xFE})) {
        return FromUtf16(bytes.sliced(2), false);
    }
    if (StartsWith(bytes, {0xFE, 0xFF})) {
        return FromUtf16(bytes.sliced(2), true);
    }
    if (StartsWith(bytes, {0xEF, 0xBB, 0xBF})) {
        bytes = bytes.sliced(3);
    }
    if (IsValidUtf8(bytes)) {
        return QString::fromUtf8(bytes);
    }
    return FromWindows1252(bytes);
}

QString LyricTextDecoder::DecodeTextFile(QByteArrayView bytes) {
    QString text = Decode(bytes);
    const qsizetype end = text.indexOf(QChar(0x1A));
    if (end >= 0) {
        text.truncate(end);
    }
    text.remove(QChar(0));
    return text;
}

QString LyricTextDecoder::UnifyLineEnds(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    return text;
}

bool LyricTextDecoder::IsValidUtf8(QByteArrayView bytes) {
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const uint8_t lead = static_cast<uint8_t>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        uint32_t code = 0;
        uint32_t smallest = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
            smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
            smallest = 0x10000;
        } else {
            return false;
        }
        if (n - i < length) {
            return false;
        }
        for (int k = 1; k < length; ++k) {
            const uint8_t next = static_cast<uint8_t>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

QString LyricTextDecoder::FromWindows1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uint8_t b = static_cast<uint8_t>(bytes[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? QChar(kWindows1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

QString LyricTextDecoder::FromUtf16(QByteArrayView bytes, bool bigEndian) {
    // An odd last byte is half a character and is dropped; a surrogate without its partner
    // becomes U+FFFD so the text stays well formed.
    const qsizetype count = bytes.size() / 2;
    QString text(count, Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < count; ++i) {
        const uint8_t first = static_cast<uint8_t>(bytes[2 * i]);
        const uint8_t second = static_cast<uint8_t>(bytes[2 * i + 1]);
        out[i] = QChar(bigEndian ? static_cast<char16_t>(first << 8 | second)
                                 : static_cast<char16_t>(second << 8 | first));
    }
    for (qsizetype i = 0; i < count; ++i) {
        const QChar c = out[i];
        if (c.isHighSurrogate() && i + 1 < count && out[i + 1].isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            out[i] = QChar::ReplacementCharacter;
        }
    }
    return text;
}
