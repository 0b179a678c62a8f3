#include "cli/SetCommand.h"

#include <QFileInfo>

#include "base/MFileName.h"
#include "cdg/MTransitionWriter.h"
#include "song/MSongSettingKeys.h"
#include "song/MSongSettings.h"
#include "song/MSongSettingsRules.h"

namespace {

QString OneLine(QString text) {
    return text.replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QString KeyHelp() {
    QStringList transitions;
    for (int code : MSongSettingsRules::PageTransitions()) {
        transitions << MTransitionWriter::TransitionName(code);
    }
    QString keys;
    QString line = QStringLiteral(" ");
    for (const QString& key : MSongSettingKeys::Keys()) {
        if (line.size() + key.size() > 78) {
            keys += line + QLatin1Char('\n');
            line = QStringLiteral(" ");
        }
        line += QLatin1Char(' ') + key;
    }
    keys += line;
    return QStringLiteral(
               "\nEvery change is checked before the project is written; one bad change writes\n"
               "nothing. Numbers outside their range are clamped, and a note says so.\n"
               "  performance=Solo|Duet       linesPerPage=2..6 (3..6 in Duet, at most 3 with\n"
               "  sweepMode=Text|Background   a lyrics picture)     advance=0.00..5.00 seconds\n"
               "  PAGE.font=NAME  PAGE.size=1..99  PAGE.style=none|bold,italic,shadow\n"
               "  PAGE.align=Left|Center|Right     PAGE.valign=Top|Middle|Bottom\n"
               "  colours (sweepColour, PAGE.background, .border, .outline, .textColour,\n"
               "  lyrics.singer1, .singer2, .both)=#rrggbb, kept to four bits a primary\n"
               "  PAGE.picture=PATH|none   PAGE.placement=Top|Center|Bottom|Tiled|Stretched\n"
               "  PAGE.draw, title.erase=TRANSITION (lyrics: the Fills, Block Dissolve)\n"
               "  PAGE.enabled=on|off  PAGE.text=TEXT (9 lines)  PAGE.displayTime=SECONDS\n"
               "PAGE is title, lyrics or credits. Transitions: %1.\nKeys:\n%2")
        .arg(transitions.join(QStringLiteral(", ")), keys);
}

}  // namespace

int SetCommand::Run(const QStringList& args) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("PROJECT.qlm"),
                                 QStringLiteral("The project file, changed in place."));
    parser.addPositionalArgument(QStringLiteral("KEY=VALUE"),
                                 QStringLiteral("A setting and its new value (see below)."));
    if (const int rc = Parse(parser, args, QStringLiteral("PROJECT.qlm KEY=VALUE...")); rc != kOk) {
        if (rc < 0) {
            Out(KeyHelp());
            return kOk;
        }
        return rc;
    }
    const QStringList words = parser.positionalArguments();
    if (words.size() < 2) {
        return UsageError(words.isEmpty() ? QStringLiteral("no project file given")
                                          : QStringLiteral("no KEY=VALUE given"));
    }
    const QString path = words[0];
    if (!QFileInfo(MFileName::Openable(path)).isFile()) {
        return Fail(QStringLiteral("%1: no such project file").arg(path));
    }
    MSongSettings song(path);
    song.ResetToNewProject();
    if (const MStatus s = song.LoadProject(true); !s) {
        const QString why =
            s.Text().isEmpty() ? QStringLiteral("The project file is damaged.") : s.Text();
        return Fail(QStringLiteral("%1: %2").arg(path, OneLine(why)));
    }
    QStringList notes;
    for (const QString& word : words.mid(1)) {
        const qsizetype eq = word.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            return UsageError(QStringLiteral("'%1' is not KEY=VALUE").arg(word));
        }
        const QString key = word.left(eq);
        const QString value = word.mid(eq + 1);
        if (const MStatus s = MSongSettingKeys::Set(song, key, value); !s) {
            return UsageError(QStringLiteral("%1: %2; nothing was written")
                                  .arg(OneLine(word), OneLine(s.Text())));
        }
        const QString now = MSongSettingKeys::Value(song, key);
        if (!key.endsWith(QLatin1String(".picture"), Qt::CaseInsensitive) &&
            now.compare(value.trimmed(), Qt::CaseInsensitive) != 0) {
            notes << QStringLiteral("%1 set to %2").arg(key, now);
        }
    }
    if (const MStatus saved = song.SaveProject(); !saved) {
        return Fail(QStringLiteral("%1: %2").arg(path, OneLine(saved.Text())));
    }
    for (const QString& note : notes) {
        Err(QStringLiteral("quilm-cli set: %1").arg(note));
    }
    return kOk;
}
