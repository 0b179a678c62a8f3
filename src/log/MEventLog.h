#pragma once

#include <QString>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>

#include "log/MLog.h"

// The event log: a first-in, first-out queue of records and the binary file they are appended
// to. The log is active only while its file path is non-empty, and it starts inactive. Callers
// ask IsActive() before they build a record, so an inactive log costs one atomic load:
//
//     if (MEventLog::Global().IsActive()) {
//         MEventLog::Global().Queue(std::make_unique<MUserActionLog>(...));
//     }
//
// Logging never fails an operation: records that cannot be written are dropped silently. Every
// member may be called from any thread.
class MEventLog {
public:
    MEventLog();
    ~MEventLog();
    MEventLog(const MEventLog&) = delete;
    MEventLog& operator=(const MEventLog&) = delete;

    // The program's one event log.
    static MEventLog& Global();

    bool IsActive() const { return active_.load(std::memory_order_acquire); }
    QString Path() const;
    // An empty path switches the log off and drops any pending records.
    void SetPath(const QString& path);

    // Appends a record to the queue and, when flush is set, writes the queue at once. While the
    // log is inactive the record is dropped, so a caller that forgot to ask IsActive() cannot
    // make the queue grow without end.
    void Queue(std::unique_ptr<MLog> record, bool flush = true);
    // Appends every queued record to the log file, oldest first, and empties the queue. Returns
    // the number of records written; records that could not be written are lost.
    int WriteQueue();
    int PendingCount() const;

private:
    int WriteQueueLocked();

    std::atomic<bool> active_{false};
    mutable std::mutex mutex_;
    QString path_;
    std::deque<std::unique_ptr<MLog>> queue_;
};
