#include "log/MTraceLog.h"

#include <algorithm>
#include <cstdio>

MTraceLog::MTraceLog() = default;

MTraceLog::~MTraceLog() {
    Close();
}

MTraceLog& MTraceLog::Global() {
    static MTraceLog log;
    return log;
}

bool MTraceLog::Open(const QString& path, uint32_t mask) {
    std::lock_guard lock(mutex_);
    active_.store(false, std::memory_order_release);
    file_.close();
    mask_ = mask;
    if (path.isEmpty()) {
        return false;
    }
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return false;
    }
    active_.store(true, std::memory_order_release);
    return true;
}

void MTraceLog::Close() {
    std::lock_guard lock(mutex_);
    active_.store(false, std::memory_order_release);
    file_.close();
}

uint32_t MTraceLog::Mask() const {
    std::lock_guard lock(mutex_);
    return mask_;
}

namespace {

bool Matches(uint32_t category, uint32_t mask) {
    return category == MTraceLog::kAlwaysCategory || (category & mask) != 0;
}

}  // namespace

bool MTraceLog::Accepts(uint32_t category) const {
    return Matches(category, Mask());
}

void MTraceLog::Trace(QAnyStringView text, uint32_t category) {
    if (!IsActive()) {
        return;
    }
    std::lock_guard lock(mutex_);
    if (!file_.isOpen() || !Matches(category, mask_)) {
        return;
    }
    file_.write(FormatLine(QDateTime::currentDateTime(), text));
    file_.flush();
}

QByteArray MTraceLog::FormatLine(const QDateTime& localTime, QAnyStringView text) {
    const QDate d = localTime.date();
    const QTime t = localTime.time();
    char stamp[64];
    const int n = std::snprintf(stamp, sizeof stamp, "[%02d/%02d/%02d %02d:%02d:%02d] ", d.month(),
                                d.day(), d.year(), t.hour(), t.minute(), t.second());
    QByteArray line(stamp, n > 0 ? std::min<int>(n, sizeof stamp - 1) : 0);
    line += text.toString().toUtf8();
    line += '\n';
    return line;
}
