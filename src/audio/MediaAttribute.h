#pragma once

#include <QByteArray>
#include <QString>

// A header attribute for a media file being written: a Windows Media attribute name
// ("Title", "Author", "WM/AlbumTitle", ...) with a typed value.
struct MediaAttribute {
    enum Type { kNumber = 0, kText = 1, kBytes = 2 };

    QString name;
    int type = kText;
    // Decimal text for a number, the text itself for text, raw bytes otherwise.
    QByteArray value;
};
