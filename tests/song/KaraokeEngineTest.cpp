// The engine's start-up: the font dictionary and its trace lines.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "log/MTraceLog.h"
#include "song/MKaraokeEngine.h"

TEST(KaraokeEngine, InitializeBuildsTheFontDictionaryAndTracesIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.log"));
    ASSERT_TRUE(MTraceLog::Global().Open(path, 1024));
    EXPECT_TRUE(MKaraokeEngine::MKaraoke_Initialize());
    MTraceLog::Global().Close();
    const auto fonts = MKaraokeEngine::FontDictionary();
    EXPECT_TRUE(fonts.count(QStringLiteral("Liberation Sans"))) << "the face Arial resolves to";
    EXPECT_EQ(fonts.at(QStringLiteral("Liberation Sans")), MKaraokeEngine::kAnsiCharset);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[0].endsWith("] MKaraoke_Initialize - enter"));
    EXPECT_TRUE(lines[1].endsWith("] MKaraoke_Initialize - Loaded Font Dictionary"));
    EXPECT_TRUE(lines[3].endsWith("] MKaraoke_Initialize - exit"));
}
