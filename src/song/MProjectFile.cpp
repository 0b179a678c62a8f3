#include "song/MProjectFile.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <new>

#include <unistd.h>

#include "base/MFileName.h"
#include "base/MInputFile.h"
#include "base/MStagedFile.h"
#include "base/MTextCodec.h"
#include "song/MSongSettings.h"

namespace {

constexpr int kFaceNameBytes = MTextType::kFaceNameBytes;

// Reads items from the file with every length checked against what remains, so a damaged file
// can never make the reader allocate more than the file holds.
class Reader {
public:
    explicit Reader(QIODevice& file) : file_(file), remaining_(file.size() - file.pos()) {}

    bool Bytes(void* out, qint64 n) {
        if (n < 0 || n > remaining_ || file_.read(static_cast<char*>(out), n) != n) {
            return false;
        }
        remaining_ -= n;
        return true;
    }
    bool Skip(qint64 n) {
        if (n < 0 || n > remaining_ || !file_.seek(file_.pos() + n)) {
            return false;
        }
        remaining_ -= n;
        return true;
    }
    bool Int(int32_t& v) {
        char b[4];
        if (!Bytes(b, 4)) {
            return false;
        }
        v = qFromLittleEndian<int32_t>(b);
        return true;
    }
    bool Byte(uint8_t& v) { return Bytes(&v, 1); }
    bool String(QString& s) {
        QByteArray bytes;
        if (!StoredBytes(bytes)) {
            return false;
        }
        s = bytes.isEmpty() ? QString() : MTextCodec::Decode(bytes);
        return true;
    }
    // A file name: the bytes as the file system has them when they name a file there, even
    // when they are not UTF-8.
    bool FileName(QString& s) {
        QByteArray bytes;
        if (!StoredBytes(bytes)) {
            return false;
        }
        s = !bytes.isEmpty() && !QByteArrayView(bytes).isValidUtf8() &&
                    ::access(bytes.constData(), F_OK) == 0
                ? MFileName::Decode(bytes)
                : MTextCodec::Decode(bytes);
        return true;
    }
    bool StoredBytes(QByteArray& bytes) {
        int32_t n = 0;
        if (!Int(n)) {
            return false;
        }
        if (n < 1) {
            bytes.clear();
            return true;
        }
        if (n > remaining_) {
            return false;
        }
        bytes.resize(n);
        return Bytes(bytes.data(), n);
    }
    qint64 Remaining() const { return remaining_; }

private:
    QIODevice& file_;
    qint64 remaining_;
};

class Writer {
public:
    // With a sink, what the buffer holds goes to it whenever Drain finds more than kChunkBytes.
    static constexpr qsizetype kChunkBytes = 1 << 20;

    Writer(QByteArray& out, QIODevice* sink) : out_(out), sink_(sink) {}
    void Int(int32_t v) {
        char b[4];
        qToLittleEndian<int32_t>(v, b);
        out_.append(b, 4);
    }
    void Byte(uint8_t v) { out_.append(static_cast<char>(v)); }
    // Long texts (the lyrics) are encoded a slice at a time, never split inside a character, and
    // their length filled in afterwards: the encoder sizes its output for the worst case.
    void String(const QString& s) {
        constexpr qsizetype kSliceChars = 1 << 16;
        const qsizetype lengthAt = out_.size();
        Int(0);
        for (qsizetype from = 0; from < s.size();) {
            qsizetype to = std::min(s.size(), from + kSliceChars);
            if (to < s.size() && s[to - 1].isHighSurrogate()) {
                ++to;
            }
            out_.append(MTextCodec::Encode(s.sliced(from, to - from)));
            from = to;
        }
        qToLittleEndian<int32_t>(static_cast<int32_t>(out_.size() - lengthAt - 4),
                                 out_.data() + lengthAt);
    }
    void FileName(const QString& s) {
        const QByteArray bytes = MFileName::Encode(s);
        Int(static_cast<int32_t>(bytes.size()));
        out_.append(bytes);
    }
    void Drain(qsizetype atLeast = kChunkBytes) {
        if (sink_ != nullptr && out_.size() >= atLeast) {
            ok_ = ok_ && sink_->write(out_) == out_.size();
            out_.resize(0);
        }
    }
    bool Finish() {
        Drain(1);
        return ok_;
    }

private:
    QByteArray& out_;
    QIODevice* sink_;
    bool ok_ = true;
};

int32_t IntAt(const uint8_t* block, int offset) {
    return qFromLittleEndian<int32_t>(block + offset);
}
void PutInt(uint8_t* block, int offset, int32_t v) {
    qToLittleEndian<int32_t>(v, block + offset);
}

// The face name as at most 127 bytes of UTF-8, cut at a character boundary.
QByteArray FaceNameBytes(const QString& face) {
    QByteArray bytes = MTextCodec::Encode(face);
    if (bytes.size() > kFaceNameBytes - 1) {
        qsizetype n = kFaceNameBytes - 1;
        while (n > 0 && (static_cast<uint8_t>(bytes[n]) & 0xC0) == 0x80) {
            --n;
        }
        bytes.truncate(n);
    }
    return bytes;
}

void ReadPageBlock(const uint8_t* b, IMAGE_STRUCT& page) {
    page.pageId = IntAt(b, 0);
    const char* face = reinterpret_cast<const char*>(b + 12);
    page.textType.faceName =
        MTextCodec::Decode(QByteArrayView(face, qstrnlen(face, kFaceNameBytes)));
    page.textType.colorIndex = IntAt(b, 140);
    page.textType.fontHeight = IntAt(b, 144);
    page.textType.styleFlags = IntAt(b, 148);
    page.textType.hAlign = IntAt(b, 152);
    page.textType.vAlign = IntAt(b, 156);
    page.textType.outlineColorIndex = IntAt(b, 160);
    page.textType.backgroundMode = IntAt(b, 164);
    page.textType.backgroundColorIndex = IntAt(b, 168);
    MBitmap& pic = page.picture;
    pic.header = QByteArray(reinterpret_cast<const char*>(b + 176), MBitmap::kHeaderBytes);
    pic.colourTable = QByteArray(reinterpret_cast<const char*>(b + 216), 64);
    pic.sourcePixels = QByteArray(reinterpret_cast<const char*>(b + 280), MBitmap::kSourceBytes);
    pic.indexedPixels =
        QByteArray(reinterpret_cast<const char*>(b + 221464), MBitmap::kIndexedBytes);
    pic.dirty = b[249112] != 0;
    pic.lastDitherAmount = IntAt(b, 249116);
    page.placement = IntAt(b, 249120);
    page.hasGraphic = b[249124] != 0;
    page.ditherAmount = IntAt(b, 249128);
    page.drawTransition = IntAt(b, 249132);
    page.eraseTransition = IntAt(b, 249136);
    page.backgroundColorIndex = IntAt(b, 249140);
    page.borderColorIndex = IntAt(b, 249144);
    page.textArea = IntAt(b, 249160);
    page.displayTime = IntAt(b, 249164);
    page.enabled = b[249168] != 0;
}

}  // namespace

QByteArray MProjectFile::PageBlock(const IMAGE_STRUCT& page) {
    QByteArray block(kPageBlockBytes, '\0');
    auto* b = reinterpret_cast<uint8_t*>(block.data());
    PutInt(b, 0, page.pageId);
    const QByteArray face = FaceNameBytes(page.textType.faceName);
    std::memcpy(b + 12, face.constData(), static_cast<size_t>(face.size()));
    PutInt(b, 140, page.textType.colorIndex);
    PutInt(b, 144, page.textType.fontHeight);
    PutInt(b, 148, page.textType.styleFlags);
    PutInt(b, 152, page.textType.hAlign);
    PutInt(b, 156, page.textType.vAlign);
    PutInt(b, 160, page.textType.outlineColorIndex);
    PutInt(b, 164, page.textType.backgroundMode);
    PutInt(b, 168, page.textType.backgroundColorIndex);
    const MBitmap& pic = page.picture;
    std::memcpy(b + 176, pic.header.constData(),
                std::min<size_t>(MBitmap::kHeaderBytes, pic.header.size()));
    std::memcpy(b + 216, pic.colourTable.constData(), std::min<size_t>(64, pic.colourTable.size()));
    std::memcpy(b + 280, pic.sourcePixels.constData(),
                std::min<size_t>(MBitmap::kSourceBytes, pic.sourcePixels.size()));
    std::memcpy(b + 221464, pic.indexedPixels.constData(),
                std::min<size_t>(MBitmap::kIndexedBytes, pic.indexedPixels.size()));
    b[249112] = pic.dirty ? 1 : 0;
    PutInt(b, 249116, pic.lastDitherAmount);
    PutInt(b, 249120, page.placement);
    b[249124] = page.hasGraphic ? 1 : 0;
    PutInt(b, 249128, page.ditherAmount);
    PutInt(b, 249132, page.drawTransition);
    PutInt(b, 249136, page.eraseTransition);
    PutInt(b, 249140, page.backgroundColorIndex);
    PutInt(b, 249144, page.borderColorIndex);
    PutInt(b, 249160, page.textArea);
    PutInt(b, 249164, page.displayTime);
    b[249168] = page.enabled ? 1 : 0;
    return block;
}

namespace {

// Writes the project into out; with a sink, out only buffers what goes to the sink, so that a song
// of many lines is never held twice in memory.
bool SerializeTo(const MSongSettings& song, QByteArray& out, QIODevice* sink) {
    // The whole size up front (exact for ASCII text), so that a song of many lines is not copied
    // again and again while the buffer grows.
    qsizetype size =
        64 * 1024 +
        static_cast<qsizetype>(song.pages.size()) * (MProjectFile::kPageBlockBytes + 64) +
        song.rawLyrics.size();
    for (const auto& line : song.lineList) {
        size += 32 + line->text.size() + line->WordCount() * qsizetype(MKaraokeWord::kStoredBytes);
    }
    out.reserve(sink != nullptr ? std::min(size, Writer::kChunkBytes * 2) : size);
    Writer w(out, sink);
    SongHeader header = song.header;
    header.version = SongHeader::kCurrentVersion;
    out.append(reinterpret_cast<const char*>(&header), sizeof(header));
    w.String(song.rawLyrics);
    w.FileName(song.musicFile);
    w.Int(0);
    w.Int(0);
    w.String(song.artist);
    w.String(song.title);
    for (const QString& v : song.voiceDescriptions) {
        w.String(v);
    }
    w.Int(static_cast<int32_t>(song.pages.size()));
    for (const auto& page : song.pages) {
        out.append(MProjectFile::PageBlock(*page));
        w.Drain();
        w.Int(page->perLineTypes.Count());
        for (const auto& e : page->perLineTypes.elements) {
            w.Int(e.colorIndex);
            w.Int(e.fontHeight);
            w.Int(e.styleFlags);
            w.Int(e.hAlign);
            w.String(e.faceName);
        }
        w.String(page->text);
    }
    w.Int(static_cast<int32_t>(song.lineList.size()));
    for (const auto& line : song.lineList) {
        w.Int(line->page);
        w.Int(line->drawTime);
        w.Int(line->eraseTime);
        w.Int(line->row);
        w.Byte(line->placed ? 1 : 0);
        w.Byte(line->newPageBefore ? 1 : 0);
        w.Int(line->singerColour);
        w.Byte(line->duet ? 1 : 0);
        w.String(line->text);
        w.Int(line->WordCount());
        for (const auto& word : line->words) {
            uint8_t bytes[MKaraokeWord::kStoredBytes];
            word->Store(bytes);
            out.append(reinterpret_cast<const char*>(bytes), MKaraokeWord::kStoredBytes);
        }
        w.Drain();
    }
    return w.Finish();
}

}  // namespace

QByteArray MProjectFile::Serialize(const MSongSettings& song) {
    QByteArray out;
    SerializeTo(song, out, nullptr);
    return out;
}

bool MProjectFile::Serialize(const MSongSettings& song, QIODevice& device) {
    QByteArray buffer;
    return SerializeTo(song, buffer, &device);
}

MStatus MProjectFile::Save() {
    // Never written over the music it is made from; the old file stays until the new one is
    // complete on the disk.
    const MStatus saved = MStagedFile::Write(
        song_.projectPath, [this](QIODevice& file) { return Serialize(song_, file); },
        {song_.musicFile}, true, true);
    if (!saved) {
        return MStatus::Failure(QStringLiteral("Cannot save the project file \"%1\".\n%2")
                                    .arg(song_.projectPath, saved.Text()),
                                MStatus::Icon::Error);
    }
    song_.SetModified(false);
    return MStatus::Ok();
}

MStatus MProjectFile::Load() {
    const auto warn = [](const char* text) {
        return MStatus::Failure(QString::fromUtf8(text), MStatus::Icon::Warning);
    };
    // Only regular files: a pipe or a device would hold the reader up.
    QFile file(MFileName::Openable(song_.projectPath));
    if (!MInputFile::Check(song_.projectPath, kMaxFileBytes, QStringLiteral("project file")) ||
        !file.open(QIODevice::ReadOnly)) {
        return warn(kCannotOpen);
    }
    return Load(file);
}

MStatus MProjectFile::Load(QIODevice& file) {
    const auto warn = [](const char* text) {
        return MStatus::Failure(QString::fromUtf8(text), MStatus::Icon::Warning);
    };
    const MStatus damaged = MStatus::Failure(QString(), MStatus::Icon::None);
    try {
        Reader in(file);
        SongHeader header;
        if (!in.Bytes(&header, sizeof(header))) {
            return warn(kCorrupted);
        }
        // A version out of range in a header that does not look like a song's means some
        // other kind of file, not a project of another version.
        const bool plausible = (header.performance == 1 || header.performance == 2) &&
                               header.linesPerPage >= 0 && header.linesPerPage <= 16 &&
                               header.version >= 0 && header.version < 100000;
        if ((header.version >= 601 || header.version <= 399) && !plausible) {
            return warn(kNotAProject);
        }
        if (header.version >= 601) {
            return warn(kTooNew);
        }
        if (header.version <= 399) {
            return warn(kTooOld);
        }
        const int32_t version = header.version;
        QString rawLyrics;
        QString musicFile;
        if (!in.String(rawLyrics) || !in.FileName(musicFile)) {
            return damaged;
        }
        QString artist;
        QString title;
        std::array<QString, 3> voices;
        if (version >= 600) {
            if (!in.Skip(8) || !in.String(artist) || !in.String(title)) {
                return damaged;
            }
            for (QString& v : voices) {
                if (!in.String(v)) {
                    return damaged;
                }
            }
        }
        int32_t pageCount = 0;
        if (!in.Int(pageCount) || pageCount < 0 || pageCount > in.Remaining() / kPageBlockBytes) {
            return damaged;
        }
        std::vector<std::unique_ptr<IMAGE_STRUCT>> pages;
        std::vector<uint8_t> block(kPageBlockBytes);
        for (int32_t i = 0; i < pageCount; ++i) {
            auto page = std::make_unique<IMAGE_STRUCT>();
            if (!in.Bytes(block.data(), kPageBlockBytes)) {
                return damaged;
            }
            ReadPageBlock(block.data(), *page);
            if (version == 500 && !in.Skip(16)) {
                return damaged;
            }
            page->singerColors = MTextTypeVer5(12, 9, 10);
            if (version == 600) {
                int32_t overrides = 0;
                // Each override takes at least 20 bytes.
                if (!in.Int(overrides) || overrides < 0 || overrides > in.Remaining() / 20) {
                    return damaged;
                }
                for (int32_t k = 0; k < overrides; ++k) {
                    MTextTypeVer6::t_MTextTypeVer6_s e;
                    if (!in.Int(e.colorIndex) || !in.Int(e.fontHeight) || !in.Int(e.styleFlags) ||
                        !in.Int(e.hAlign) || !in.String(e.faceName) || e.faceName.isEmpty()) {
                        return damaged;
                    }
                    page->perLineTypes.Append(e);
                }
            }
            if (!in.String(page->text)) {
                return damaged;
            }
            pages.push_back(std::move(page));
        }
        int32_t lineCount = 0;
        // A line record takes at least 22 bytes.
        if (!in.Int(lineCount) || lineCount < 0 || lineCount > in.Remaining() / 22) {
            return damaged;
        }
        std::vector<std::unique_ptr<MKaraokeLine>> lines;
        lines.reserve(static_cast<size_t>(lineCount));
        for (int32_t i = 0; i < lineCount; ++i) {
            auto line = std::make_unique<MKaraokeLine>();
            uint8_t placed = 0;
            uint8_t newPage = 0;
            if (!in.Int(line->page) || !in.Int(line->drawTime) || !in.Int(line->eraseTime) ||
                !in.Int(line->row) || !in.Byte(placed) || !in.Byte(newPage)) {
                return damaged;
            }
            line->placed = placed != 0;
            line->newPageBefore = newPage != 0;
            if (version < 500) {
                line->singerColour = MKaraokeLine::kSinger1;
                line->duet = false;
            } else {
                uint8_t duet = 0;
                if (!in.Int(line->singerColour) || !in.Byte(duet)) {
                    return damaged;
                }
                line->duet = duet != 0;
            }
            int32_t words = 0;
            if (!in.String(line->text) || !in.Int(words) || words < 0 ||
                words > in.Remaining() / MKaraokeWord::kStoredBytes) {
                return damaged;
            }
            line->words.reserve(static_cast<size_t>(words));
            for (int32_t k = 0; k < words; ++k) {
                uint8_t bytes[MKaraokeWord::kStoredBytes];
                if (!in.Bytes(bytes, MKaraokeWord::kStoredBytes)) {
                    return damaged;
                }
                MKaraokeWord word;
                word.Restore(bytes);
                line->AddWord(word);
            }
            lines.push_back(std::move(line));
        }
        file.close();

        // Everything read: the song takes it over.
        song_.header = header;
        song_.header.version = SongHeader::kCurrentVersion;
        song_.rawLyrics = rawLyrics;
        song_.musicFile = musicFile;
        song_.artist = artist;
        song_.title = title;
        song_.voiceDescriptions = voices;
        song_.pages = std::move(pages);
        song_.InstallLines(std::move(lines));
        if (!song_.musicFile.isEmpty()) {
            song_.AttachWorkWav(true);
        }
        song_.SetModified(false);
        return MStatus::Ok();
    } catch (const std::exception& e) {
        return MStatus::Failure(
            QString::fromUtf8(kReadError).arg(QString::fromLocal8Bit(e.what()).left(1024)),
            MStatus::Icon::Error);
    }
}
