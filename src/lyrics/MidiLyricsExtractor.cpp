#include "lyrics/MidiLyricsExtractor.h"

#include <QStringDecoder>
#include <algorithm>
#include <cmath>

#include "lyrics/LrcDocument.h"
#include "lyrics/LyricTextDecoder.h"

namespace {

constexpr uint8_t kMetaEvent = 0xFF;
constexpr uint8_t kSysEx = 0xF0;
constexpr uint8_t kSysExContinuation = 0xF7;
constexpr uint8_t kMetaText = 0x01;
constexpr uint8_t kMetaTrackName = 0x03;
constexpr uint8_t kMetaLyric = 0x05;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint8_t kMetaTempo = 0x51;
// A syllable is highlighted until the next one starts, but not for longer than this.
constexpr int kLongestSyllableHundredths = 200;

constexpr qsizetype kHeaderBytes = 14;  // "MThd", its length and its six bytes
constexpr qsizetype kChunkHeaderBytes = 8;

uint32_t BigEndian32(QByteArrayView data, qsizetype pos) {
    return static_cast<uint32_t>(static_cast<uint8_t>(data[pos])) << 24 |
           static_cast<uint32_t>(static_cast<uint8_t>(data[pos + 1])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(data[pos + 2])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(data[pos + 3]));
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsWordsTrackName(const QByteArray& name) {
    const QByteArray lower = name.trimmed().toLower();
    return lower == "words" || lower == "lyrics";
}

QByteArray CutAtZero(const QByteArray& body) {
    const qsizetype zero = body.indexOf('\0');
    return zero >= 0 ? body.first(zero) : body;
}

// Lines of timed syllables as they are read from the events.
class LineBuilder {
public:
    void Break(bool newPage, int time) {
        Close();
        if (newPage && !texts_.isEmpty() && texts_.back() != u"^") {
            texts_.append(QStringLiteral("^"));
            LrcLine line;
            line.timeHundredths = time;
            line.hasWordTimes = true;
            line.elements.append({time, time, QStringLiteral("^")});
            lines_.append(line);
        }
        space_ = false;
    }
    // A piece of an event: spaces separate words, anything joined is a syllable of the word.
    void Add(QStringView piece, int time) {
        qsizetype pos = 0;
        while (pos < piece.size()) {
            if (piece[pos].isSpace()) {
                space_ = true;
                ++pos;
                continue;
            }
            qsizetype end = pos;
            while (end < piece.size() && !piece[end].isSpace()) {
                ++end;
            }
            if (!text_.isEmpty()) {
                text_ += space_ ? u' ' : u'*';
            }
            text_ += piece.sliced(pos, end - pos);
            current_.elements.append({time, time, piece.sliced(pos, end - pos).toString()});
            space_ = false;
            pos = end;
        }
    }
    void Close() {
        if (!text_.isEmpty()) {
            current_.timeHundredths = current_.elements.first().startHundredths;
            current_.hasWordTimes = true;
            lines_.append(std::move(current_));
            texts_.append(std::move(text_));
        }
        current_ = LrcLine();
        text_.clear();
    }
    // Each syllable lasts until the next one starts, within limits.
    void SetEnds() {
        LrcElement* previous = nullptr;
        for (LrcLine& line : lines_) {
            for (LrcElement& e : line.elements) {
                if (e.text == u"^") {
                    continue;
                }
                if (previous != nullptr) {
                    previous->endHundredths =
                        std::clamp(e.startHundredths - 1, previous->startHundredths,
                                   previous->startHundredths + kLongestSyllableHundredths);
                }
                previous = &e;
            }
        }
        if (previous != nullptr) {
            previous->endHundredths = previous->startHundredths + kLongestSyllableHundredths;
        }
    }
    QList<LrcLine>& Lines() { return lines_; }
    QString Text() const {
        QString out;
        for (const QString& t : texts_) {
            out += t;
            out += u'\n';
        }
        if (!out.isEmpty()) {
            out.chop(1);
        }
        return out;
    }

private:
    QList<LrcLine> lines_;
    QStringList texts_;
    LrcLine current_;
    QString text_;
    bool space_ = false;
};

}  // namespace

QString MidiLyricsExtractor::Extract(QByteArrayView data, LrcDocument* document,
                                     const QString& encoding) {
    if (document != nullptr) {
        document->Clear();
    }
    if (data.size() < kHeaderBytes + kChunkHeaderBytes || !data.startsWith("MThd") ||
        data.sliced(kHeaderBytes, 4) != QByteArrayView("MTrk")) {
        return QString();
    }
    MidiLyricsExtractor extractor(data);
    extractor.division_ =
        static_cast<uint16_t>(static_cast<uint8_t>(data[12]) << 8 | static_cast<uint8_t>(data[13]));
    extractor.ReadChunks();
    const std::vector<const Event*> words = extractor.ChooseWords();

    // The encoding is found from all the words at once; the events are then read one by one
    // with a decoder that keeps a character split between two events whole.
    QByteArray all;
    for (const Event* e : words) {
        all += CutAtZero(e->body);
    }
    QString used;
    LyricTextDecoder::Decode(all, encoding, &used);
    const bool windows1252 = used == QLatin1String(LyricTextDecoder::kWindows1252);
    QStringDecoder decoder(used.toLatin1().constData());
    const std::vector<int> times = extractor.Hundredths(words);

    LineBuilder builder;
    for (size_t i = 0; i < words.size(); ++i) {
        const QByteArray bytes = CutAtZero(words[i]->body);
        if (bytes.startsWith('@')) {
            continue;
        }
        const int time = times[i];
        QString text = windows1252 || !decoder.isValid() ? LyricTextDecoder::FromWindows1252(bytes)
                                                         : QString(decoder.decode(bytes));
        // "/" starts a line, "\\" a page; either at the end of an event ends its line.
        while (!text.isEmpty() && (text[0] == u'/' || text[0] == u'\\')) {
            builder.Break(text[0] == u'\\', time);
            text.remove(0, 1);
        }
        QChar breakAfter;
        const QString trimmed = QStringView(text).trimmed().toString();
        if (!trimmed.isEmpty() && (trimmed.back() == u'/' || trimmed.back() == u'\\')) {
            breakAfter = trimmed.back();
            text.truncate(text.lastIndexOf(breakAfter));
        }
        qsizetype pos = 0;
        while (pos <= text.size()) {
            qsizetype end = pos;
            while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') {
                ++end;
            }
            builder.Add(QStringView(text).sliced(pos, end - pos), time);
            if (end >= text.size()) {
                break;
            }
            builder.Break(false, time);
            pos = end + 1;
            if (text[end] == u'\r' && pos < text.size() && text[pos] == u'\n') {
                ++pos;
            }
        }
        if (!breakAfter.isNull()) {
            builder.Break(breakAfter == u'\\', time);
        }
    }
    builder.Close();
    builder.SetEnds();
    if (document != nullptr) {
        document->encoding = used;
        if (!times.empty() && times.front() >= 0) {
            document->lines = std::move(builder.Lines());
        }
    }
    return builder.Text();
}

std::vector<const MidiLyricsExtractor::Event*> MidiLyricsExtractor::ChooseWords() const {
    std::vector<int> lyricCount(static_cast<size_t>(trackCount_), 0);
    std::vector<int> textCount(static_cast<size_t>(trackCount_), 0);
    int wordsTrack = -1;
    for (const Event& e : events_) {
        if (e.type == kMetaTrackName && wordsTrack < 0 && IsWordsTrackName(CutAtZero(e.body))) {
            wordsTrack = e.track;
        } else if (e.type == kMetaLyric) {
            ++lyricCount[static_cast<size_t>(e.track)];
        } else if (e.type == kMetaText && !e.body.startsWith('@')) {
            ++textCount[static_cast<size_t>(e.track)];
        }
    }
    int track = -1;
    uint8_t type = kMetaLyric;
    const auto most = [](const std::vector<int>& counts) {
        return static_cast<int>(std::max_element(counts.begin(), counts.end()) - counts.begin());
    };
    if (wordsTrack >= 0) {
        track = wordsTrack;
        type = lyricCount[static_cast<size_t>(track)] > 0 ? kMetaLyric : kMetaText;
    } else if (trackCount_ > 0 && lyricCount[static_cast<size_t>(most(lyricCount))] > 0) {
        track = most(lyricCount);
    } else if (trackCount_ > 0 && textCount[static_cast<size_t>(most(textCount))] > 1) {
        track = most(textCount);
        type = kMetaText;
    }
    std::vector<const Event*> words;
    for (const Event& e : events_) {
        if (e.track == track && e.type == type) {
            words.push_back(&e);
        }
    }
    return words;
}

std::vector<int> MidiLyricsExtractor::Hundredths(const std::vector<const Event*>& words) const {
    std::vector<int> times(words.size(), -1);
    const auto hundredths = [](long double seconds) {
        return static_cast<int>(
            std::clamp<long double>(std::round(seconds * 100), 0, LrcDocument::kMaxHundredths));
    };
    if (division_ & 0x8000) {
        // SMPTE: frames per second (29 stands for 29.97) and ticks per frame.
        const int fps = -static_cast<int8_t>(division_ >> 8);
        const int ticksPerFrame = division_ & 0xFF;
        if (fps <= 0 || ticksPerFrame == 0) {
            return times;
        }
        const long double framesPerSecond = fps == 29 ? 30000.0L / 1001.0L : fps;
        for (size_t i = 0; i < words.size(); ++i) {
            times[i] = hundredths(words[i]->tick / (framesPerSecond * ticksPerFrame));
        }
        return times;
    }
    if (division_ == 0) {
        return times;
    }
    // Tempo changes of every track, in tick order (the last one wins at the same tick).
    std::vector<Tempo> tempos = tempos_;
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const Tempo& a, const Tempo& b) { return a.tick < b.tick; });
    size_t next = 0;
    uint64_t fromTick = 0;
    long double seconds = 0;
    uint32_t tempo = 500000;
    for (size_t i = 0; i < words.size(); ++i) {
        const uint64_t tick = words[i]->tick;
        // Words of one track come in tick order; a tick before the last one (not possible in a
        // track) would only be read from the start again.
        if (tick < fromTick) {
            next = 0;
            fromTick = 0;
            seconds = 0;
            tempo = 500000;
        }
        while (next < tempos.size() && tempos[next].tick <= tick) {
            seconds +=
                static_cast<long double>(tempos[next].tick - fromTick) * tempo / (1e6L * division_);
            fromTick = tempos[next].tick;
            tempo = tempos[next].microsecondsPerQuarter;
            ++next;
        }
        times[i] = hundredths(seconds + static_cast<long double>(tick - fromTick) * tempo /
                                            (1e6L * division_));
    }
    return times;
}

bool MidiLyricsExtractor::LooksLikeChunk(qsizetype pos) const {
    if (data_.size() - pos < kChunkHeaderBytes) {
        return false;
    }
    for (qsizetype i = 0; i < 4; ++i) {
        if (!IsAsciiLetter(data_[pos + i])) {
            return false;
        }
    }
    return BigEndian32(data_, pos + 4) <=
           static_cast<uint64_t>(data_.size() - pos - kChunkHeaderBytes);
}

void MidiLyricsExtractor::ReadChunks() {
    // Track lengths in karaoke files found in the wild are not always right. A track is read
    // within its stated length (or to the end of the file); when that length runs past the end
    // of the file or what follows is not a chunk, reading goes on at the next "MTrk" after the
    // last event that could be read.
    qsizetype pos = kHeaderBytes;
    const qsizetype size = data_.size();
    while (size - pos >= kChunkHeaderBytes) {
        const qsizetype bodyStart = pos + kChunkHeaderBytes;
        const uint64_t stated = BigEndian32(data_, pos + 4);
        const qsizetype bodyEnd = static_cast<qsizetype>(std::min<uint64_t>(
                                      stated, static_cast<uint64_t>(size - bodyStart))) +
                                  bodyStart;
        qsizetype resumeFrom = bodyStart;
        if (data_.sliced(pos, 4) == QByteArrayView("MTrk")) {
            resumeFrom = ReadTrack(bodyStart, bodyEnd, trackCount_++);
        }
        const bool fits = stated <= static_cast<uint64_t>(size - bodyStart);
        if (fits && (bodyEnd == size || LooksLikeChunk(bodyEnd))) {
            pos = bodyEnd;
            continue;
        }
        const qsizetype next = data_.sliced(resumeFrom).indexOf(QByteArrayView("MTrk"));
        if (next < 0) {
            return;
        }
        pos = resumeFrom + next;
    }
}

bool MidiLyricsExtractor::ReadVariableLength(qsizetype& pos, qsizetype end, uint32_t& value) const {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (pos >= end) {
            return false;
        }
        const uint8_t b = static_cast<uint8_t>(data_[pos++]);
        value = value << 7 | (b & 0x7F);
        if ((b & 0x80) == 0) {
            return true;
        }
    }
    return false;  // a number of more than four bytes: not MIDI
}

qsizetype MidiLyricsExtractor::ReadTrack(qsizetype begin, qsizetype end, int track) {
    // Returns where the last whole event ended. A malformed event ends the track.
    qsizetype pos = begin;
    uint8_t runningStatus = 0;
    uint64_t tick = 0;
    while (pos < end) {
        const qsizetype eventStart = pos;
        uint32_t delta = 0;
        if (!ReadVariableLength(pos, end, delta) || pos >= end) {
            return eventStart;
        }
        tick += delta;
        uint8_t status = static_cast<uint8_t>(data_[pos]);
        if (status & 0x80) {
            ++pos;
        } else if (runningStatus != 0) {
            status = runningStatus;
        } else {
            return eventStart;
        }

        if (status == kMetaEvent) {
            if (pos >= end) {
                return eventStart;
            }
            const uint8_t type = static_cast<uint8_t>(data_[pos++]);
            uint32_t length = 0;
            if (!ReadVariableLength(pos, end, length)) {
                return eventStart;
            }
            const qsizetype available = end - pos;
            const qsizetype taken = std::min<qsizetype>(length, available);
            const QByteArrayView body = data_.sliced(pos, taken);
            if (type == kMetaText || type == kMetaTrackName || type == kMetaLyric) {
                events_.push_back({tick, type, track, body.toByteArray()});
            } else if (type == kMetaTempo && body.size() >= 3) {
                tempos_.push_back({tick, static_cast<uint32_t>(static_cast<uint8_t>(body[0]) << 16 |
                                                               static_cast<uint8_t>(body[1]) << 8 |
                                                               static_cast<uint8_t>(body[2]))});
            }
            pos += taken;
            if (type == kMetaEndOfTrack || static_cast<qsizetype>(length) > available) {
                return pos;
            }
        } else if (status == kSysEx || status == kSysExContinuation) {
            uint32_t length = 0;
            if (!ReadVariableLength(pos, end, length) ||
                static_cast<qsizetype>(length) > end - pos) {
                return eventStart;
            }
            pos += length;
        } else if (status >= 0xF0) {
            return eventStart;  // system messages other than SysEx have no place in a file
        } else {
            runningStatus = status;
            const qsizetype dataBytes = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
            if (end - pos < dataBytes) {
                return eventStart;
            }
            for (qsizetype i = 0; i < dataBytes; ++i) {
                if (static_cast<uint8_t>(data_[pos + i]) & 0x80) {
                    return eventStart;
                }
            }
            pos += dataBytes;
        }
    }
    return pos;
}
