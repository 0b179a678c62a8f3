#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include "lyrics/LrcDocument.h"

// Reads LRC lyric files, simple ([mm:ss.xx] per line) and enhanced (<mm:ss.xx> before words).
class LrcParser {
public:
    // Clears and fills the document and returns the lyrics text: one line per time tag, each
    // ending in "\n", without the tags, in the order of their times (a line with several time
    // tags is sung at each of them). Empty when the file has no time-tagged line. The file's
    // [offset:] is applied to every time.
    // In a file with word times, syllables that a time tag splits without a space between them
    // are joined by "*" in the text ("Syl*la*ble"), the line list's mark for syllables, so that
    // each element of a line times one word of the line list.
    // encoding: the file's text encoding, or empty to find it out.
    static QString ParseLrc(QByteArrayView data, LrcDocument& document,
                            const QString& encoding = QString());
    static QString ParseLrc(QStringView text, LrcDocument& document);

    // "mm:ss", "mm:ss.x", "mm:ss.xx" or "mm:ss.xxx" (the content of a time tag) in hundredths;
    // false when the text does not start with two digits and a colon.
    static bool ParseTime(QStringView content, int& hundredths);

private:
    explicit LrcParser(LrcDocument& document) : document_(document) {}

    void ParseLine(QStringView line);
    void ParseTimedLine(const QList<int>& timesHundredths, QStringView lyricPart);
    bool ParseIdTag(QStringView content);
    void ApplyOffset();
    void SortByTime();
    static void DropAngleSpans(LrcLine& line);
    void SpreadLinesWithoutWordTimes();
    QString LyricsText() const;

    LrcDocument& document_;
    LrcLine::Part part_ = LrcLine::Part::Male;
    bool anyWordTimes_ = false;
    QStringList lineTexts_;
    QList<int> lineTimes_;  // the time tags of the line being read, kept to spare an allocation
};
