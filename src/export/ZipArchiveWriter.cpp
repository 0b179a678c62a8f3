#include "export/ZipArchiveWriter.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include <minizip/zip.h>
#include <unistd.h>

#include "base/MFileName.h"
#include "base/MInterrupt.h"

namespace {

// minizip's file access, routed to the QFile that holds the temporary archive.
QFile* AsFile(voidpf stream) {
    return static_cast<QFile*>(stream);
}

voidpf ZipOpen(voidpf opaque, const void* /*filename*/, int /*mode*/) {
    return opaque;
}

uLong ZipRead(voidpf, voidpf stream, void* buf, uLong size) {
    const qint64 n = AsFile(stream)->read(static_cast<char*>(buf), static_cast<qint64>(size));
    return n < 0 ? 0 : static_cast<uLong>(n);
}

uLong ZipWrite(voidpf, voidpf stream, const void* buf, uLong size) {
    const qint64 n =
        AsFile(stream)->write(static_cast<const char*>(buf), static_cast<qint64>(size));
    return n < 0 ? 0 : static_cast<uLong>(n);
}

ZPOS64_T ZipTell(voidpf, voidpf stream) {
    return static_cast<ZPOS64_T>(AsFile(stream)->pos());
}

long ZipSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    QFile* f = AsFile(stream);
    qint64 base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) {
        base = f->pos();
    } else if (origin == ZLIB_FILEFUNC_SEEK_END) {
        base = f->size();
    } else if (origin != ZLIB_FILEFUNC_SEEK_SET) {
        return -1;
    }
    return f->seek(base + static_cast<qint64>(offset)) ? 0 : -1;
}

// The file stays open: the writer closes it once the archive is complete.
int ZipClose(voidpf, voidpf stream) {
    return AsFile(stream)->flush() ? 0 : -1;
}

int ZipError(voidpf, voidpf stream) {
    return AsFile(stream)->error() == QFileDevice::NoError ? 0 : 1;
}

uint32_t CodeFor(int minizipResult) {
    switch (minizipResult) {
        case ZIP_OK:
            return ZipArchiveWriter::kCodeOk;
        case ZIP_ERRNO:
            return ZipArchiveWriter::kCodeWrite;
        case ZIP_PARAMERROR:
            return ZipArchiveWriter::kCodeArgs;
        default:
            return ZipArchiveWriter::kCodeFailed;
    }
}

// The entry's date and time: the source's modification time, within the range a ZIP entry
// can hold.
tm_zip ZipTime(const QDateTime& modified) {
    QDateTime t = modified.isValid() ? modified.toLocalTime() : QDateTime::currentDateTime();
    const QDateTime first(QDate(1980, 1, 1), QTime(0, 0));
    const QDateTime last(QDate(2107, 12, 31), QTime(23, 59, 58));
    t = std::clamp(t, first, last);
    tm_zip z{};
    z.tm_sec = static_cast<uInt>(t.time().second());
    z.tm_min = static_cast<uInt>(t.time().minute());
    z.tm_hour = static_cast<uInt>(t.time().hour());
    z.tm_mday = static_cast<uInt>(t.date().day());
    z.tm_mon = static_cast<uInt>(t.date().month() - 1);
    z.tm_year = static_cast<uInt>(t.date().year());
    return z;
}

}  // namespace

ZipArchiveWriter::ZipArchiveWriter(QString targetPath, QStringList inputs)
    : targetPath_(std::move(targetPath)), inputs_(std::move(inputs)), stage_(targetPath_) {}

void ZipArchiveWriter::NoteFileError() {
    if (errorText_.isEmpty() && file_.error() != QFileDevice::NoError) {
        errorText_ = file_.errorString();
    }
}

ZipArchiveWriter::~ZipArchiveWriter() {
    Abandon();
}

bool ZipArchiveWriter::Open() {
    if (state_ != State::NotOpen || targetPath_.isEmpty()) {
        return false;
    }
    // A part of our own in the target's folder, so that the final rename stays on one file
    // system and replaces the target in one step.
    if (!stage_.Create(inputs_, true)) {
        return false;
    }
    file_.setFileName(stage_.TemporaryPath());
    if (!file_.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered)) {
        file_.setFileName(QString());
        stage_.Discard();
        return false;
    }
    zlib_filefunc64_def io{};
    io.zopen64_file = ZipOpen;
    io.zread_file = ZipRead;
    io.zwrite_file = ZipWrite;
    io.ztell64_file = ZipTell;
    io.zseek64_file = ZipSeek;
    io.zclose_file = ZipClose;
    io.zerror_file = ZipError;
    io.opaque = &file_;
    const QByteArray nativeName = QFile::encodeName(file_.fileName());
    zip_ = zipOpen2_64(nativeName.constData(), APPEND_STATUS_CREATE, nullptr, &io);
    if (zip_ == nullptr) {
        file_.close();
        file_.setFileName(QString());
        stage_.Discard();
        return false;
    }
    state_ = State::Open;
    return true;
}

bool ZipArchiveWriter::IsStoredName(const QString& entryName) {
    static const char* const kCompressed[] = {".z",   ".zip", ".zoo", ".arc",
                                              ".lzh", ".arj", ".gz",  ".tgz"};
    for (const char* ext : kCompressed) {
        if (entryName.endsWith(QLatin1String(ext), Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

uint32_t ZipArchiveWriter::AddFile(const QString& entryName, const QString& sourcePath) {
    switch (state_) {
        case State::NotOpen:
            return kCodeWrongMode;
        case State::Failed:
            return kCodeFailed;
        case State::Finished:
            return kCodeEnded;
        case State::Open:
            break;
    }
    QString name = entryName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (name.isEmpty()) {
        return kCodeArgs;
    }
    QFile source(MFileName::Openable(sourcePath));
    if (sourcePath.isEmpty() || !source.open(QIODevice::ReadOnly)) {
        return kCodeNoFile;
    }

    // Entries are made on Unix as regular files readable by all, so that unpacking gives the
    // usual permissions and readers honour the UTF-8 flag below.
    zip_fileinfo info{};
    info.tmz_date = ZipTime(entryTime_.isValid() ? entryTime_ : QFileInfo(source).lastModified());
    info.external_fa = 0100644UL << 16;
    const int zip64 = source.size() >= 0xFFFFFFFFLL ? 1 : 0;
    const uLong versionMadeBy = (3UL << 8) | (zip64 ? 45 : 20);
    const bool stored = IsStoredName(name);
    // The name's bytes as the file system has them, so that unpacking makes the same names.
    const QByteArray nameBytes = MFileName::Encode(name);
    // General purpose flag bit 11: the name is UTF-8. Plain ASCII names go without it, as every
    // reader understands them, and so do names that are not UTF-8 (kept bytes from a file name
    // made elsewhere), which readers then take as they are.
    const bool ascii = std::all_of(nameBytes.begin(), nameBytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const bool utf8 = !ascii && QByteArrayView(nameBytes).isValidUtf8();
    int rc = zipOpenNewFileInZip4_64(zip_, nameBytes.constData(), &info, nullptr, 0, nullptr, 0,
                                     nullptr, stored ? 0 : Z_DEFLATED, stored ? 0 : kDeflateLevel,
                                     0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                     versionMadeBy, utf8 ? 0x800 : 0, zip64);
    if (rc != ZIP_OK) {
        state_ = State::Failed;
        return CodeFor(rc);
    }
    const uint32_t copied = CopyInto(source);
    rc = zipCloseFileInZip(zip_);
    if (rc != ZIP_OK) {
        NoteFileError();
    }
    if (copied != kCodeOk || rc != ZIP_OK) {
        state_ = State::Failed;
        return copied != kCodeOk ? copied : CodeFor(rc);
    }
    return kCodeOk;
}

uint32_t ZipArchiveWriter::CopyInto(QFile& source) {
    constexpr qint64 kChunkBytes = 256 * 1024;
    std::vector<char> buffer(kChunkBytes);
    for (;;) {
        const qint64 n = source.read(buffer.data(), kChunkBytes);
        if (n < 0) {
            return kCodeRead;
        }
        if (n == 0) {
            return kCodeOk;
        }
        if (MInterrupt::Requested()) {
            return kCodeCancelled;
        }
        const int rc = zipWriteInFileInZip(zip_, buffer.data(), static_cast<unsigned>(n));
        if (rc != ZIP_OK) {
            NoteFileError();
            return CodeFor(rc);
        }
    }
}

uint32_t ZipArchiveWriter::Finish() {
    switch (state_) {
        case State::NotOpen:
            return kCodeWrongMode;
        case State::Failed:
            Abandon();
            return kCodeFailed;
        case State::Finished:
            return kCodeEnded;
        case State::Open:
            break;
    }
    const int rc = zipClose(zip_, nullptr);
    zip_ = nullptr;
    if (rc != ZIP_OK) {
        NoteFileError();
        Abandon();
        return CodeFor(rc);
    }
    // The archive must be on the disk before it replaces what the user had there.
    errno = 0;
    const bool written = file_.flush() && ::fsync(file_.handle()) == 0;
    if (!written && errorText_.isEmpty() && errno != 0) {
        errorText_ = QString::fromLocal8Bit(std::strerror(errno));
    }
    NoteFileError();
    file_.close();
    if (!written || file_.error() != QFileDevice::NoError) {
        Abandon();
        return kCodeWrite;
    }
    if (MInterrupt::Requested()) {
        Abandon();
        return kCodeCancelled;
    }
    if (!stage_.Commit()) {
        Abandon();
        return kCodeWrite;
    }
    state_ = State::Finished;
    return kCodeOk;
}

void ZipArchiveWriter::Abandon() {
    if (state_ == State::Finished) {
        return;
    }
    if (zip_ != nullptr) {
        zipClose(zip_, nullptr);  // frees minizip's state; the file goes below
        zip_ = nullptr;
    }
    if (!file_.fileName().isEmpty()) {
        file_.close();
        file_.setFileName(QString());
    }
    stage_.Discard();
    state_ = State::NotOpen;
}
