#include "base/MFileName.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QMutex>

#include <climits>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char16_t kFirstKept = 0xDC80;
constexpr char16_t kLastKept = 0xDCFF;

// The length of the UTF-8 sequence at p (at most n bytes there) and its code point, or 0 when
// the bytes are not a valid sequence.
int Sequence(const uint8_t* p, qsizetype n, char32_t& cp) {
    const uint8_t b = p[0];
    const int length = b < 0x80                 ? 1
                       : b >= 0xC2 && b <= 0xDF ? 2
                       : b >= 0xE0 && b <= 0xEF ? 3
                       : b >= 0xF0 && b <= 0xF4 ? 4
                                                : 0;
    if (length == 0 || length > n) {
        return 0;
    }
    cp = length == 1 ? b : b & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (p[k] & 0x3F);
    }
    const bool shortest = length < 3 || (length == 3 ? cp >= 0x800 : cp >= 0x10000);
    const bool scalar = cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
    return shortest && scalar ? length : 0;
}

bool Exists(const QString& path) {
    struct stat st {};
    return ::lstat(MFileName::Encode(path).constData(), &st) == 0;
}

// The entries of folder (in the file system's bytes) that Qt shows as shown.
QList<QByteArray> EntriesShownAs(const QString& folder, const QString& shown) {
    QList<QByteArray> found;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(
        ::opendir(MFileName::Encode(folder.isEmpty() ? QStringLiteral(".") : folder).constData()),
        ::closedir);
    if (dir == nullptr) {
        return found;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray bytes(entry->d_name);
        if (QFile::decodeName(bytes) == shown) {
            found << bytes;
        }
    }
    return found;
}

bool IsKept(QStringView name, qsizetype i) {
    const char16_t c = name[i].unicode();
    return c >= kFirstKept && c <= kLastKept && (i == 0 || !name[i - 1].isHighSurrogate());
}

}  // namespace

QString MFileName::Decode(QByteArrayView bytes) {
    if (bytes.isValidUtf8()) {
        return QString::fromUtf8(bytes);
    }
    QString name;
    name.reserve(bytes.size());
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    for (qsizetype i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const int length = Sequence(p + i, bytes.size() - i, cp);
        if (length == 0) {
            name += QChar(static_cast<char16_t>(0xDC00 + p[i]));
            ++i;
        } else {
            name += QStringView(QChar::fromUcs4(cp));
            i += length;
        }
    }
    return name;
}

QByteArray MFileName::Encode(QStringView name) {
    QByteArray bytes;
    qsizetype run = 0;  // start of the text not yet encoded
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (IsKept(name, i)) {
            bytes += name.sliced(run, i - run).toUtf8();
            bytes += static_cast<char>(name[i].unicode() - 0xDC00);
            run = i + 1;
        }
    }
    return run == 0 ? name.toUtf8() : bytes + name.sliced(run).toUtf8();
}

QString MFileName::Absolute(const QString& path) {
    if (path.startsWith(u'/')) {
        return QDir::cleanPath(path);
    }
    char cwd[PATH_MAX];
    const QString here = ::getcwd(cwd, sizeof(cwd)) != nullptr ? Decode(cwd) : QDir::currentPath();
    return QDir::cleanPath(here + u'/' + path);
}

bool MFileName::HasKeptBytes(QStringView name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (IsKept(name, i)) {
            return true;
        }
    }
    return false;
}

QString MFileName::Openable(const QString& name) {
    if (!HasKeptBytes(name)) {
        return name;
    }
    static QMutex mutex;
    static QHash<QString, int> open;  // kept for the whole run: the paths stay valid
    const QMutexLocker lock(&mutex);
    const auto alias = [](int fd) { return QStringLiteral("/proc/self/fd/%1").arg(fd); };
    // A kept descriptor stands for the name only while the name still leads to the same file: a
    // save that replaced the file, or a move or delete, leaves it on the old one.
    const auto current = [&](const QString& key) {
        const auto it = open.find(key);
        if (it == open.end()) {
            return -1;
        }
        struct stat byName {};
        struct stat byFd {};
        if (::stat(Encode(key).constData(), &byName) == 0 && ::fstat(*it, &byFd) == 0 &&
            byName.st_dev == byFd.st_dev && byName.st_ino == byFd.st_ino) {
            return *it;
        }
        ::close(*it);
        open.erase(it);
        return -1;
    };
    if (const int kept = current(name); kept >= 0) {
        return alias(kept);
    }
    int fd = ::open(Encode(name).constData(), O_PATH | O_CLOEXEC);
    if (fd >= 0) {
        open.insert(name, fd);
        return alias(fd);
    }
    // A file still to be made: its folder stands for the part that is not UTF-8.
    const qsizetype slash = name.lastIndexOf(u'/');
    const QString last = name.sliced(slash + 1);
    if (slash < 0 || HasKeptBytes(last)) {
        return name;
    }
    const QString folder = slash == 0 ? QStringLiteral("/") : name.first(slash);
    if (const int kept = current(folder); kept >= 0) {
        return alias(kept) + u'/' + last;
    }
    fd = ::open(Encode(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return name;
    }
    open.insert(folder, fd);
    return alias(fd) + u'/' + last;
}

MStatus MFileName::FromShown(const QString& shown, bool mustExist, QString& path) {
    constexpr QChar kShownForByte = QChar::ReplacementCharacter;
    if (!shown.contains(kShownForByte) || Exists(shown)) {
        path = shown;
        return MStatus::Ok();
    }
    const QStringList parts = Absolute(shown).split(u'/', Qt::SkipEmptyParts);
    QString resolved;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        const QString folder = resolved.isEmpty() ? QStringLiteral("/") : resolved;
        resolved += u'/' + part;
        if (!part.contains(kShownForByte) || Exists(resolved)) {
            continue;
        }
        const QList<QByteArray> found = EntriesShownAs(folder, part);
        if (found.size() == 1) {
            resolved.chop(part.size());
            resolved += Decode(found.constFirst());
        } else if (found.size() > 1) {
            return MStatus::Failure(
                QStringLiteral("%1 could be any of %2 files whose names differ only in characters "
                               "that cannot be shown. Rename them so that they can be told apart.")
                    .arg(shown)
                    .arg(found.size()),
                MStatus::Icon::Warning);
        } else if (mustExist || i + 1 < parts.size()) {
            return MStatus::Failure(
                QStringLiteral("%1 was not found: its name holds characters that cannot be "
                               "shown. Rename the file or its folder and choose it again.")
                    .arg(shown),
                MStatus::Icon::Warning);
        }
        // Otherwise a new name typed by the user, kept as typed.
    }
    path = resolved;
    return MStatus::Ok();
}
