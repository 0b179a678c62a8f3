#pragma once

#include <QAnyStringView>
#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <atomic>
#include <cstdint>
#include <mutex>

// The trace log: a plain-text file of lines "[MM/DD/YYYY hh:mm:ss] text" in local time. It is
// active only while its file is open, and it starts closed. A line is written when its category
// shares a bit with the mask, or when its category is kAlwaysCategory. Callers that build their
// text ask IsActive() first. Every member may be called from any thread.
class MTraceLog {
public:
    static constexpr uint32_t kAlwaysCategory = 0xFFFF;
    static constexpr uint32_t kAllCategories = 0xFFFFFFFF;

    MTraceLog();
    ~MTraceLog();
    MTraceLog(const MTraceLog&) = delete;
    MTraceLog& operator=(const MTraceLog&) = delete;

    // The program's one trace log.
    static MTraceLog& Global();

    // Opens the file for appending (created when missing); false when it cannot be opened, and
    // the log is then closed.
    bool Open(const QString& path, uint32_t mask = kAllCategories);
    void Close();
    bool IsActive() const { return active_.load(std::memory_order_acquire); }
    uint32_t Mask() const;
    bool Accepts(uint32_t category) const;

    // Writes one line when the log is active and the category passes the mask. Each line goes
    // to the file at once, so a crash loses nothing that was traced before it.
    void Trace(QAnyStringView text, uint32_t category);

    // One line as it is written, with its newline.
    static QByteArray FormatLine(const QDateTime& localTime, QAnyStringView text);

private:
    std::atomic<bool> active_{false};
    mutable std::mutex mutex_;
    QFile file_;
    uint32_t mask_ = 0;
};
