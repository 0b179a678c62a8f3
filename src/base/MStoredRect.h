#pragma once

#include <QByteArray>
#include <QRect>

// A window rectangle as the settings store keeps it: left, top, right and bottom as
// little-endian 32-bit integers (16 bytes), right and bottom just outside the rectangle.
class MStoredRect {
public:
    static QByteArray Pack(const QRect& rect);
    // False when the bytes are not such a rectangle, or it is empty or absurdly large.
    static bool Unpack(const QByteArray& bytes, QRect* rect);
};
