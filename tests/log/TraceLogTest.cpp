// The trace log's lines and category mask, and how the logs are switched on.

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "log/MEventLog.h"
#include "log/MLogEvents.h"
#include "log/MLogSetup.h"
#include "log/MTraceLog.h"

TEST(TraceLog, LineFormat) {
    EXPECT_EQ(MTraceLog::FormatLine(QDateTime(QDate(2024, 3, 7), QTime(9, 5, 2)),
                                    MLogEvents::kTraceInitEnter),
              "[03/07/2024 09:05:02] MKaraoke_Initialize - enter\n");
    EXPECT_EQ(MTraceLog::FormatLine(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)),
                                    QStringLiteral("Früh")),
              QStringLiteral("[12/31/1999 23:59:59] Früh\n").toUtf8());
}

TEST(TraceLog, MaskSelectsCategories) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.txt"));
    MTraceLog trace;
    trace.Trace("closed", MTraceLog::kAlwaysCategory);
    EXPECT_FALSE(QFile::exists(path));

    ASSERT_TRUE(trace.Open(path, MLogEvents::kTraceInitialize));
    for (uint32_t category : {1024u, 1u, 0u, 1025u, 0xFFFFu}) {
        trace.Trace(QString::number(category), category);
    }
    trace.Close();
    trace.Trace("after close", MTraceLog::kAlwaysCategory);
    ASSERT_TRUE(trace.Open(path, 1));  // appends
    trace.Trace("1", 1);
    EXPECT_FALSE(trace.Open(dir.path())) << "a folder is not a trace file";
    EXPECT_FALSE(trace.IsActive());

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QStringList texts;
    const QRegularExpression line(QStringLiteral(R"(^\[\d\d/\d\d/\d{4} \d\d:\d\d:\d\d\] (.*)$)"));
    for (const QString& l : QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts)) {
        const auto m = line.match(l);
        EXPECT_TRUE(m.hasMatch()) << l.toStdString();
        texts << m.captured(1);
    }
    EXPECT_EQ(texts, QStringList({"1024", "1025", "65535", "1"}));
}

TEST(LogSetup, TraceSpecSplitsPathAndMask) {
    const std::tuple<const char*, const char*, uint32_t> cases[] = {
        {"/tmp/t.txt", "/tmp/t.txt", MTraceLog::kAllCategories},
        {"/tmp/t.txt:1024", "/tmp/t.txt", 1024},
        {"/tmp/t.txt:0x401", "/tmp/t.txt", 0x401},
        {"/tmp/a:b/t.txt", "/tmp/a:b/t.txt", MTraceLog::kAllCategories},
        {"/tmp/a:1/t.txt:0", "/tmp/a:1/t.txt", 0},
    };
    for (const auto& [setting, path, mask] : cases) {
        const auto t = MLogSetup::ParseTraceSetting(QString::fromUtf8(setting));
        EXPECT_EQ(t.path, QString::fromUtf8(path)) << setting;
        EXPECT_EQ(t.mask, mask) << setting;
    }
}

TEST(LogSetup, EnvironmentIsReadOnce) {
    QTemporaryDir dir;
    const QString events = dir.filePath(QStringLiteral("events.log"));
    qputenv("QUILM_EVENT_LOG", events.toUtf8());
    qputenv("QUILM_TRACE_LOG", dir.filePath(QStringLiteral("trace.txt:0x400")).toUtf8());
    MLogSetup::ApplyEnvironment();
    qunsetenv("QUILM_EVENT_LOG");
    qunsetenv("QUILM_TRACE_LOG");
    MLogSetup::ApplyEnvironment();

    EXPECT_EQ(MEventLog::Global().Path(), events);
    EXPECT_TRUE(MTraceLog::Global().IsActive());
    EXPECT_EQ(MTraceLog::Global().Mask(), 0x400u);
    MLogSetup::Apply(QString(), QString());
    EXPECT_FALSE(MEventLog::Global().IsActive());
    EXPECT_FALSE(MTraceLog::Global().IsActive());
}
