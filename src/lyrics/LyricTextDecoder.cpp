#include "lyrics/LyricTextDecoder.h"

#include "base/MTextCodec.h"

#include <uchardet/uchardet.h>

#include <QStringDecoder>
#include <cstdint>
#include <memory>

namespace {

bool IsWindows1252(const QString& name) {
    const QString n = name.toLower();
    return n == u"windows-1252" || n == u"cp1252" || n == u"iso-8859-1" || n == u"latin1";
}

// The detector's names that the converters know under another one.
QString ConverterName(const QString& detected) {
    if (detected.compare(u"UHC", Qt::CaseInsensitive) == 0) {
        return QStringLiteral("CP949");
    }
    return detected;
}

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

QString LyricTextDecoder::Decode(QByteArrayView bytes, const QString& encoding, QString* used) {
    QString name;
    QString text;
    if (!encoding.isEmpty()) {
        name = encoding;
        if (IsWindows1252(name) || !DecodeAs(bytes, name, text)) {
            name = QString::fromLatin1(kWindows1252);
            text = FromWindows1252(bytes);
        }
    } else if (StartsWith(bytes, {0xFF, 0xFE})) {
        name = QStringLiteral("UTF-16LE");
        text = FromUtf16(bytes.sliced(2), false);
    } else if (StartsWith(bytes, {0xFE, 0xFF})) {
        name = QStringLiteral("UTF-16BE");
        text = FromUtf16(bytes.sliced(2), true);
    } else {
        if (StartsWith(bytes, {0xEF, 0xBB, 0xBF})) {
            bytes = bytes.sliced(3);
        }
        if (IsValidUtf8(bytes)) {
            name = QStringLiteral("UTF-8");
            text = QString::fromUtf8(bytes);
        } else {
            name = DetectEncoding(bytes);
            if (IsWindows1252(name) || !DecodeAs(bytes, name, text)) {
                name = QString::fromLatin1(kWindows1252);
                text = FromWindows1252(bytes);
            }
        }
    }
    if (used != nullptr) {
        *used = name;
    }
    return text;
}

QString LyricTextDecoder::DecodeTextFile(QByteArrayView bytes, const QString& encoding,
                                         QString* used) {
    QString text = Decode(bytes, encoding, used);
    const qsizetype end = text.indexOf(QChar(0x1A));
    if (end >= 0) {
        text.truncate(end);
    }
    text.remove(QChar(0));
    return text;
}

QString LyricTextDecoder::DetectEncoding(QByteArrayView bytes) {
    const std::unique_ptr<std::remove_pointer_t<uchardet_t>, void (*)(uchardet_t)> detector(
        uchardet_new(), uchardet_delete);
    QString detected;
    if (detector && uchardet_handle_data(detector.get(), bytes.data(),
                                         static_cast<size_t>(bytes.size())) == 0) {
        uchardet_data_end(detector.get());
        detected = ConverterName(QString::fromLatin1(uchardet_get_charset(detector.get())));
    }
    // No answer, plain ASCII (which these bytes are not), or an answer that leaves bytes it
    // cannot read: the detector is unsure. Between the single-byte code pages it can only tell
    // from enough letters outside ASCII; a few accents say nothing (and Western text is the
    // likeliest), while every character of Cyrillic or Greek text is such a letter.
    QString probe;
    if (detected.isEmpty() || detected.compare(u"ASCII", Qt::CaseInsensitive) == 0 ||
        !DecodeAs(bytes, detected, probe, true)) {
        return QString::fromLatin1(kWindows1252);
    }
    const bool multiByte = probe.size() < bytes.size();
    if (!multiByte) {
        constexpr qsizetype kFewestLetters = 16;
        qsizetype high = 0;
        for (const char c : bytes) {
            high += static_cast<uint8_t>(c) >= 0x80 ? 1 : 0;
        }
        if (high < kFewestLetters) {
            return QString::fromLatin1(kWindows1252);
        }
    }
    return detected;
}

bool LyricTextDecoder::IsKnownEncoding(const QString& name) {
    return !name.isEmpty() && QStringDecoder(name.toLatin1().constData()).isValid();
}

bool LyricTextDecoder::DecodeAs(QByteArrayView bytes, const QString& name, QString& text,
                                bool strict) {
    const QByteArray latin = name.toLatin1();
    QStringDecoder decoder(latin.constData());
    if (!decoder.isValid()) {
        return false;
    }
    text = decoder.decode(bytes);
    return !(strict && decoder.hasError());
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
