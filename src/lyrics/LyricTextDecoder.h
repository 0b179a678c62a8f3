#pragma once

#include <QByteArrayView>
#include <QString>

// Turns the bytes of an imported lyric file into text. Files made on Windows come in whatever
// the author's machine used, so the encoding is found the same way for every lyric source:
//   - a UTF-16 byte-order mark (FF FE or FE FF) means UTF-16 of that byte order;
//   - bytes that are valid UTF-8, with or without its byte-order mark, are UTF-8;
//   - anything else goes to a character-set detector (GBK, Big5, Shift-JIS, EUC-KR, the
//     Windows and ISO-8859 code pages, ...); when it has no answer, or its answer does not
//     decode the bytes cleanly, Windows-1252, the code page of most such files.
// A caller that knows better names the encoding and nothing is guessed.
class LyricTextDecoder {
public:
    static constexpr const char* kWindows1252 = "windows-1252";

    // encoding: a name as the user gives it ("GBK", "Shift_JIS", "windows-1251"), or empty to
    // find it out. used (optional) receives the name of the encoding the text was read in.
    static QString Decode(QByteArrayView bytes, const QString& encoding = QString(),
                          QString* used = nullptr);

    // Decode() for a file read as text: a Ctrl-Z character ends the text (the end-of-file mark
    // of DOS editors) and NUL characters are dropped (they come from binary junk or from UTF-16
    // saved without a byte-order mark, whose ASCII letters then survive).
    static QString DecodeTextFile(QByteArrayView bytes, const QString& encoding = QString(),
                                  QString* used = nullptr);

    // The encoding of bytes that are neither UTF-16 with a mark nor UTF-8: the detector's answer
    // when it decodes them cleanly, else Windows-1252.
    static QString DetectEncoding(QByteArrayView bytes);
    // Whether text in the named encoding can be read.
    static bool IsKnownEncoding(const QString& name);
    // Decodes bytes in the named encoding; false when the name is unknown. strict: fail on bytes
    // the encoding does not define, instead of replacing them.
    static bool DecodeAs(QByteArrayView bytes, const QString& name, QString& text,
                         bool strict = false);

    // Every CR LF pair and every lone CR become LF, the line separator of the lyrics text.
    static QString UnifyLineEnds(QString text);

    // Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no cut sequence.
    static bool IsValidUtf8(QByteArrayView bytes);
    static QString FromWindows1252(QByteArrayView bytes);

private:
    static QString FromUtf16(QByteArrayView bytes, bool bigEndian);
};
