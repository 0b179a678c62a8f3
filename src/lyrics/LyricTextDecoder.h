#pragma once

#include <QByteArrayView>
#include <QString>

// Turns the bytes of an imported lyric file into text. Files made on Windows come in whatever
// the author's machine used, so the encoding is guessed the same way for every lyric source:
//   - a UTF-16 byte-order mark (FF FE or FE FF) means UTF-16 of that byte order;
//   - bytes that are valid UTF-8, with or without its byte-order mark, are UTF-8;
//   - anything else is Windows-1252, the code page of nearly every such file.
// Typographic punctuation (dashes, curly quotes, the ellipsis) therefore arrives as the same
// characters whichever of these encodings the file used.
class LyricTextDecoder {
public:
    static QString Decode(QByteArrayView bytes);

    // Decode() for a file read as text: a Ctrl-Z character ends the text (the end-of-file mark
    // of DOS editors) and NUL characters are dropped (they come from binary junk or from UTF-16
    // saved without a byte-order mark, whose ASCII letters then survive).
    static QString DecodeTextFile(QByteArrayView bytes);

    // Every CR LF pair and every lone CR become LF, the line separator of the lyrics text.
    static QString UnifyLineEnds(QString text);

    // Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no cut sequence.
    static bool IsValidUtf8(QByteArrayView bytes);
    static QString FromWindows1252(QByteArrayView bytes);

private:
    static QString FromUtf16(QByteArrayView bytes, bool bigEndian);
};
