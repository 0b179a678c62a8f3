#include "song/MSongDumps.h"

#include <QtEndian>
#include <cstring>

#include "base/MTextCodec.h"
#include "log/MEventLog.h"
#include "log/MKaraokeLineDumpLog.h"
#include "song/MProjectFile.h"
#include "song/MSongSettings.h"

namespace {

void AppendInt(QByteArray& out, int32_t v) {
    char b[4];
    qToLittleEndian<int32_t>(v, b);
    out.append(b, 4);
}

}  // namespace

QByteArray MSongDumps::LineList(const MSongSettings& song) {
    QByteArray out;
    for (const auto& line : song.lineList) {
        // The in-memory line record: page, text (a pointer), singer colour, draw and erase time,
        // row, words (a pointer), placed, new page before, duet.
        char record[40] = {};
        qToLittleEndian<int32_t>(line->page, record + 0);
        qToLittleEndian<int32_t>(line->singerColour, record + 8);
        qToLittleEndian<int32_t>(line->drawTime, record + 12);
        qToLittleEndian<int32_t>(line->eraseTime, record + 16);
        qToLittleEndian<int32_t>(line->row, record + 20);
        record[28] = line->placed ? 1 : 0;
        record[29] = line->newPageBefore ? 1 : 0;
        record[30] = line->duet ? 1 : 0;
        out.append(record, 40);
        const QByteArray text = MTextCodec::Encode(line->text);
        AppendInt(out, static_cast<int32_t>(text.size()));
        out.append(text);
        AppendInt(out, line->WordCount());
        for (const auto& w : line->words) {
            uint8_t bytes[MKaraokeWord::kStoredBytes];
            w->Store(bytes);
            out.append(reinterpret_cast<const char*>(bytes), MKaraokeWord::kStoredBytes);
        }
    }
    return out;
}

QByteArray MSongDumps::Settings(const MSongSettings& song) {
    QByteArray out(reinterpret_cast<const char*>(&song.header), sizeof(song.header));
    out.append(MTextCodec::Encode(song.rawLyrics));
    for (const auto& page : song.pages) {
        out.append(MProjectFile::PageBlock(*page));
    }
    return out;
}

QByteArray MSongDumps::Int32Table(const std::vector<int32_t>& values) {
    QByteArray out;
    out.reserve(static_cast<qsizetype>(values.size() * 4));
    for (int32_t v : values) {
        AppendInt(out, v);
    }
    return out;
}

void MSongDumps::LogLineList(const MSongSettings& song, const char* message) {
    MEventLog& log = MEventLog::Global();
    if (log.IsActive()) {
        log.Queue(
            std::make_unique<MKaraokeLineDumpLog>(LineList(song), QString::fromLatin1(message)));
    }
}
