#include "lyrics/LrcParser.h"

#include <algorithm>
#include <vector>

#include "lyrics/LyricTextDecoder.h"

namespace {

// Large enough for any real time, small enough that the arithmetic below cannot overflow.
constexpr qint64 kNumberCap = 1'000'000'000'000LL;

bool IsAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Reads the digits at pos and moves pos past them; 0 when there are none.
qint64 ReadDigits(QStringView text, qsizetype& pos) {
    qint64 value = 0;
    while (pos < text.size() && IsAsciiDigit(text[pos])) {
        value = std::min(kNumberCap, value * 10 + (text[pos].unicode() - u'0'));
        ++pos;
    }
    return value;
}

qint64 ReadNumber(QStringView text) {
    qsizetype pos = 0;
    return ReadDigits(text.trimmed(), pos);
}

qint64 ReadSignedNumber(QStringView text) {
    text = text.trimmed();
    bool negative = false;
    qsizetype pos = 0;
    if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+')) {
        negative = text[0] == u'-';
        pos = 1;
    }
    const qint64 value = ReadDigits(text, pos);
    return negative ? -value : value;
}

int ClampHundredths(qint64 hundredths) {
    return static_cast<int>(std::clamp<qint64>(hundredths, 0, LrcDocument::kMaxHundredths));
}

// The position of c in text at or after from, or -1. Lines are short and this runs for every
// tag of a file of megabytes, so it stays a plain inline scan.
qsizetype IndexOf(QStringView text, char16_t c, qsizetype from = 0) {
    const char16_t* begin = text.utf16();
    const char16_t* end = begin + text.size();
    const char16_t* at = std::find(begin + std::min(from, text.size()), end, c);
    return at == end ? -1 : at - begin;
}

QString CollapseSpaces(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    char16_t* to = reinterpret_cast<char16_t*>(out.data());
    const char16_t* from = text.utf16();
    qsizetype kept = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (from[i] == u' ' && i > 0 && from[i - 1] == u' ') {
            continue;
        }
        to[kept++] = from[i];
    }
    out.truncate(kept);
    return out;
}

// Removes every "<...>" span of one line. A "<" without a later ">" stays.
QString RemoveAngleSpans(QStringView line) {
    QString out;
    out.reserve(line.size());
    qsizetype pos = 0;
    while (pos < line.size()) {
        const qsizetype open = IndexOf(line, u'<', pos);
        if (open < 0) {
            out.append(line.sliced(pos));
            break;
        }
        const qsizetype close = IndexOf(line, u'>', open + 1);
        if (close < 0) {
            out.append(line.sliced(pos));
            break;
        }
        out.append(line.sliced(pos, open - pos));
        pos = close + 1;
    }
    return CollapseSpaces(out).trimmed();
}

bool IsAngleSpan(QStringView text) {
    return text.size() >= 2 && text.front() == u'<' && text.back() == u'>';
}

bool IsWordTimeTag(QStringView element) {
    return element.size() >= 4 && element[0] == u'<' && IsAsciiDigit(element[1]) &&
           IsAsciiDigit(element[2]) && element[3] == u':';
}

}  // namespace

bool LrcParser::ParseTime(QStringView content, int& hundredths) {
    if (content.size() < 3 || !IsAsciiDigit(content[0]) || !IsAsciiDigit(content[1]) ||
        content[2] != u':') {
        return false;
    }
    const qint64 minutes = (content[0].unicode() - u'0') * 10 + (content[1].unicode() - u'0');
    qsizetype pos = 3;
    const qint64 seconds = ReadDigits(content, pos);
    // The fraction is decimal: ".5" is 50 hundredths, ".345" is 34 (milliseconds truncated).
    qint64 fraction = 0;
    if (pos < content.size() && content[pos] == u'.') {
        int weight = 10;
        for (++pos; pos < content.size() && IsAsciiDigit(content[pos]); ++pos) {
            fraction += (content[pos].unicode() - u'0') * weight;
            weight /= 10;
        }
    }
    hundredths = ClampHundredths(minutes * 6000 + seconds * 100 + fraction);
    return true;
}

namespace {

// Some players write the word times inside a line in square brackets, as line times are
// written ("[00:05.00]hello [00:06.00]world"); they are read as the "<mm:ss.xx>" tags they
// stand for. Brackets round anything else stay text.
QString SquareWordTimesAsAngle(const QString& lyric) {
    if (!lyric.contains(u'[')) {
        return lyric;
    }
    QString out;
    out.reserve(lyric.size());
    qsizetype pos = 0;
    while (pos < lyric.size()) {
        const qsizetype open = lyric.indexOf(u'[', pos);
        const qsizetype close = open < 0 ? -1 : lyric.indexOf(u']', open + 1);
        if (close < 0) {
            out.append(QStringView(lyric).sliced(pos));
            break;
        }
        const QStringView content = QStringView(lyric).sliced(open + 1, close - open - 1);
        int unused = 0;
        out.append(QStringView(lyric).sliced(pos, open - pos));
        if (content.size() >= 4 && LrcParser::ParseTime(content, unused)) {
            out.append(u'<').append(content).append(u'>');
        } else {
            out.append(QStringView(lyric).sliced(open, close + 1 - open));
        }
        pos = close + 1;
    }
    return out;
}

}  // namespace

QString LrcParser::ParseLrc(QByteArrayView data, LrcDocument& document, const QString& encoding) {
    QString used;
    const QString text = LyricTextDecoder::DecodeTextFile(data, encoding, &used);
    QString lyrics = ParseLrc(text, document);
    document.encoding = used;
    return lyrics;
}

QString LrcParser::ParseLrc(QStringView text, LrcDocument& document) {
    document.Clear();
    LrcParser parser(document);
    // Lines end in LF, CR LF or a lone CR.
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && text[end] != u'\n' && text[end] != u'\r') {
            ++end;
        }
        parser.ParseLine(text.sliced(pos, end - pos));
        pos = end + 1;
        if (end < n && text[end] == u'\r' && pos < n && text[pos] == u'\n') {
            ++pos;
        }
    }
    if (parser.anyWordTimes_) {
        for (LrcLine& line : document.lines) {
            if (!line.hasWordTimes) {
                parser.DropAngleSpans(line);
            }
        }
    }
    parser.ApplyOffset();
    parser.SortByTime();
    parser.SpreadLinesWithoutWordTimes();
    return parser.LyricsText();
}

void LrcParser::ParseLine(QStringView line) {
    line = line.trimmed();
    const qsizetype open = IndexOf(line, u'[');
    if (open < 0) {
        if (!line.isEmpty()) {
            ++document_.unreadableLines;
        }
        return;
    }
    line = line.sliced(open);
    // Every tag at the start of the line counts: "[offset:102][00:00.17]text" and
    // "[00:12.00][01:30.00]Chorus" alike. The lyric is everything after them, brackets inside
    // the words included.
    QList<int>& times = lineTimes_;
    times.clear();
    qsizetype pos = 0;
    bool anyTag = false;
    while (pos < line.size() && line[pos] == u'[') {
        const qsizetype close = IndexOf(line, u']', pos);
        if (close < 0) {
            break;
        }
        anyTag = true;
        const QStringView content = line.sliced(pos + 1, close - pos - 1);
        int timeHundredths = 0;
        if (content.size() >= 4 && ParseTime(content, timeHundredths)) {
            times.append(timeHundredths);
        } else if (IndexOf(content, u':') < 1 || !ParseIdTag(content)) {
            ++document_.unknownTags;
        }
        pos = close + 1;
        while (pos < line.size() && line[pos].isSpace()) {
            ++pos;
        }
    }
    if (!anyTag) {
        ++document_.unreadableLines;
    } else if (!times.isEmpty()) {
        ParseTimedLine(times, line.sliced(pos));
    }
}

void LrcParser::ParseTimedLine(const QList<int>& timesHundredths, QStringView lyricPart) {
    const int timeHundredths = timesHundredths.constFirst();
    QString lyric = lyricPart.trimmed().toString();
    if (lyric.size() >= 2 && lyric[1] == u':') {
        bool isPart = true;
        switch (lyric[0].toUpper().unicode()) {
            case u'M':
                part_ = LrcLine::Part::Male;
                break;
            case u'F':
                part_ = LrcLine::Part::Female;
                break;
            case u'D':
                part_ = LrcLine::Part::Duet;
                break;
            default:
                isPart = false;
                break;
        }
        if (isPart) {
            lyric = lyric.sliced(2).trimmed();
        }
    }
    lyric = CollapseSpaces(SquareWordTimesAsAngle(lyric));
    const QStringView view(lyric);

    LrcLine line;
    line.part = part_;
    line.timeHundredths = timeHundredths;
    int time = timeHundredths;
    const qsizetype n = view.size();
    qsizetype pos = 0;
    // Where a word time tag splits a word into syllables ("Syl<..>la<..>ble"), a "*" goes into
    // the lyrics text so that every syllable becomes a word of its own in the line list and
    // keeps its own time.
    QList<qsizetype> syllableBreaks;
    qsizetype lastTextEnd = -1;
    bool tagSinceText = false;
    bool spaceSinceText = false;
    // A word runs to the space after it or to the next "<"; a "<...>" is an element of its own.
    // An empty line still gets one empty element so that it keeps its place.
    do {
        const qsizetype start = pos;
        qsizetype stop = pos;
        if (stop < n && view[stop] == u'<') {
            while (stop < n && view[stop] != u'>') {
                ++stop;
            }
            stop = std::min(n, stop + 1);
        } else {
            while (stop < n && view[stop] != u'<') {
                if (view[stop++] == u' ') {
                    break;
                }
            }
        }
        const QStringView element = view.sliced(start, stop - start).trimmed();
        pos = stop;
        while (pos < n && view[pos].isSpace()) {
            ++pos;
        }
        const bool spaceAfter = pos > start + element.size();
        QStringView text = element;
        if (IsWordTimeTag(element)) {
            QStringView content = element.sliced(1);
            const qsizetype close = IndexOf(content, u'>');
            text = close >= 0 ? content.sliced(close + 1).trimmed() : QStringView();
            ParseTime(close >= 0 ? content.first(close) : content, time);
            line.hasWordTimes = true;
            tagSinceText = true;
        }
        if (!text.isEmpty() || !line.hasWordTimes) {
            line.elements.append({time, 0, text.toString()});
        }
        if (!text.isEmpty() && !IsAngleSpan(text)) {
            if (lastTextEnd >= 0 && tagSinceText && !spaceSinceText) {
                syllableBreaks.append(lastTextEnd);
            }
            lastTextEnd = start + element.size();
            tagSinceText = false;
            spaceSinceText = false;
        }
        spaceSinceText = spaceSinceText || spaceAfter;
    } while (pos < n);

    if (!syllableBreaks.isEmpty()) {
        QString marked;
        marked.reserve(lyric.size() + syllableBreaks.size());
        qsizetype from = 0;
        for (const qsizetype at : syllableBreaks) {
            marked.append(QStringView(lyric).sliced(from, at - from)).append(u'*');
            from = at;
        }
        lyric = marked.append(QStringView(lyric).sliced(from));
    }

    if (line.hasWordTimes) {
        DropAngleSpans(line);
        // Each word lasts until the next one starts; the last until the tag that closes it.
        // A word is never given an end before its start, whatever order the tags came in.
        for (qsizetype i = 0; i < line.elements.size(); ++i) {
            LrcElement& e = line.elements[i];
            const int next =
                i + 1 < line.elements.size() ? line.elements[i + 1].startHundredths : time;
            e.endHundredths = std::max(e.startHundredths, next - 1);
        }
        anyWordTimes_ = true;
    }
    // The same line at each further time, its word times moved along with it.
    const LrcLine first = line;
    document_.lines.append(std::move(line));
    lineTexts_.append(lyric);
    for (qsizetype k = 1; k < timesHundredths.size(); ++k) {
        LrcLine copy = first;
        const int shift = timesHundredths[k] - timeHundredths;
        copy.timeHundredths = timesHundredths[k];
        for (LrcElement& e : copy.elements) {
            e.startHundredths = ClampHundredths(qint64(e.startHundredths) + shift);
            e.endHundredths = ClampHundredths(qint64(e.endHundredths) + shift);
        }
        document_.lines.append(std::move(copy));
        lineTexts_.append(lyric);
    }
}

void LrcParser::DropAngleSpans(LrcLine& line) {
    // A "<...>" that is not a word time tag leaves the lyrics text of a file with word times, so
    // it is no element either: every element's text is then found in its line of the text.
    // A line of nothing else keeps one empty element, as an empty line does.
    if (line.elements.isEmpty()) {
        return;
    }
    const LrcElement first = line.elements.first();
    line.elements.removeIf([](const LrcElement& e) { return IsAngleSpan(e.text); });
    if (line.elements.isEmpty() && !line.hasWordTimes) {
        line.elements.append({first.startHundredths, 0, QString()});
    }
}

bool LrcParser::ParseIdTag(QStringView content) {
    const qsizetype colon = content.indexOf(u':');
    const QString key = content.first(colon).toString().toLower();
    const QStringView value = content.sliced(colon + 1).trimmed();
    if (key == u"ar") {
        document_.artist = value.toString();
    } else if (key == u"al") {
        document_.album = value.toString();
    } else if (key == u"ti") {
        document_.title = value.toString();
    } else if (key == u"au") {
        document_.author = value.toString();
    } else if (key == u"by") {
        document_.lrcBy = value.toString();
    } else if (key == u"re") {
        document_.tool = value.toString();
    } else if (key == u"ve") {
        document_.toolVersion = value.toString();
    } else if (key == u"length") {
        // "m:ss"; a bare number is taken as seconds.
        const qsizetype split = value.indexOf(u':');
        const qint64 minutes = split >= 0 ? ReadNumber(value.first(split)) : 0;
        const qint64 seconds = ReadNumber(split >= 0 ? value.sliced(split + 1) : value);
        document_.lengthHundredths = ClampHundredths((minutes * 60 + seconds) * 100);
    } else if (key == u"offset") {
        document_.offsetMilliseconds =
            static_cast<int>(std::clamp<qint64>(ReadSignedNumber(value), -INT32_MAX, INT32_MAX));
    } else {
        return false;
    }
    return true;
}

void LrcParser::ApplyOffset() {
    // Milliseconds to hundredths, rounded; a positive offset makes everything earlier.
    const qint64 ms = document_.offsetMilliseconds;
    if (ms == 0) {
        return;
    }
    const auto shifted = [ms](int hundredths) {
        const qint64 t = qint64(hundredths) * 10 - ms;
        return ClampHundredths(t <= 0 ? 0 : (t + 5) / 10);
    };
    for (LrcLine& line : document_.lines) {
        line.timeHundredths = shifted(line.timeHundredths);
        for (LrcElement& e : line.elements) {
            e.startHundredths = shifted(e.startHundredths);
            e.endHundredths = std::max(e.startHundredths, shifted(e.endHundredths));
        }
    }
}

void LrcParser::SortByTime() {
    QList<LrcLine>& lines = document_.lines;
    std::vector<qsizetype> order(static_cast<size_t>(lines.size()));
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<qsizetype>(i);
    }
    std::stable_sort(order.begin(), order.end(), [&lines](qsizetype a, qsizetype b) {
        return lines[a].timeHundredths < lines[b].timeHundredths;
    });
    QList<LrcLine> sortedLines;
    QStringList sortedTexts;
    sortedLines.reserve(lines.size());
    sortedTexts.reserve(lines.size());
    for (const qsizetype i : order) {
        sortedLines.append(std::move(lines[i]));
        sortedTexts.append(std::move(lineTexts_[i]));
    }
    lines = std::move(sortedLines);
    lineTexts_ = std::move(sortedTexts);
}

void LrcParser::SpreadLinesWithoutWordTimes() {
    // A line without word times shares the time up to the next line equally among its words.
    // The last line has no next line: its words get the average length of the words spread
    // before it, or no length at all when there were none.
    qint64 spreadTotal = 0;
    qint64 spreadCount = 0;
    QList<LrcLine>& lines = document_.lines;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        LrcLine& line = lines[i];
        if (line.hasWordTimes || line.elements.isEmpty()) {
            continue;
        }
        const qint64 first = line.elements.first().startHundredths;
        const qint64 count = line.elements.size();
        qint64 duration = 0;
        if (i + 1 < lines.size()) {
            const LrcLine& next = lines[i + 1];
            const qint64 nextStart = next.elements.isEmpty()
                                         ? next.timeHundredths
                                         : next.elements.first().startHundredths;
            // A line that is followed by an earlier one gets no length rather than a negative one.
            duration = std::max<qint64>(0, (nextStart - first) / count);
            spreadTotal += duration * count;
            spreadCount += count;
        } else if (spreadCount > 0) {
            duration = spreadTotal / spreadCount;
        }
        for (qsizetype j = 0; j < count; ++j) {
            const int start = ClampHundredths(first + j * duration);
            line.elements[j].startHundredths = start;
            line.elements[j].endHundredths =
                std::max(start, ClampHundredths(first + (j + 1) * duration - 1));
        }
    }
}

QString LrcParser::LyricsText() const {
    QString text;
    for (const QString& line : lineTexts_) {
        text += anyWordTimes_ ? RemoveAngleSpans(line) : line;
        text += u'\n';
    }
    return text;
}
