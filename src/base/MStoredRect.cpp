#include "base/MStoredRect.h"

#include <QtEndian>

QByteArray MStoredRect::Pack(const QRect& rect) {
    QByteArray bytes(16, '\0');
    const qint32 values[4] = {rect.left(), rect.top(), rect.left() + rect.width(),
                              rect.top() + rect.height()};
    for (int i = 0; i < 4; ++i) {
        qToLittleEndian<qint32>(values[i], bytes.data() + 4 * i);
    }
    return bytes;
}

bool MStoredRect::Unpack(const QByteArray& bytes, QRect* rect) {
    if (bytes.size() != 16) {
        return false;
    }
    qint64 v[4];
    for (int i = 0; i < 4; ++i) {
        v[i] = qFromLittleEndian<qint32>(bytes.constData() + 4 * i);
    }
    constexpr qint64 kLargest = 100000;
    if (v[2] <= v[0] || v[3] <= v[1] || v[2] - v[0] > kLargest || v[3] - v[1] > kLargest) {
        return false;
    }
    *rect = QRect(QPoint(static_cast<int>(v[0]), static_cast<int>(v[1])),
                  QSize(static_cast<int>(v[2] - v[0]), static_cast<int>(v[3] - v[1])));
    return true;
}
