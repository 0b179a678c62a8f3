#include "lyrics/LyricTextDecoder.h"

#include "base/MTextCodec.h"

#include <cstdint>

namespace {

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
    return MTextCodec::IsValidUtf8(bytes);
}

QString LyricTextDecoder::FromWindows1252(QByteArrayView bytes) {
    return MTextCodec::FromWindows1252(bytes);
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
