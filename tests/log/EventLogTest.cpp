// The event log: what reaches the file, in which order, and what happens when it cannot.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstring>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/resource.h>

#include "log/MDataDumpLog.h"
#include "log/MEventLog.h"
#include "log/MKaraokeLineDumpLog.h"
#include "log/MLogEvents.h"
#include "log/MSongSettingsDumpLog.h"
#include "log/MTextMsgLog.h"
#include "log/MUserActionLog.h"

namespace {

struct Entry {
    uint8_t type;
    int64_t time;
    QByteArray payload, message;
};

// Reads a log file back the way a support tool would.
std::vector<Entry> ReadLog(const QString& path) {
    QFile f(path);
    const QByteArray b = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    std::vector<Entry> entries;
    qsizetype at = 0;
    auto sized = [&](QByteArray& to) {
        const int32_t n = at + 4 <= b.size() ? qFromLittleEndian<int32_t>(b.constData() + at) : 0;
        to = b.mid(at + 4, n);
        at += 4 + n;
    };
    while (at + 16 <= b.size() && b.mid(at, 3) == "LOG") {
        Entry e{uint8_t(b[at + 3]), qFromLittleEndian<int64_t>(b.constData() + at + 4), {}, {}};
        at += 12;
        if (e.type == 'U') {
            e.payload = b.mid(at++, 1);
        } else if (QByteArray("TDSL").contains(char(e.type))) {
            sized(e.payload);
        }
        sized(e.message);
        entries.push_back(e);
    }
    EXPECT_EQ(at, b.size()) << "the file holds whole entries only";
    return entries;
}

class EventLog : public ::testing::Test {
protected:
    QString LogPath() const { return dir_.filePath(QStringLiteral("events.log")); }
    QTemporaryDir dir_;
    MEventLog log_;
};

}  // namespace

TEST_F(EventLog, UserActionEntryHasTheExactLayout) {
    log_.SetPath(LogPath());
    log_.Queue(std::make_unique<MUserActionLog>(MLogEvents::kActionSettings,
                                                MLogEvents::kSettingsOk, 0x0102030405060708));
    QFile f(LogPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("LOG\x55\x08\x07\x06\x05\x04\x03\x02\x01\x06\x0b\0\0\0", 17) +
                               "Settings-OK");
}

TEST_F(EventLog, EveryRecordTypeIsAppendedInQueueOrder) {
    {
        QFile f(LogPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(MUserActionLog(0, QStringLiteral("earlier"), 4).Entry());
    }
    log_.SetPath(LogPath());
    const QString text = QStringLiteral("Grüß dich\nzweite Zeile");
    const QByteArray binary("\x00\xff\x10\x00zz", 6);
    log_.Queue(std::make_unique<MTextMsgLog>(text, MLogEvents::kImportLyrics, 5), false);
    log_.Queue(std::make_unique<MDataDumpLog>(binary, MLogEvents::kWriteRwData, 6), false);
    log_.Queue(std::make_unique<MSongSettingsDumpLog>("settings", MLogEvents::kSettingsInitDlg, 7),
               false);
    log_.Queue(
        std::make_unique<MKaraokeLineDumpLog>("lines", MLogEvents::kCalcLineAndPageNumbers, 8),
        false);
    log_.Queue(std::make_unique<MLog>('Q', QStringLiteral("unknown type"), 9), false);
    EXPECT_EQ(log_.PendingCount(), 5);
    const int64_t before = QDateTime::currentSecsSinceEpoch();
    log_.Queue(
        std::make_unique<MUserActionLog>(MLogEvents::kActionAddMusic, MLogEvents::kAddMusic));
    EXPECT_EQ(log_.PendingCount(), 0);

    const auto e = ReadLog(LogPath());
    ASSERT_EQ(e.size(), 7u);
    const QByteArray types[] = {"U", "T", "D", "S", "L", "Q", "U"};
    const QByteArray payloads[] = {QByteArray(1, 0), text.toUtf8(), binary, "settings", "lines", "",
                                   QByteArray(1, 0)};
    for (size_t i = 0; i < e.size(); ++i) {
        EXPECT_EQ(QByteArray(1, char(e[i].type)), types[i]) << i;
        EXPECT_EQ(e[i].payload, payloads[i]) << i;
        if (i < 6) {
            EXPECT_EQ(e[i].time, static_cast<int64_t>(4 + i));
        }
    }
    EXPECT_EQ(e[0].message, "earlier");
    EXPECT_EQ(e[1].message, "Import Lyrics");
    EXPECT_EQ(e[6].message, "Add Music");
    EXPECT_GE(e[6].time, before);
    EXPECT_LE(e[6].time, QDateTime::currentSecsSinceEpoch());
}

TEST_F(EventLog, DumpKeepsItsOwnCopyOfTheBlock) {
    char source[] = "before";
    MDataDumpLog fromPointer(source, 6, QStringLiteral("p"));
    MDataDumpLog fromRaw(QByteArray::fromRawData(source, 6), QStringLiteral("r"));
    std::memcpy(source, "after!", 6);
    EXPECT_EQ(fromPointer.Block(), "before");
    EXPECT_EQ(fromRaw.Block(), "before");
}

TEST_F(EventLog, InactiveLogTouchesNothing) {
    EXPECT_FALSE(MEventLog::Global().IsActive()) << "the program's log starts switched off";
    log_.Queue(std::make_unique<MUserActionLog>(0, QStringLiteral("x")), false);
    EXPECT_EQ(log_.PendingCount(), 0) << "records are not kept while the log is off";
    EXPECT_EQ(log_.WriteQueue(), 0);

    // Switching off drops what is still pending.
    log_.SetPath(LogPath());
    log_.Queue(std::make_unique<MUserActionLog>(0, QStringLiteral("x")), false);
    log_.SetPath(QString());
    EXPECT_FALSE(log_.IsActive());
    EXPECT_EQ(log_.PendingCount(), 0);
    EXPECT_TRUE(QDir(dir_.path()).isEmpty());
}

TEST_F(EventLog, WriteFailuresLoseRecordsButLeaveWholeEntries) {
    log_.SetPath(dir_.path());  // a folder cannot be opened as the log
    log_.Queue(std::make_unique<MUserActionLog>(0, QStringLiteral("x")), false);
    EXPECT_EQ(log_.WriteQueue(), 0);
    EXPECT_EQ(log_.PendingCount(), 0) << "the queue does not grow while the file is unusable";

    // A file size limit stands in for a full disk: the write that crosses it fails part way.
    log_.SetPath(LogPath());
    log_.Queue(std::make_unique<MTextMsgLog>(QString(50, QLatin1Char('a')), QStringLiteral("1")));
    struct sigaction ignore = {}, previous = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved = {};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = static_cast<rlim_t>(QFileInfo(LogPath()).size() + 60);  // one more entry
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    for (const char* m : {"2", "3"}) {
        log_.Queue(std::make_unique<MTextMsgLog>(QString(20, QLatin1Char('b')), m), false);
    }
    const int written = log_.WriteQueue();
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_EQ(written, 1);
    const auto entries = ReadLog(LogPath());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].message, "2");
}

TEST_F(EventLog, RecordsFromManyThreadsStayWholeAndInOrder) {
    log_.SetPath(LogPath());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([this, t] {
            for (int i = 0; i < 200; ++i) {
                log_.Queue(std::make_unique<MDataDumpLog>(QByteArray(100 + i, char('a' + t)),
                                                          QString::number(t), i),
                           i % 3 == 0);
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    log_.WriteQueue();
    const auto entries = ReadLog(LogPath());
    ASSERT_EQ(entries.size(), 800u);
    std::vector<int> next(4, 0);
    for (const auto& e : entries) {
        const int t = e.message.toInt();
        ASSERT_EQ(e.time, next[t]);
        EXPECT_EQ(e.payload, QByteArray(100 + next[t]++, char('a' + t)));
    }
}
