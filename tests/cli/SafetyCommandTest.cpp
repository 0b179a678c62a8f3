// What quilm-cli does around the files: targets that are devices, pipes, links, inputs or
// read-only; damaged projects; inputs that never end; signals in the middle of an export; a full
// disk. Whatever happens, the user's files stay as they were.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <csignal>
#include <functional>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include "audio/AudioFixtures.h"
#include "base/MFileName.h"
#include "song/MSongSettings.h"
#include "support/CliRunner.h"

namespace {

const QString kCli = QStringLiteral(QUILM_CLI_PATH);

// The exit code and the peak memory of one run, measured by the kernel for that process alone.
struct Measured {
    int exitCode = -1;
    int64_t peakBytes = 0;
    qint64 elapsedMs = 0;
};

Measured RunMeasured(const QStringList& args) {
    std::vector<QByteArray> bytes{QFile::encodeName(kCli)};
    for (const QString& a : args) {
        bytes.push_back(MFileName::Encode(a));
    }
    std::vector<char*> argv;
    for (QByteArray& b : bytes) {
        argv.push_back(b.data());
    }
    argv.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    Measured m;
    int status = 0;
    struct rusage usage {};
    if (pid > 0 && ::wait4(pid, &status, 0, &usage) == pid) {
        m.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        m.peakBytes = static_cast<int64_t>(usage.ru_maxrss) * 1024;
    }
    m.elapsedMs = timer.elapsed();
    return m;
}

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

bool IsRoot() {
    return ::geteuid() == 0;
}

// A project whose music is a tone of the given length with timed lyrics; work files go to a
// temporary folder of the test's own.
class SafetyCli : public ::testing::Test {
protected:
    void SetUp() override {
        oldTmpDir_ = qgetenv("TMPDIR");
        QDir().mkpath(Path("tmp"));
        QDir().mkpath(Path("out"));
        qputenv("TMPDIR", QFile::encodeName(Path("tmp")));
    }
    void TearDown() override { qputenv("TMPDIR", oldTmpDir_); }

    void MakeProject(int seconds, const std::function<void(MSongSettings&)>& damage = {}) {
        const QString wav = Path("music.wav");
        if (!QFile::exists(wav) || seconds != musicSeconds_) {
            QFile::remove(wav);
            AudioFixtures::Run(
                QStringLiteral("ffmpeg"),
                {"-f", "lavfi", "-i", QStringLiteral("sine=frequency=330:duration=%1").arg(seconds),
                 "-ac", "2", wav});
            musicSeconds_ = seconds;
        }
        MSongSettings song(Path("song.qlm"));
        song.ResetToNewProject();
        song.rawLyrics = QStringLiteral("One two three\nFour five six\nSeven eight nine");
        song.musicFile = wav;
        song.GenerateKaraokeLineList(true, false);
        int32_t t = 2 * 44100;
        for (auto& line : song.lineList) {
            for (auto& w : line->words) {
                w->startTime = t;
                w->endTime = t + 20000;
                t += 22050;
            }
            line->placed = line->HasWords();
        }
        song.FindPage(IMAGE_STRUCT::kCreditsPage)->enabled = true;
        song.FindPage(IMAGE_STRUCT::kCreditsPage)->text = QStringLiteral("Thanks");
        if (damage) {
            damage(song);
        }
        ASSERT_TRUE(song.SaveProject().IsOk());
    }

    QString Path(const QString& name) const { return dir_.filePath(name); }
    static CliRun Cli(const QStringList& args) { return CliRunner::Run(kCli, args, 60000); }
    static QStringList Hidden(const QString& folder) {
        return QDir(folder).entryList({".quilm-part-*"}, QDir::Files | QDir::Hidden);
    }

    QTemporaryDir dir_;
    QByteArray oldTmpDir_;
    int musicSeconds_ = 0;
};

}  // namespace

TEST_F(SafetyCli, TargetsThatAreNotPlainFilesOrAreInputsAreNeverReplaced) {
    MakeProject(10);
    const QString project = Path("song.qlm");
    const QByteArray projectBytes = Read(project);
    const QByteArray musicBytes = Read(Path("music.wav"));

    // A device node of our own (as root) and a pipe are refused and stay what they were.
    QStringList specials;
    if (IsRoot()) {
        ASSERT_EQ(::mknod(QFile::encodeName(Path("out/null.bin")).constData(), S_IFCHR | 0666,
                          makedev(1, 3)),
                  0);
        specials << Path("out/null.bin");
    }
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("out/pipe.bin")).constData(), 0644), 0);
    specials << Path("out/pipe.bin");
    for (const QString& target : specials) {
        for (const QStringList& args :
             {QStringList{"export", project, "--type", "bin", "--force", "-o", target},
              QStringList{"render", project, "-o", target}}) {
            const CliRun r = Cli(args);
            EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
            EXPECT_TRUE(r.err.contains("not a regular file")) << r.err.toStdString();
        }
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(target).constData(), &st), 0);
        EXPECT_FALSE(S_ISREG(st.st_mode)) << target.toStdString();
    }

    // Inputs are never outputs, whatever the command.
    const QStringList inputs[] = {
        {"export", project, "--type", "mp3", "-o", Path("music.wav")},
        {"export", project, "--type", "bin", "-o", project},
        {"render", project, "-o", project},
        {"render", project, "-o", Path("music.wav")},
        {"new", "--music", Path("music.wav"), "-o", Path("music.wav"), "--force"},
    };
    for (const QStringList& args : inputs) {
        // Refused as an input, or earlier for a name that does not fit the type.
        const CliRun r = Cli(args);
        EXPECT_NE(r.exitCode, 0) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("is one of the files") || r.exitCode == 2)
            << r.err.toStdString();
    }
    EXPECT_EQ(Read(project), projectBytes);
    EXPECT_EQ(Read(Path("music.wav")), musicBytes);

    // A link is followed: the file it points to is replaced, the link stays.
    ASSERT_TRUE(Write(Path("real.bin"), "old"));
    ASSERT_TRUE(Write(Path("real.cdg"), "old"));
    ASSERT_TRUE(QFile::link(Path("real.bin"), Path("out/link.bin")));
    ASSERT_TRUE(QFile::link(Path("real.cdg"), Path("out/link.cdg")));
    ASSERT_EQ(
        Cli({"export", project, "--type", "bin", "--force", "-o", Path("out/link.bin")}).exitCode,
        0);
    ASSERT_EQ(Cli({"render", project, "-o", Path("out/link.cdg")}).exitCode, 0);
    for (const QString& name : {QStringLiteral("bin"), QStringLiteral("cdg")}) {
        EXPECT_TRUE(QFileInfo(Path("out/link." + name)).isSymLink());
        EXPECT_GT(QFileInfo(Path("real." + name)).size(), 1000);
    }

    // A read-only file is replaced only with --force, and keeps its permissions either way.
    ASSERT_TRUE(Write(Path("out/ro.bin"), "old"));
    ::chmod(QFile::encodeName(Path("out/ro.bin")).constData(), 0400);
    const CliRun refused = Cli({"export", project, "--type", "bin", "-o", Path("out/ro.bin")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("read-only") || refused.err.contains("--force"))
        << refused.err.toStdString();
    EXPECT_EQ(Read(Path("out/ro.bin")), "old");
    ASSERT_EQ(
        Cli({"export", project, "--type", "bin", "--force", "-o", Path("out/ro.bin")}).exitCode, 0);
    EXPECT_GT(QFileInfo(Path("out/ro.bin")).size(), 1000);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(Path("out/ro.bin")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0400u);
    EXPECT_TRUE(Hidden(Path("out")).isEmpty());
}

TEST_F(SafetyCli, DamagedProjectsFailWithinTheMemoryOfTheirMusic) {
    // Five minutes of music: 53 MB, of which render, export and play may use twice.
    const std::vector<std::pair<const char*, std::function<void(MSongSettings&)>>> damages = {
        {"lines per page", [](MSongSettings& s) { s.header.linesPerPage = 0x40000004; }},
        {"word times",
         [](MSongSettings& s) { s.lineList[0]->words[0]->endTime = 0x7f000000 + 88200; }},
        {"shows for",
         [](MSongSettings& s) { s.FindPage(IMAGE_STRUCT::kCreditsPage)->displayTime = 1 << 30; }},
        {"sweep advance", [](MSongSettings& s) { s.header.advanceSweep = -(1 << 28); }},
    };
    for (const auto& [what, damage] : damages) {
        MakeProject(300, damage);
        const int64_t limit = 2 * QFileInfo(Path("music.wav")).size();
        const CliRun info = Cli({"info", Path("song.qlm")});
        EXPECT_EQ(info.exitCode, 0);
        EXPECT_TRUE(info.out.contains(QStringLiteral("damage: ")) && info.out.contains(what))
            << info.out.toStdString();
        for (const QStringList& args :
             {QStringList{"render", Path("song.qlm"), "-o", Path("out/x.cdg")},
              QStringList{"export", Path("song.qlm"), "--type", "bin", "-o", Path("out/x.bin")},
              QStringList{"play", Path("song.qlm"), "--to", "1"}}) {
            const Measured m = RunMeasured(args);
            EXPECT_EQ(m.exitCode, 1) << what << ": " << args.join(' ').toStdString();
            EXPECT_LT(m.peakBytes, limit) << what << ": " << args.join(' ').toStdString();
        }
        EXPECT_TRUE(QDir(Path("out")).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
}

TEST_F(SafetyCli, InputsThatNeverEndAreRefusedAtOnce) {
    MakeProject(5);
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("pipe")).constData(), 0644), 0);
    for (const QString& ext : {QStringLiteral("mp3"), QStringLiteral("wav"), QStringLiteral("lrc"),
                               QStringLiteral("cdg"), QStringLiteral("qlm")}) {
        ASSERT_TRUE(QFile::link(Path("pipe"), Path("pipe." + ext)));
        ASSERT_TRUE(QFile::link("/dev/zero", Path("zero." + ext)));
    }
    // A huge zero-filled file (sparse: it takes no room) as music.
    {
        QFile huge(Path("huge.mp3"));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(3LL << 30));
    }
    for (const QString& source : {QStringLiteral("pipe"), QStringLiteral("zero")}) {
        const QStringList runs[] = {
            {"new", "-o", Path("out/a.qlm"), "--music", Path(source + ".mp3")},
            {"new", "-o", Path("out/a.qlm"), "--music", Path(source + ".wav")},
            {"new", "-o", Path("out/a.qlm"), "--lyrics", Path(source + ".lrc")},
            {"cdg", "info", Path(source + ".cdg")},
            {"cdg", "frame", Path(source + ".cdg"), "--at", "1", "-o", Path("out/a.png")},
            {"info", Path(source + ".qlm")},
            {"render", Path(source + ".qlm"), "-o", Path("out/a.cdg")},
            {"play", Path(source + ".wav")},
        };
        for (const QStringList& args : runs) {
            const CliRun r = CliRunner::Run(kCli, args, 10000);
            EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString() << r.err.toStdString();
            EXPECT_LT(r.elapsedMs, 2000) << args.join(' ').toStdString();
        }
    }
    const CliRun huge =
        CliRunner::Run(kCli, {"new", "-o", Path("out/b.qlm"), "--music", Path("huge.mp3")}, 20000);
    EXPECT_EQ(huge.exitCode, 1);
    EXPECT_LT(huge.elapsedMs, 5000);

    // A lyric file over the size limit says so.
    ASSERT_TRUE(Write(Path("big.lrc"), QByteArray(5 << 20, 'a')));
    const CliRun big = Cli({"new", "-o", Path("out/c.qlm"), "--lyrics", Path("big.lrc")});
    EXPECT_TRUE(big.err.contains("larger than 4 MB")) << big.err.toStdString();

    // A WAV whose data block is empty or one byte long plays to its end at once.
    for (const int dataBytes : {0, 1}) {
        QByteArray wav("RIFF....WAVEfmt ");
        const quint32 format[] = {16, 0x00020001, 44100, 44100 * 4, 0x00100004};
        for (const quint32 v : format) {
            wav.append(QByteArray(4, '\0'));
            qToLittleEndian<quint32>(v, wav.data() + wav.size() - 4);
        }
        wav.append("data....").append(QByteArray(dataBytes, '\0'));
        qToLittleEndian<quint32>(36 + dataBytes, wav.data() + 4);
        qToLittleEndian<quint32>(dataBytes, wav.data() + 40);
        ASSERT_TRUE(Write(Path("short.wav"), wav));
        const CliRun play = CliRunner::Run(kCli, {"play", Path("short.wav")}, 10000);
        EXPECT_NE(play.err, "timed out");
        EXPECT_LT(play.elapsedMs, 3000);
    }
    EXPECT_TRUE(QDir(Path("out")).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(SafetyCli, SignalsLeaveThePreviousFileAndKilledRunsAreCleanedUp) {
    MakeProject(180);
    struct Export {
        QString target;
        QStringList args;
    };
    const Export exports[] = {
        {Path("out/song.bin"), {"export", Path("song.qlm"), "--type", "bin", "--force"}},
        {Path("out/song.zip"), {"export", Path("song.qlm"), "--type", "mp3", "--zip", "--force"}},
    };
    for (const Export& e : exports) {
        const QStringList args = e.args + QStringList{"-o", e.target};
        QElapsedTimer timer;
        timer.start();
        ASSERT_EQ(Cli(args).exitCode, 0);
        const qint64 fullMs = timer.elapsed();
        ASSERT_TRUE(Write(e.target, "previous"));
        // Early, in the middle and near the end (a zipped export packs last).
        const std::pair<int, double> moments[] = {
            {SIGINT, 0.15}, {SIGTERM, 0.5}, {SIGHUP, 0.85}, {SIGINT, 0.95}, {SIGTERM, 0.97}};
        int stopped = 0;
        for (const auto& [signal, share] : moments) {
            QProcess p;
            p.start(kCli, args);
            ASSERT_TRUE(p.waitForStarted());
            QThread::msleep(static_cast<unsigned long>(fullMs * share));
            ::kill(static_cast<pid_t>(p.processId()), signal);
            ASSERT_TRUE(p.waitForFinished(60000));
            if (p.exitCode() == 0 && p.exitStatus() == QProcess::NormalExit) {
                ASSERT_TRUE(Write(e.target, "previous"));  // finished first
                continue;
            }
            ++stopped;
            EXPECT_EQ(p.exitCode(), 128 + signal);
            const QString err = QString::fromLocal8Bit(p.readAllStandardError());
            EXPECT_TRUE(err.trimmed().split('\n').last().contains("stopped by signal") ||
                        !err.contains("quilm-cli"))
                << err.toStdString();
            EXPECT_EQ(Read(e.target), "previous");
            EXPECT_TRUE(Hidden(Path("out")).isEmpty());
        }
        EXPECT_GE(stopped, 2) << e.target.toStdString() << " takes " << fullMs << " ms";
    }

    // A killed run leaves a part named after its process, which the next run removes.
    QProcess p;
    p.start(kCli, exports[0].args + QStringList{"-o", exports[0].target});
    ASSERT_TRUE(p.waitForStarted());
    for (int i = 0; i < 400 && Hidden(Path("out")).isEmpty(); ++i) {
        QThread::msleep(10);
    }
    const qint64 pid = p.processId();
    p.kill();
    p.waitForFinished();
    ASSERT_EQ(Hidden(Path("out")).size(), 1);
    EXPECT_TRUE(Hidden(Path("out"))[0].startsWith(QStringLiteral(".quilm-part-%1-").arg(pid)));
    ASSERT_EQ(Cli({"render", Path("song.qlm"), "-o", Path("out/song.cdg")}).exitCode, 0);
    EXPECT_TRUE(Hidden(Path("out")).isEmpty());
}

TEST_F(SafetyCli, AFullDiskSaysSoWithThePath) {
    if (!IsRoot()) {
        GTEST_SKIP() << "mounting a small file system needs root";
    }
    MakeProject(30);
    const QString small = Path("small");
    QDir().mkpath(small);
    if (::mount("tmpfs", QFile::encodeName(small).constData(), "tmpfs", 0, "size=100k") != 0) {
        GTEST_SKIP() << "tmpfs cannot be mounted here";
    }
    const QStringList runs[] = {
        {"export", Path("song.qlm"), "--type", "bin", "-o", small + "/song.bin"},
        {"export", Path("song.qlm"), "--type", "mp3", "-o", small + "/song.mp3"},
        {"export", Path("song.qlm"), "--type", "mp3", "--zip", "-o", small + "/song.zip"},
        {"render", Path("song.qlm"), "-o", small + "/song.cdg"},
    };
    for (const QStringList& args : runs) {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString();
        const QString last = r.err.trimmed().split('\n').last();
        EXPECT_TRUE(last.contains("No space left on device") && last.contains(small))
            << last.toStdString();
    }
    EXPECT_TRUE(QDir(small).entryList(QDir::Files | QDir::Hidden).isEmpty());
    ::umount(QFile::encodeName(small).constData());
}

TEST_F(SafetyCli, NamesThatAreNotUtf8AreReadAndWrittenAsGiven) {
    MakeProject(5);
    const auto name = [this](const char* bytes) {
        return MFileName::Decode(MFileName::Encode(dir_.path()) + '/' + QByteArray(bytes));
    };
    // QTemporaryDir cannot remove names that are not UTF-8.
    const auto removeMade = qScopeGuard([&] {
        for (const char* made : {"m\xfd.wav", "l\xfe.lrc", "p\xff.qlm", "o\xff.cdg", "o\xfa.bin",
                                 "f\xff.png", "z\xff.zip"}) {
            ::unlink(MFileName::Encode(name(made)).constData());
        }
    });
    const auto exists = [](const QString& path) {
        return ::access(MFileName::Encode(path).constData(), F_OK) == 0;
    };
    ASSERT_TRUE(QFile::copy(Path("music.wav"), Path("m.wav")));
    ASSERT_EQ(::rename(MFileName::Encode(Path("m.wav")).constData(),
                       MFileName::Encode(name("m\xfd.wav")).constData()),
              0);
    ASSERT_TRUE(Write(Path("l.lrc"), "[00:01.00]One two\n[00:02.00]Three four\n"));
    ASSERT_EQ(::rename(MFileName::Encode(Path("l.lrc")).constData(),
                       MFileName::Encode(name("l\xfe.lrc")).constData()),
              0);
    const QStringList runs[] = {
        {"new", "-o", name("p\xff.qlm"), "--music", name("m\xfd.wav"), "--lyrics",
         name("l\xfe.lrc")},
        {"info", name("p\xff.qlm")},
        {"render", name("p\xff.qlm"), "-o", name("o\xff.cdg")},
        {"export", name("p\xff.qlm"), "--type", "bin", "-o", name("o\xfa.bin")},
        {"cdg", "frame", name("o\xff.cdg"), "--at", "2", "-o", name("f\xff.png")},
        {"export", name("p\xff.qlm"), "--type", "mp3", "--zip", "-o", name("z\xff.zip")},
        {"export", name("p\xff.qlm"), "--type", "mp3", "--zip", "-o", name("z\xc3\xa9.zip")},
    };
    for (const QStringList& args : runs) {
        EXPECT_EQ(RunMeasured(args).exitCode, 0) << MFileName::Encode(args.join(' ')).constData();
    }
    for (const char* made : {"p\xff.qlm", "o\xff.cdg", "o\xfa.bin", "f\xff.png", "z\xff.zip"}) {
        EXPECT_TRUE(exists(name(made))) << made;
    }
    // The entries of a ZIP are named with the archive's bytes, flagged as UTF-8 only when they
    // are (as Python's zipfile reads them: the raw bytes and general purpose bit 11).
    const auto entries = [&](const char* zip) {
        QProcess python;
        python.start(QStringLiteral("python3"),
                     {"-c",
                      "import io, sys, zipfile\n"
                      "for i in zipfile.ZipFile(io.BytesIO(sys.stdin.buffer.read())).infolist():\n"
                      "    utf8 = i.flag_bits & 0x800\n"
                      "    print(i.filename.encode('utf-8' if utf8 else 'cp437').hex(), "
                      "bool(utf8))"});
        python.write(Read(MFileName::Openable(name(zip))));
        python.closeWriteChannel();
        return python.waitForFinished(30000) ? python.readAllStandardOutput().toStdString()
                                             : std::string();
    };
    const auto line = [](const QByteArray& bytes, bool utf8) {
        return bytes.toHex().toStdString() + (utf8 ? " True\n" : " False\n");
    };
    EXPECT_EQ(entries("z\xff.zip"), line("z\xff.mp3", false) + line("z\xff.cdg", false));
    EXPECT_EQ(entries("z\xc3\xa9.zip"), line("z\xc3\xa9.mp3", true) + line("z\xc3\xa9.cdg", true));
    // The project keeps the music's name as it is on the disk.
    MSongSettings song(name("p\xff.qlm"));
    ASSERT_TRUE(song.LoadProject().IsOk());
    EXPECT_EQ(MFileName::Encode(song.musicFile), MFileName::Encode(name("m\xfd.wav")));
    // Nothing was written under a name with replacement characters.
    for (const QString& entry : QDir(dir_.path()).entryList(QDir::Files)) {
        EXPECT_FALSE(entry.contains(QChar::ReplacementCharacter)) << entry.toStdString();
    }
}

TEST_F(SafetyCli, LyricsLongerThanASongAreRefusedInLittleMemory) {
    // 4 MB of one-letter lines: two million lines, far more than a song holds.
    QByteArray lines;
    lines.reserve(4 << 20);
    while (lines.size() < (4 << 20)) {
        lines += "a\n";
    }
    ASSERT_TRUE(Write(Path("lines.txt"), lines));
    const Measured m = RunMeasured({"new", "-o", Path("out/l.qlm"), "--lyrics", Path("lines.txt")});
    EXPECT_EQ(m.exitCode, 1);
    EXPECT_LT(m.peakBytes, 20 * lines.size());
    const CliRun r = Cli({"new", "-o", Path("out/l.qlm"), "--lyrics", Path("lines.txt")});
    EXPECT_TRUE(r.err.contains("too long for a song") && r.err.contains("at most 100000"))
        << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(Path("out/l.qlm")));
}
