#include "log/MEventLog.h"

#include <QFile>

MEventLog::MEventLog() = default;

MEventLog::~MEventLog() = default;

MEventLog& MEventLog::Global() {
    static MEventLog log;
    return log;
}

QString MEventLog::Path() const {
    std::lock_guard lock(mutex_);
    return path_;
}

void MEventLog::SetPath(const QString& path) {
    std::lock_guard lock(mutex_);
    path_ = path;
    if (path_.isEmpty()) {
        queue_.clear();
    }
    active_.store(!path_.isEmpty(), std::memory_order_release);
}

void MEventLog::Queue(std::unique_ptr<MLog> record, bool flush) {
    if (record == nullptr) {
        return;
    }
    std::lock_guard lock(mutex_);
    if (path_.isEmpty()) {
        return;
    }
    queue_.push_back(std::move(record));
    if (flush) {
        WriteQueueLocked();
    }
}

int MEventLog::WriteQueue() {
    std::lock_guard lock(mutex_);
    return WriteQueueLocked();
}

int MEventLog::PendingCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(queue_.size());
}

int MEventLog::WriteQueueLocked() {
    if (path_.isEmpty() || queue_.empty()) {
        return 0;
    }
    std::deque<std::unique_ptr<MLog>> records;
    records.swap(queue_);
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        return 0;
    }
    int written = 0;
    for (const auto& record : records) {
        const QByteArray entry = record->Entry();
        if (entry.isEmpty()) {
            continue;
        }
        const qint64 sizeBefore = file.isSequential() ? 0 : file.size();
        if (file.write(entry) != entry.size()) {
            // Cut off the partial entry so that the records before it stay readable, and give
            // up on the rest: the disk is full or the file has gone away.
            if (!file.isSequential()) {
                file.resize(sizeBefore);
            }
            break;
        }
        ++written;
    }
    return written;
}
