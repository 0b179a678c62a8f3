#include "cli/ProjectNewCommand.h"

#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <memory>

#include "base/MFileName.h"
#include "base/MOutputPath.h"
#include "cli/CliSongHost.h"
#include "log/MEventLog.h"
#include "log/MLogEvents.h"
#include "log/MUserActionLog.h"
#include "lyrics/LrcDocument.h"
#include "lyrics/LyricImport.h"
#include "lyrics/LyricTextDecoder.h"
#include "song/MLineFit.h"
#include "song/MSongSettings.h"

namespace {

// A message box text as one line of a terminal.
QString OneLine(const QString& text) {
    QStringList parts;
    for (const QString& part : text.split(u'\n')) {
        if (!part.trimmed().isEmpty()) {
            parts << part.trimmed();
        }
    }
    return parts.join(u' ');
}

void LogUserAction(uint8_t code, const char* message) {
    if (MEventLog::Global().IsActive()) {
        MEventLog::Global().Queue(
            std::make_unique<MUserActionLog>(code, QString::fromLatin1(message)));
    }
}

}  // namespace

int ProjectNewCommand::Run(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The project file to write."),
                                    QStringLiteral("PROJECT.qlm"));
    const QCommandLineOption music(QStringLiteral("music"),
                                   QStringLiteral("The music: a WAV, MP3 or WMA file."),
                                   QStringLiteral("FILE"));
    const QCommandLineOption lyrics(
        QStringLiteral("lyrics"),
        QStringLiteral("The words: a .txt, .lrc, .kar, .mid or .midi file. The word times of an "
                       "LRC file time the words."),
        QStringLiteral("FILE"));
    const QCommandLineOption title(QStringLiteral("title"), QStringLiteral("The song's title."),
                                   QStringLiteral("T"));
    const QCommandLineOption artist(QStringLiteral("artist"), QStringLiteral("The artist."),
                                    QStringLiteral("A"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Replace the project file if it exists."));
    const QCommandLineOption encoding(
        QStringLiteral("lyrics-encoding"),
        QStringLiteral("The lyric file's text encoding (GBK, Big5, Shift_JIS, EUC-KR, "
                       "windows-1251, ...); found out when not given."),
        QStringLiteral("NAME"));
    const QCommandLineOption fit(
        QStringLiteral("fit"),
        QStringLiteral("wrap: break lines too wide for the screen at spaces, keeping the word "
                       "times."),
        QStringLiteral("MODE"));
    parser.addOptions({output, music, lyrics, encoding, fit, title, artist, force});
    if (const int rc = Parse(parser, args,
                             QStringLiteral("-o PROJECT.qlm [--music FILE] [--lyrics FILE] "
                                            "[--lyrics-encoding NAME] [--fit wrap] [--title T] "
                                            "[--artist A] [--force]"));
        rc != kOk) {
        return rc < 0 ? kOk : rc;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return UsageError(QStringLiteral("unexpected argument '%1'")
                              .arg(parser.positionalArguments().constFirst()));
    }
    if (parser.value(output).isEmpty()) {
        return UsageError(QStringLiteral("-o PROJECT.qlm is required"));
    }
    if (parser.isSet(encoding) && !LyricTextDecoder::IsKnownEncoding(parser.value(encoding))) {
        return UsageError(QStringLiteral("unknown encoding '%1'").arg(parser.value(encoding)));
    }
    if (parser.isSet(fit) && parser.value(fit) != u"wrap") {
        return UsageError(QStringLiteral("--fit takes 'wrap'"));
    }
    const MOutputPath target = MOutputPath::Check(
        parser.value(output), {parser.value(music), parser.value(lyrics)}, parser.isSet(force));
    if (!target.IsOk() && !target.IsReadOnly()) {
        return Fail(target.Status().Text());
    }
    if (target.Exists() && !parser.isSet(force)) {
        return Fail(
            QStringLiteral("%1: already exists (--force replaces it)").arg(parser.value(output)));
    }

    CliSongHost host;
    MSongSettings song(MFileName::Absolute(parser.value(output)), &host);
    song.ResetToNewProject();
    if (style_) {
        style_(song);
    }

    if (parser.isSet(music)) {
        const QString path = parser.value(music);
        LogUserAction(MLogEvents::kActionAddMusic, MLogEvents::kAddMusic);
        if (MStatus loaded = host.import.LoadMusic(path, nullptr); !loaded) {
            return Fail(QStringLiteral("%1: %2").arg(path, OneLine(loaded.Text())));
        }
        if (const MStatus s = song.SetMusicFile(MFileName::Absolute(path)); !s) {
            return Fail(QStringLiteral("%1: %2").arg(path, OneLine(s.Text())));
        }
    }

    bool timed = false;
    LrcDocument document;
    QStringList notes;  // what the user should know, on stderr
    if (parser.isSet(lyrics)) {
        const QString path = parser.value(lyrics);
        LogUserAction(MLogEvents::kActionImportLyrics, MLogEvents::kImportLyrics);
        LyricImport import(song);
        const MStatus status = import.ImportLyricFile(path, document, parser.value(encoding));
        if (!status) {
            return Fail(QStringLiteral("%1: %2").arg(
                path, status.Text().isEmpty()
                          ? QStringLiteral("not a lyric file (.txt, .lrc, .kar, .mid or .midi)")
                          : OneLine(status.Text())));
        }
        song.GenerateKaraokeLineList(true, false);
        timed = import.MergeLrcTimings(document);
        if (document.unreadableLines > 0) {
            notes << QStringLiteral("%1: %2 unreadable lines dropped")
                         .arg(path)
                         .arg(document.unreadableLines);
        }
        if (document.unknownTags > 0) {
            notes << QStringLiteral("%1: %2 unknown tags dropped")
                         .arg(path)
                         .arg(document.unknownTags);
        }
        // The parsed file has done its work; a long one need not stay in memory while the project
        // is written.
        document.lines = {};
        if (parser.isSet(fit)) {
            MLineFit::WrapOverflowingLines(song);
        }
        // The first few are named; a file of thousands gets a count, not a screenful each.
        constexpr size_t kNamedLines = 20;
        const auto wide = MLineFit::OverflowingLines(song);
        for (size_t k = 0; k < std::min(wide.size(), kNamedLines); ++k) {
            const int i = wide[k];
            notes << QStringLiteral("%1: line %2 is too wide for the screen: %3")
                         .arg(path)
                         .arg(i + 1)
                         .arg(song.lineList[static_cast<size_t>(i)]->text);
        }
        if (wide.size() > kNamedLines) {
            notes << QStringLiteral("%1: %2 more lines are too wide for the screen")
                         .arg(path)
                         .arg(wide.size() - kNamedLines);
        }
    }
    if (parser.isSet(title)) {
        song.SetTitle(parser.value(title));
    }
    if (parser.isSet(artist)) {
        song.SetArtist(parser.value(artist));
    }
    // A title or an artist given opens the song with a title page showing them.
    if (!song.title.isEmpty() || !song.artist.isEmpty()) {
        if (IMAGE_STRUCT* page = song.FindPage(IMAGE_STRUCT::kTitlePage)) {
            QStringList lines;
            for (const QString& text : {song.title, song.artist}) {
                if (!text.isEmpty()) {
                    lines << text;
                }
            }
            page->enabled = true;
            page->text = lines.join(QLatin1Char('\n'));
        }
    }

    if (const MStatus saved = song.SaveProject(); !saved) {
        return Fail(QStringLiteral("%1: %2").arg(parser.value(output), OneLine(saved.Text())));
    }
    int placed = 0;
    int32_t lastEnd = 0;
    for (const MKaraokeWord* w : song.wordList) {
        placed += w->IsPlaced() ? 1 : 0;
        lastEnd = std::max(lastEnd, w->endTime);
    }
    if (!song.musicFile.isEmpty() && song.workWavBlockAlign > 0) {
        const int64_t musicFrames = song.audioBytes / song.workWavBlockAlign;
        if (lastEnd > musicFrames) {
            notes << QStringLiteral("%1: the lyrics run %2 s past the end of the music")
                         .arg(parser.value(lyrics))
                         .arg(QString::number((lastEnd - musicFrames) / 44100.0, 'f', 2));
        }
    }
    for (const QString& note : notes) {
        Err(note);
    }
    // Lines with words: the empty lines that separate verses, and the one after the last line
    // break, are not counted.
    const auto lines = std::count_if(song.lineList.begin(), song.lineList.end(),
                                     [](const auto& line) { return line->HasWords(); });
    Out(QStringLiteral("%1: %2 lines, %3 words, %4 timed%5%6")
            .arg(parser.value(output))
            .arg(lines)
            .arg(song.WordCount())
            .arg(timed ? placed : 0)
            .arg(parser.isSet(lyrics) ? QStringLiteral(", encoding %1").arg(document.encoding)
                                      : QString())
            .arg(song.musicFile.isEmpty() ? QString()
                                          : QStringLiteral(", music %1").arg(song.musicFile)));
    return kOk;
}
