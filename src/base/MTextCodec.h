#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Text as it is stored in files: UTF-8 in the files we write; files made on Windows hold
// Windows-1252 bytes instead, so whatever is not valid UTF-8 is read as Windows-1252.
class MTextCodec {
public:
    static QString Decode(QByteArrayView bytes);
    static QByteArray Encode(const QString& text) { return text.toUtf8(); }
    static bool IsValidUtf8(QByteArrayView bytes);
    static QString FromWindows1252(QByteArrayView bytes);
};
