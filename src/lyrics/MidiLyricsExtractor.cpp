#include "lyrics/MidiLyricsExtractor.h"

#include <algorithm>

#include "lyrics/LyricTextDecoder.h"

namespace {

constexpr uint8_t kMetaEvent = 0xFF;
constexpr uint8_t kSysEx = 0xF0;
constexpr uint8_t kSysExContinuation = 0xF7;
constexpr uint8_t kMetaText = 0x01;
constexpr uint8_t kMetaTrackName = 0x03;
constexpr uint8_t kMetaLyric = 0x05;
constexpr uint8_t kMetaEndOfTrack = 0x2F;

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

}  // namespace

QString MidiLyricsExtractor::Extract(QByteArrayView data) {
    if (data.size() < kHeaderBytes + kChunkHeaderBytes || !data.startsWith("MThd") ||
        data.sliced(kHeaderBytes, 4) != QByteArrayView("MTrk")) {
        return QString();
    }
    MidiLyricsExtractor extractor(data);
    extractor.ReadChunks();
    return LyricTextDecoder::Decode(extractor.words_);
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
            resumeFrom = ReadTrack(bodyStart, bodyEnd);
            if (lyricsFound_) {
                return;
            }
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

qsizetype MidiLyricsExtractor::ReadTrack(qsizetype begin, qsizetype end) {
    // Returns where the last whole event ended. A malformed event ends the track.
    qsizetype pos = begin;
    uint8_t runningStatus = 0;
    while (pos < end) {
        const qsizetype eventStart = pos;
        uint32_t delta = 0;
        if (!ReadVariableLength(pos, end, delta) || pos >= end) {
            return eventStart;
        }
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
            TakeMetaEvent(type, data_.sliced(pos, taken));
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

void MidiLyricsExtractor::TakeMetaEvent(uint8_t type, QByteArrayView body) {
    if (type != kMetaText && type != kMetaTrackName && type != kMetaLyric) {
        return;
    }
    const qsizetype zero = body.indexOf('\0');
    QByteArray text = (zero >= 0 ? body.first(zero) : body).toByteArray();
    if (type == kMetaTrackName) {
        // The track of a karaoke file that holds the words is named so.
        const QByteArray name = text.toLower();
        if (name == "words" || name == "lyrics") {
            lyricsFound_ = true;
        }
        return;
    }
    if (text.startsWith('@')) {
        return;
    }
    if (text.startsWith('/') || text.startsWith('\\')) {
        text[0] = '\n';
    }
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    words_ += text;
    lyricsFound_ = true;
}
