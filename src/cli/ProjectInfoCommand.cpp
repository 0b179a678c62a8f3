#include "cli/ProjectInfoCommand.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "base/MFileName.h"
#include "cdg/MTransitionWriter.h"
#include "song/MProjectFile.h"
#include "song/MProjectSanity.h"
#include "song/MSongSettingKeys.h"
#include "song/MSongSettings.h"

int ProjectInfoCommand::Run(const QStringList& args) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("PROJECT.qlm"),
                                 QStringLiteral("The project file."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(json);
    if (const int rc = Parse(parser, args, QStringLiteral("PROJECT.qlm [--json]")); rc != kOk) {
        return rc < 0 ? kOk : rc;
    }
    const QStringList files = parser.positionalArguments();
    if (const int rc = ExactlyOne(files, QStringLiteral("project file")); rc != kOk) {
        return rc;
    }
    if (!QFileInfo(MFileName::Openable(files[0])).isFile()) {
        return Fail(QStringLiteral("%1: no such project file").arg(files[0]));
    }
    // The version as stored, before loading turns it into the current one.
    int32_t storedVersion = 0;
    {
        QFile f(MFileName::Openable(files[0]));
        if (f.open(QIODevice::ReadOnly)) {
            f.read(reinterpret_cast<char*>(&storedVersion), 4);
        }
    }
    MSongSettings song(files[0]);
    song.ResetToNewProject();
    if (const MStatus s = song.LoadProject(true); !s) {
        const QString why =
            s.Text().isEmpty() ? QStringLiteral("The project file is damaged.") : s.Text();
        return Fail(QStringLiteral("%1: %2").arg(
            files[0], QString(why).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    }
    int placed = 0;
    for (const MKaraokeWord* w : song.wordList) {
        placed += w->startTime != 0;
    }
    const SongHeader& h = song.header;
    QJsonObject header{{QStringLiteral("performance"),
                        h.performance == 2 ? QStringLiteral("Duet") : QStringLiteral("Solo")},
                       {QStringLiteral("linesPerPage"), h.linesPerPage},
                       {QStringLiteral("sweepMode"), h.sweepMode},
                       {QStringLiteral("sweepColour"), h.sweepColour},
                       {QStringLiteral("advanceSweep"), h.advanceSweep},
                       {QStringLiteral("loopBeforeIsSeconds"), h.loopBeforeIsSeconds},
                       {QStringLiteral("loopBefore"), h.loopBefore},
                       {QStringLiteral("loopAfterIsSeconds"), h.loopAfterIsSeconds},
                       {QStringLiteral("loopAfter"), h.loopAfter},
                       {QStringLiteral("adjustStepMs"), h.adjustStepMs},
                       {QStringLiteral("loopPlay"), h.loopPlay}};
    QJsonArray pages;
    for (const auto& p : song.pages) {
        pages.append(QJsonObject{
            {QStringLiteral("id"), p->pageId},
            {QStringLiteral("enabled"), p->enabled},
            {QStringLiteral("drawTransition"),
             MTransitionWriter::TransitionName(p->drawTransition)},
            {QStringLiteral("eraseTransition"),
             MTransitionWriter::TransitionName(p->eraseTransition)},
            {QStringLiteral("graphic"), p->hasGraphic},
            {QStringLiteral("graphicSize"),
             QStringLiteral("%1x%2").arg(p->picture.Width()).arg(p->picture.Height())},
            {QStringLiteral("placement"), MTransitionWriter::PlacementName(p->placement)},
            {QStringLiteral("displayTimeHundredths"), p->displayTime},
            {QStringLiteral("text"), p->text}});
    }
    QJsonObject info{{QStringLiteral("file"), files[0]},
                     {QStringLiteral("version"), storedVersion},
                     {QStringLiteral("header"), header},
                     {QStringLiteral("title"), song.title},
                     {QStringLiteral("artist"), song.artist},
                     {QStringLiteral("musicFile"), song.musicFile},
                     {QStringLiteral("pages"), pages},
                     {QStringLiteral("lines"), song.LineCount()},
                     {QStringLiteral("words"), song.WordCount()},
                     {QStringLiteral("placedWords"), placed}};
    // Every setting that 'quilm-cli set' takes, as it takes it.
    QJsonObject settings;
    for (const QString& key : MSongSettingKeys::Keys()) {
        settings.insert(key, MSongSettingKeys::Value(song, key));
    }
    info.insert(QStringLiteral("settings"), settings);
    const QStringList damage = MProjectSanity::Problems(song);
    if (!damage.isEmpty()) {
        info.insert(QStringLiteral("damage"), QJsonArray::fromStringList(damage));
    }
    if (parser.isSet(json)) {
        std::fputs(QJsonDocument(info).toJson(QJsonDocument::Indented).constData(), stdout);
        return kOk;
    }
    Out(QStringLiteral("file: %1").arg(files[0]));
    Out(QStringLiteral("version: %1").arg(storedVersion));
    Out(QStringLiteral("title: %1").arg(song.title));
    Out(QStringLiteral("artist: %1").arg(song.artist));
    Out(QStringLiteral("music file: %1")
            .arg(song.musicFile.isEmpty() ? QStringLiteral("(none)") : song.musicFile));
    Out(QStringLiteral("performance: %1, %2 lines per page, sweep %3 in colour %4, advance %5 s")
            .arg(header[QStringLiteral("performance")].toString())
            .arg(h.linesPerPage)
            .arg(h.sweepMode == 1 ? QStringLiteral("behind the text")
                                  : QStringLiteral("over the text"))
            .arg(h.sweepColour)
            .arg(QString::number(std::abs(h.advanceSweep) / 100.0, 'f', 2)));
    for (const auto& v : pages) {
        const QJsonObject p = v.toObject();
        Out(QStringLiteral("page %1: %2, draw %3, erase %4, graphic %5")
                .arg(p[QStringLiteral("id")].toInt())
                .arg(p[QStringLiteral("enabled")].toBool() ? QStringLiteral("enabled")
                                                           : QStringLiteral("off"))
                .arg(p[QStringLiteral("drawTransition")].toString(),
                     p[QStringLiteral("eraseTransition")].toString())
                .arg(p[QStringLiteral("graphic")].toBool()
                         ? p[QStringLiteral("graphicSize")].toString()
                         : QStringLiteral("none")));
    }
    Out(QStringLiteral("lines: %1").arg(song.LineCount()));
    Out(QStringLiteral("words: %1 (%2 placed)").arg(song.WordCount()).arg(placed));
    for (const QString& problem : damage) {
        Out(QStringLiteral("damage: %1").arg(problem));
    }
    return kOk;
}
