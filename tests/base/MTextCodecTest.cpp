// Stored text: UTF-8 when it is valid UTF-8, Windows-1252 otherwise.

#include <gtest/gtest.h>

#include "base/MTextCodec.h"

TEST(MTextCodec, Utf8StaysUtf8) {
    const QByteArray utf8 = QStringLiteral("Negra sombra, ó é \u2019 \u20AC").toUtf8();
    EXPECT_TRUE(MTextCodec::IsValidUtf8(utf8));
    EXPECT_EQ(MTextCodec::Decode(utf8), QStringLiteral("Negra sombra, ó é \u2019 \u20AC"));
    EXPECT_EQ(MTextCodec::Encode(MTextCodec::Decode(utf8)), utf8);
}

TEST(MTextCodec, OtherBytesAreWindows1252) {
    const QByteArray cp1252("Caf\xe9 \x93quoted\x94 \x80 \x85", 17);
    EXPECT_FALSE(MTextCodec::IsValidUtf8(cp1252));
    EXPECT_EQ(MTextCodec::Decode(cp1252), QStringLiteral("Café \u201Cquoted\u201D \u20AC \u2026"));
    // A truncated UTF-8 sequence is not UTF-8.
    EXPECT_EQ(MTextCodec::Decode(QByteArray("ab\xc3", 3)), QStringLiteral("ab\u00C3"));
    EXPECT_EQ(MTextCodec::Decode(QByteArray()), QString());
}
