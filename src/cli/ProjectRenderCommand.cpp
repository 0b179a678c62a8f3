#include "cli/ProjectRenderCommand.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "base/MOutputPath.h"
#include "base/MStagedFile.h"
#include "cli/CliMessageReporter.h"
#include "cli/CliProject.h"
#include "song/MProjectSanity.h"
#include "song/MSongDocument.h"

int ProjectRenderCommand::Run(const QStringList& args) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("PROJECT.qlm"),
                                 QStringLiteral("The project file."));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The .cdg file to write."),
                                    QStringLiteral("OUT.cdg"));
    const QCommandLineOption json(
        QStringLiteral("json"),
        QStringLiteral("Print the lead-in, stream length, credits length and "
                       "every line's schedule as JSON."));
    parser.addOptions({output, json});
    if (const int rc = Parse(parser, args, QStringLiteral("PROJECT.qlm -o OUT.cdg [--json]"));
        rc != kOk) {
        return rc < 0 ? kOk : rc;
    }
    const QStringList files = parser.positionalArguments();
    if (const int rc = ExactlyOne(files, QStringLiteral("project file")); rc != kOk) {
        return rc;
    }
    if (parser.value(output).isEmpty()) {
        return UsageError(QStringLiteral("-o OUT.cdg is required"));
    }
    CliMessageReporter reporter;
    MSongDocument project(&reporter);
    if (const MStatus s = OpenCliProject(project, files[0]); !s) {
        return Fail(s.Text());
    }
    const QStringList inputs{files[0], project.Song().musicFile};
    if (const MOutputPath target = MOutputPath::Check(parser.value(output), inputs, true);
        !target.IsOk()) {
        return Fail(target.Status().Text());
    }
    if (const MStatus s = MProjectSanity::Check(project.Song()); !s) {
        return Fail(s.Text());
    }
    project.GenerateKaraokeLineList(true, true);
    if (const QString why = CliUnfinishedReason(project.Song()); !why.isEmpty()) {
        return Fail(why);
    }
    const MSongStream stream = project.RenderWholeStream();
    if (!stream.status) {
        reporter.Report(stream.status, QString());
    }
    const MSongSettings& song = project.Song();
    const int32_t leadIn = stream.leadInFrames;
    const uint32_t length = stream.lengthBytes;

    if (const MStatus s =
            MStagedFile::Write(parser.value(output),
                               QByteArray::fromRawData(reinterpret_cast<const char*>(stream.bytes),
                                                       static_cast<qsizetype>(length)),
                               inputs, true);
        !s) {
        return Fail(QStringLiteral("cannot write the CD+G file: %1").arg(s.Text()));
    }
    if (parser.isSet(json)) {
        QJsonArray lines;
        for (const auto& line : song.lineList) {
            QJsonArray words;
            for (const auto& w : line->words) {
                words.append(QJsonObject{{QStringLiteral("first"), w->firstChar},
                                         {QStringLiteral("last"), w->lastChar},
                                         {QStringLiteral("start"), w->startTime},
                                         {QStringLiteral("end"), w->endTime}});
            }
            lines.append(QJsonObject{{QStringLiteral("text"), line->text},
                                     {QStringLiteral("page"), line->page},
                                     {QStringLiteral("row"), line->row},
                                     {QStringLiteral("placed"), line->placed},
                                     {QStringLiteral("drawTime"), line->drawTime},
                                     {QStringLiteral("eraseTime"), line->eraseTime},
                                     {QStringLiteral("words"), words}});
        }
        const QJsonObject result{{QStringLiteral("leadInFrames"), leadIn},
                                 {QStringLiteral("streamLengthBytes"), static_cast<qint64>(length)},
                                 {QStringLiteral("creditsFrames"), song.creditsFrames},
                                 {QStringLiteral("output"), parser.value(output)},
                                 {QStringLiteral("lines"), lines}};
        std::fputs(QJsonDocument(result).toJson(QJsonDocument::Indented).constData(), stdout);
    } else {
        Out(QStringLiteral("%1: %2 bytes (%3 s), lead-in %4 frames")
                .arg(parser.value(output))
                .arg(length)
                .arg(QString::number(length / 7200.0, 'f', 2))
                .arg(leadIn));
    }
    return kOk;
}
