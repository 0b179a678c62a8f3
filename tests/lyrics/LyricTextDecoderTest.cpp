// Decoding imported lyric files: the encodings Windows programs write, and text-file clean-up.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include "lyrics/LyricTextDecoder.h"

namespace {

QString Decode(const QByteArray& bytes) {
    return LyricTextDecoder::Decode(bytes);
}

}  // namespace

TEST(LyricTextDecoder, Unicode) {
    // UTF-8 with and without its mark; typographic punctuation stays what it is.
    const QString quoted = QString::fromUtf8("“Hi” – it’s… € é");
    EXPECT_EQ(Decode(quoted.toUtf8()), quoted);
    EXPECT_EQ(Decode("\xEF\xBB\xBF" + quoted.toUtf8()), quoted);
    // UTF-16 in both byte orders, with a character outside the basic plane.
    const QString wide = QString::fromUtf8("Ké 𝄞\n");
    const QByteArray le("\xFF\xFEK\0\xE9\0 \0\x34\xD8\x1E\xDD\n\0", 14);
    const QByteArray be("\xFE\xFF\0K\0\xE9\0 \xD8\x34\xDD\x1E\0\n", 14);
    EXPECT_EQ(Decode(le), wide);
    EXPECT_EQ(Decode(be), wide);
    // An odd last byte is dropped; a surrogate without its partner becomes U+FFFD.
    EXPECT_EQ(Decode(le + 'x'), wide);
    EXPECT_EQ(Decode(QByteArray("\xFF\xFE\x3D\xD8\x41\x00", 6)), QString::fromUtf16(u"\uFFFDA"));
    EXPECT_EQ(Decode(QByteArray("\xFF\xFE")), QString());
}

TEST(LyricTextDecoder, AnythingElseIsWindows1252) {
    EXPECT_EQ(Decode("\x93Hi\x94 \x96 it\x92s\x85 \x80 \xE9t\xE9 \x81"),
              QString::fromUtf8("“Hi” – it’s… € été \u0081"));
    // Almost-UTF-8 is not UTF-8: overlong forms, surrogates, cut sequences, code points above
    // U+10FFFF.
    for (const char* bad : {"a\xC0\xAF", "\xED\xA0\x80", "caf\xC3", "\xF4\x90\x80\x80"}) {
        EXPECT_FALSE(LyricTextDecoder::IsValidUtf8(bad)) << bad;
    }
    EXPECT_TRUE(LyricTextDecoder::IsValidUtf8("\xF4\x8F\xBF\xBF"));
    EXPECT_EQ(Decode("caf\xC3"), QString::fromUtf8("cafÃ"));
}

TEST(LyricTextDecoder, TextFiles) {
    EXPECT_EQ(LyricTextDecoder::UnifyLineEnds("a\r\nb\nc\rd\r\n\r\ne"), "a\nb\nc\nd\n\ne");
    // Ctrl-Z ends a DOS text file; NUL characters are dropped.
    EXPECT_EQ(LyricTextDecoder::DecodeTextFile(QByteArray("one\ntw\0o\n\x1Ajunk", 13)),
              "one\ntwo\n");
    // UTF-16 without a mark keeps its ASCII letters; a Ctrl-Z byte inside a UTF-16 character
    // (here U+041A) does not end the text.
    EXPECT_EQ(LyricTextDecoder::DecodeTextFile(QByteArray("H\0i\0", 4)), "Hi");
    EXPECT_EQ(LyricTextDecoder::DecodeTextFile(QByteArray("\xFF\xFE\x1A\x04!\0", 6)),
              QString::fromUtf8("К!"));
}
