#include <gtest/gtest.h>

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/MFileName.h"

TEST(MFileName, BytesThatAreNotUtf8ComeBackAsTheyWere) {
    const QByteArray names[] = {
        "plain.txt",
        "caf\xc3\xa9.mp3",
        "song\xff.mp3",
        "\xe9t\xe9.wav",             // Latin-1
        "\xc3(.lrc",                 // cut sequence
        "\xed\xa0\x80.qlm",          // encoded surrogate
        "\xf0\x9f\x8e\xa4\xc0\xaf",  // emoji, overlong '/'
    };
    for (const QByteArray& bytes : names) {
        const QString name = MFileName::Decode(bytes);
        EXPECT_EQ(MFileName::Encode(name), bytes) << bytes.constData();
        EXPECT_EQ(MFileName::HasKeptBytes(name), !QByteArrayView(bytes).isValidUtf8());
    }
    EXPECT_EQ(MFileName::Decode("caf\xc3\xa9"), QStringLiteral("caf\u00e9"));
    EXPECT_EQ(MFileName::Absolute(MFileName::Decode("/a/./b/../c\xff")),
              MFileName::Decode("/a/c\xff"));
}

TEST(MFileName, QtOpensAFileWhoseNameIsNotUtf8) {
    QTemporaryDir dir;
    // QTemporaryDir cannot remove names that are not UTF-8.
    const auto removeAll =
        qScopeGuard([&] { std::filesystem::remove_all(QFile::encodeName(dir.path()).data()); });
    const QByteArray native = QFile::encodeName(dir.path()) + "/song\xff.txt";
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "hello", 5), 5);
    ::close(fd);
    const QString name = MFileName::Decode(native);
    QFile file(MFileName::Openable(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "hello");
    file.close();
    // Replaced the way a save replaces a file: the name now leads to the new one.
    const QByteArray staged = QFile::encodeName(dir.path()) + "/staged";
    QFile next(QString::fromUtf8(staged));
    ASSERT_TRUE(next.open(QIODevice::WriteOnly) && next.write("again") == 5);
    next.close();
    ASSERT_EQ(::rename(staged.constData(), native.constData()), 0);
    QFile reread(MFileName::Openable(name));
    ASSERT_TRUE(reread.open(QIODevice::ReadOnly));
    EXPECT_EQ(reread.readAll(), "again");
    // A file still to be made in a folder whose name is not UTF-8.
    const QByteArray folder = QFile::encodeName(dir.path()) + "/dir\xfe";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    QFile made(MFileName::Openable(MFileName::Decode(folder + "/new.txt")));
    ASSERT_TRUE(made.open(QIODevice::WriteOnly));
    made.close();
    EXPECT_EQ(::access((folder + "/new.txt").constData(), F_OK), 0);
}

TEST(MFileName, ANameShownByTheFileDialogFindsItsFile) {
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    // QTemporaryDir cannot remove names that are not UTF-8.
    const auto removeAll = qScopeGuard([&] { std::filesystem::remove_all(root.data()); });
    const auto make = [&](const QByteArray& name) {
        const int fd = ::open((root + name).constData(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    };
    ASSERT_EQ(::mkdir((root + "/old\xe9").constData(), 0755), 0);
    make("/song\xff.wav");
    make("/old\xe9/a\xfe.txt");
    make("/two\xfa.txt");
    make("/two\xfb.txt");
    make("/caf\xc3\xa9.txt");
    // What the dialog returns for a name: each byte that is not UTF-8 shown as U+FFFD.
    const auto shown = [&](const QByteArray& name) { return QFile::decodeName(root + name); };
    const auto found = [&](const QByteArray& name, bool mustExist) {
        QString path;
        const MStatus s = MFileName::FromShown(shown(name), mustExist, path);
        return s ? MFileName::Encode(path) : QByteArray("failed: ") + s.Text().toUtf8();
    };
    ASSERT_TRUE(shown("/song\xff.wav").contains(QChar::ReplacementCharacter));
    EXPECT_EQ(found("/song\xff.wav", true), root + "/song\xff.wav");
    EXPECT_EQ(found("/old\xe9/a\xfe.txt", true), root + "/old\xe9/a\xfe.txt");
    EXPECT_EQ(found("/caf\xc3\xa9.txt", true), root + "/caf\xc3\xa9.txt");
    // Saving: an existing file is the one shown; a new name keeps what was typed, in the folder
    // that is on the disk.
    EXPECT_EQ(found("/song\xff.wav", false), root + "/song\xff.wav");
    EXPECT_EQ(found("/old\xe9/new\xef\xbf\xbd.qlm", false), root + "/old\xe9/new\xef\xbf\xbd.qlm");
    // Never a guess: no file, or two files shown alike.
    EXPECT_TRUE(found("/gone\xff.wav", true).contains("was not found"));
    EXPECT_TRUE(found("/gone\xff/new.qlm", false).contains("was not found"));
    const QByteArray two = found("/two\xfa.txt", true);
    EXPECT_TRUE(two.contains("could be any of 2 files")) << two.constData();
}
