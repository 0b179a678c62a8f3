// LRC files, simple and with word times, turned into lyrics text and element times.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QString>

#include "lyrics/LrcDocument.h"
#include "lyrics/LrcParser.h"

namespace {

struct Parsed {
    QString text;
    LrcDocument document;
};

Parsed Parse(const QString& lrc) {
    Parsed p;
    p.text = LrcParser::ParseLrc(lrc, p.document);
    return p;
}

// "start-end text" for every element of a line, to compare a whole line at once.
QStringList Elements(const LrcLine& line) {
    QStringList out;
    for (const LrcElement& e : line.elements) {
        out << QStringLiteral("%1-%2 %3").arg(e.startHundredths).arg(e.endHundredths).arg(e.text);
    }
    return out;
}

int LineTime(const QString& tag) {
    const Parsed p = Parse(tag + "x");
    return p.document.lines.isEmpty() ? -1 : p.document.lines[0].timeHundredths;
}

}  // namespace

TEST(LrcParser, SimpleLinesShareTheTimeUpToTheNextLine) {
    const Parsed p = Parse(
        "[ti:A song]\n[00:12.34]Hello  world \n[00:14.00]Next one\n"
        "[00:15.00]Last line here\n");
    EXPECT_EQ(p.text, "Hello world\nNext one\nLast line here\n");
    ASSERT_EQ(p.document.lines.size(), 3);
    EXPECT_EQ(Elements(p.document.lines[0]), QStringList({"1234-1316 Hello", "1317-1399 world"}));
    EXPECT_EQ(Elements(p.document.lines[1]), QStringList({"1400-1449 Next", "1450-1499 one"}));
    // The last line: the average of the four words before, (83 + 83 + 50 + 50) / 4.
    EXPECT_EQ(Elements(p.document.lines[2]),
              QStringList({"1500-1565 Last", "1566-1631 line", "1632-1697 here"}));
}

TEST(LrcParser, WordTimesFromEnhancedLines) {
    const Parsed p = Parse(
        "[00:12.00]<00:12.00>Hello <00:12.50>world<00:13.20>\n"
        "[00:14.00]Plain line\n"
        "[00:16.00]<00:16.10>Syl<00:16.40>la<00:16.60>ble <00:17.00>end\n");
    // Syllables split by a tag alone are marked as syllables of one word.
    EXPECT_EQ(p.text, "Hello world\nPlain line\nSyl*la*ble end\n");
    ASSERT_EQ(p.document.lines.size(), 3);
    EXPECT_EQ(Elements(p.document.lines[0]), QStringList({"1200-1249 Hello", "1250-1319 world"}));
    // A line without word times among timed ones still gets times up to the next line.
    EXPECT_EQ(Elements(p.document.lines[1]), QStringList({"1400-1504 Plain", "1505-1609 line"}));
    // The last word has no closing tag: it gets no length rather than an end before its start.
    EXPECT_EQ(Elements(p.document.lines[2]),
              QStringList({"1610-1639 Syl", "1640-1659 la", "1660-1699 ble", "1700-1700 end"}));
}

TEST(LrcParser, TimeTagForms) {
    EXPECT_EQ(LineTime("[01:02]"), 6200);
    EXPECT_EQ(LineTime("[01:02.5]"), 6250);
    EXPECT_EQ(LineTime("[01:02.34]"), 6234);
    EXPECT_EQ(LineTime("[01:02.345]"), 6234);  // milliseconds, not 345 hundredths
    EXPECT_EQ(LineTime("  junk [00:01.00]"), 100);
    EXPECT_EQ(LineTime("[1:02.00]"), -1);  // minutes need two digits
    EXPECT_EQ(LineTime("[00:]"), -1);
    EXPECT_EQ(LineTime("[00:99999999999999999999]"), LrcDocument::kMaxHundredths);

    const Parsed word = Parse("[00:01.00]<00:02.345>a <00:03.5>b<00:04>");
    EXPECT_EQ(Elements(word.document.lines[0]), QStringList({"234-349 a", "350-399 b"}));
}

TEST(LrcParser, RepeatedLinesAreSungAtEachTimeInTimeOrder) {
    const Parsed p = Parse(
        "[00:10.00][00:40.00]Chorus\n[00:20.00]Verse two\n"
        "[00:30.00] [00:50.00]<00:30.00>la <00:30.50>la<00:31.00>\n");
    EXPECT_EQ(p.text, "Chorus\nVerse two\nla la\nChorus\nla la\n");
    QList<int> times;
    for (const LrcLine& line : p.document.lines) {
        times << line.timeHundredths;
    }
    EXPECT_EQ(times, QList<int>({1000, 2000, 3000, 4000, 5000}));
    // Word times move with the repeated line.
    EXPECT_EQ(Elements(p.document.lines[4]), QStringList({"5000-5049 la", "5050-5099 la"}));
    EXPECT_EQ(Elements(p.document.lines[0]), QStringList({"1000-1999 Chorus"}));
}

TEST(LrcParser, OffsetAndLeadingIdTagsApply) {
    // A positive offset shows the lyrics earlier; nothing goes below 0. An ID tag in front of a
    // time tag leaves the line's text in place.
    const Parsed p = Parse(
        "[offset:+102][00:00.17]first\n[00:02.00]<00:02.00>b <00:02.50>c<00:03.00>\n"
        "[ar:Me][00:04.00]last [tag]\n[zz][00:05.00]x\nstray words\n");
    EXPECT_EQ(p.text, "first\nb c\nlast [tag]\nx\n");
    EXPECT_EQ(p.document.offsetMilliseconds, 102);
    EXPECT_EQ(p.document.artist, "Me");
    EXPECT_EQ(p.document.lines[0].timeHundredths, 7);
    EXPECT_EQ(Elements(p.document.lines[1]), QStringList({"190-239 b", "240-289 c"}));
    EXPECT_EQ(p.document.unknownTags, 1);
    EXPECT_EQ(p.document.unreadableLines, 1);
    EXPECT_EQ(Parse("[offset:5000][00:01.00]a").document.lines[0].timeHundredths, 0);
    EXPECT_EQ(Parse("[00:01.00]a\n[offset:-250]").document.lines[0].timeHundredths, 125);
}

TEST(LrcParser, IdTagsFillTheDocumentAndAddNoText) {
    LrcDocument document;
    document.lines.append(LrcLine());
    const QString text = LrcParser::ParseLrc(
        u"[AR: Someone]\n[length: 3:05]\n[offset:-250]\n[xx:ignored]\n[1:02.00]not a line\n",
        document);
    EXPECT_EQ(text, QString());
    EXPECT_FALSE(document.HasLines());
    EXPECT_EQ(document.artist, "Someone");
    EXPECT_EQ(document.lengthHundredths, 18500);
    EXPECT_EQ(document.offsetMilliseconds, -250);

    // A second parse starts from an empty document.
    LrcParser::ParseLrc(u"[00:01.00]x", document);
    EXPECT_EQ(document.artist, QString());
    EXPECT_EQ(document.lines.size(), 1);
}

TEST(LrcParser, PartPrefixesCarryOver) {
    const Parsed p = Parse(
        "[00:05.00]M:Hi\n[00:06.00]f: There\n[00:07.00]next\n[00:08.00]D:Both\n[00:09.00]X:y\n");
    EXPECT_EQ(p.text, "Hi\nThere\nnext\nBoth\nX:y\n");
    QList<LrcLine::Part> parts;
    for (const LrcLine& line : p.document.lines) {
        parts << line.part;
    }
    using P = LrcLine::Part;
    EXPECT_EQ(parts, QList<P>({P::Male, P::Female, P::Female, P::Duet, P::Duet}));
}

TEST(LrcParser, EveryTimedLineKeepsItsPlace) {
    // An empty line stays a line with one empty element, so later lines keep their numbers.
    const Parsed p = Parse("[00:01.00]\n[00:02.00]Word\n");
    EXPECT_EQ(p.text, "\nWord\n");
    ASSERT_EQ(p.document.lines.size(), 2);
    EXPECT_EQ(Elements(p.document.lines[0]), QStringList({"100-199 "}));
    // Brackets within the words belong to the words.
    EXPECT_EQ(Parse("[00:01.00]Hello [world]").text, "Hello [world]\n");
    EXPECT_EQ(Parse("[00:01.00] [00:02.00] Hi").text, "Hi\nHi\n");
}

TEST(LrcParser, TimesNeverRunBackwards) {
    // Tags out of order, two words under one tag, lines out of order (sorted by their time): no
    // element ends before it starts.
    const Parsed p = Parse(
        "[00:05.00]<00:05.00>a <00:04.00>b<00:03.00>\n"
        "[00:06.00]<00:06.00>two words<00:07.00>\n"
        "[00:09.00]later\n[00:08.00]earlier one\n");
    EXPECT_EQ(Elements(p.document.lines[0]), QStringList({"500-500 a", "400-400 b"}));
    EXPECT_EQ(Elements(p.document.lines[1]), QStringList({"600-600 two", "600-699 words"}));
    EXPECT_EQ(Elements(p.document.lines[2]), QStringList({"800-849 earlier", "850-899 one"}));
    EXPECT_EQ(Elements(p.document.lines[3]), QStringList({"900-949 later"}));
    // A file of one plain line has no durations to go by.
    EXPECT_EQ(Elements(Parse("[00:05.00]one two").document.lines[0]),
              QStringList({"500-500 one", "500-500 two"}));
}

TEST(LrcParser, AngleBracketsAreRemovedOnlyWithinALine) {
    const Parsed p = Parse(
        "[00:01.00]I <3 you\n[00:02.00]<00:02.00>b <x> c<00:03.00>\n[00:04.00]d<00:05.00><i>e\n"
        "[00:06.00]<u>\n");
    EXPECT_EQ(p.text, "I <3 you\nb c\nd*e\n\n");
    // What leaves the text is no element either.
    EXPECT_EQ(Elements(p.document.lines[1]), QStringList({"200-200 b", "200-299 c"}));
    EXPECT_EQ(Elements(p.document.lines[2]), QStringList({"400-499 d", "500-500 e"}));
    EXPECT_EQ(Elements(p.document.lines[3]), QStringList({"600-649 "}));
    // Without word times nothing is removed.
    EXPECT_EQ(Parse("[00:01.00]a <b> c").text, "a <b> c\n");
}

TEST(LrcParser, BytesAreDecodedAndAnyLineEndWorks) {
    LrcDocument document;
    EXPECT_EQ(LrcParser::ParseLrc(QByteArray("[00:01.00]\x93q\x94\r[00:02.00]b\r\n"), document),
              QString::fromUtf8("“q”\nb\n"));
}

TEST(LrcParser, LongLinesTakeLinearTime) {
    QString text = "[00:01.00]";
    text += QString(200000, u' ') + QString(200000, u'<') + QString(200000, u'a');
    text += "\n[00:02.00]<00:02.00>" + QString(100000, u'<') + QString(100000, u'>');
    QElapsedTimer timer;
    timer.start();
    Parse(text);
    EXPECT_LT(timer.elapsed(), 5000);
}
