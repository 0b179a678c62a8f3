// Work folders: one per process, removed at its end, and left-overs of a killed process removed
// by the next one.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "base/MWorkFolder.h"

TEST(MWorkFolder, OwnFilesGoWithTheFolderAndStaleFoldersGoNextTime) {
    QTemporaryDir parent;
    // What a process killed during an export leaves: its folder with an unlocked lock file.
    const QString dead = parent.filePath("quilm-work-dead01");
    ASSERT_TRUE(QDir().mkpath(dead));
    QFile(dead + "/owner.lock").open(QIODevice::WriteOnly);
    QFile(dead + "/song-abc.wav").open(QIODevice::WriteOnly);
    // Not ours: other names stay.
    const QString users = parent.filePath("quilm_music.wav");
    QFile(users).open(QIODevice::WriteOnly);

    QString path;
    QString file;
    {
        MWorkFolder folder(parent.path());
        ASSERT_TRUE(folder.IsValid());
        EXPECT_FALSE(QFileInfo::exists(dead));
        path = folder.Path();
        file = folder.NewFile(QStringLiteral("My Song/1"), QStringLiteral(".wav"));
        EXPECT_TRUE(QFileInfo(file).fileName().startsWith("My_Song_1-"));
        EXPECT_TRUE(file.endsWith(".wav"));
        EXPECT_NE(file, folder.NewFile(QStringLiteral("My Song/1"), QStringLiteral(".wav")));
        // A live folder, even of this process, is never taken for stale.
        MWorkFolder other(parent.path());
        EXPECT_TRUE(QFileInfo::exists(file));
        EXPECT_EQ(MWorkFolder::RemoveStale(parent.path()), 0);
    }
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(QFileInfo::exists(users));
}
