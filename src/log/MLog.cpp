#include "log/MLog.h"

#include <QDateTime>
#include <QtEndian>
#include <limits>

namespace {

template <typename T>
void AppendLittleEndian(QByteArray& out, T value) {
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

}  // namespace

MLog::MLog(uint8_t type, const QString& message, std::optional<int64_t> timeSeconds)
    : type_(type),
      timeSeconds_(timeSeconds ? *timeSeconds : QDateTime::currentSecsSinceEpoch()),
      message_(message.toUtf8()) {}

MLog::~MLog() = default;

bool MLog::AppendPayload(QByteArray& out) const {
    return true;
}

bool MLog::AppendSized(QByteArray& out, QByteArrayView bytes) {
    if (bytes.size() > std::numeric_limits<int32_t>::max()) {
        return false;
    }
    AppendLittleEndian<int32_t>(out, static_cast<int32_t>(bytes.size()));
    out.append(bytes);
    return true;
}

QByteArray MLog::Entry() const {
    QByteArray out;
    out.append("LOG", 3);
    out.append(static_cast<char>(type_));
    AppendLittleEndian<int64_t>(out, timeSeconds_);
    if (!AppendPayload(out) || !AppendSized(out, message_)) {
        return QByteArray();
    }
    return out;
}
