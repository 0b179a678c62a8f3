#include "cli/DemoCommand.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include "cli/DemoSong.h"
#include "cli/ExportCommand.h"
#include "cli/ProjectNewCommand.h"
#include "lyrics/LrcDocument.h"
#include "lyrics/LrcParser.h"
#include "song/MSongSettings.h"

int DemoCommand::Run(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption outDir(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Folder to write into (default: a new folder "
                                                   "under the current one)."),
                                    QStringLiteral("DIR"));
    parser.addOption(outDir);
    if (const int rc = Parse(parser, args, QStringLiteral("[-o DIR]")); rc != kOk) {
        return rc < 0 ? kOk : rc;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return UsageError(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments()[0]));
    }
    QString dirPath = parser.value(outDir);
    if (dirPath.isEmpty()) {
        dirPath = QStringLiteral("quilm-demo-%1")
                      .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    }
    if (!QDir().mkpath(dirPath)) {
        return Fail(QStringLiteral("%1: cannot create the folder").arg(dirPath));
    }
    const QDir dir(QDir(dirPath).absolutePath());

    // The words with their times, as a lyric file.
    const QString lrcPath = dir.filePath(QStringLiteral("quilm-demo.lrc"));
    const QByteArray lrc = DemoSong::Lyrics();
    {
        QFile f(lrcPath);
        if (!f.open(QIODevice::WriteOnly) || f.write(lrc) != lrc.size()) {
            return Fail(QStringLiteral("%1: cannot write the lyrics").arg(lrcPath));
        }
    }
    // Music that follows them.
    LrcDocument document;
    LrcParser::ParseLrc(QByteArrayView(lrc), document);
    const QString musicPath = dir.filePath(QStringLiteral("quilm-demo-music.wav"));
    if (const MStatus s = DemoSong::WriteMusic(musicPath, document); !s) {
        return Fail(s.Text());
    }
    Out(QStringLiteral("lyrics: %1").arg(lrcPath));
    Out(QStringLiteral("music: %1").arg(musicPath));

    // The project: music, lyrics timed from the lyric file, title and credits pages.
    const QString projectPath = dir.filePath(QStringLiteral("quilm-demo.qlm"));
    if (const int rc = ProjectNewCommand().Run(
            {QStringLiteral("-o"), projectPath, QStringLiteral("--music"), musicPath,
             QStringLiteral("--lyrics"), lrcPath, QStringLiteral("--title"),
             QStringLiteral("Twinkle, Twinkle, Little Star"), QStringLiteral("--artist"),
             QStringLiteral("Traditional"), QStringLiteral("--force")});
        rc != kOk) {
        return rc;
    }
    {
        MSongSettings song(projectPath);
        if (const MStatus s = song.LoadProject(); !s) {
            return Fail(QStringLiteral("%1: cannot read the project back").arg(projectPath));
        }
        IMAGE_STRUCT* title = song.FindPage(IMAGE_STRUCT::kTitlePage);
        title->enabled = true;
        title->text = QStringLiteral("Twinkle, Twinkle,\nLittle Star\n\nTraditional");
        title->drawTransition = 2;  // Fill Down
        title->eraseTransition = 10;  // Fade Out
        IMAGE_STRUCT* credits = song.FindPage(IMAGE_STRUCT::kCreditsPage);
        credits->enabled = true;
        credits->text = QStringLiteral("Made with Quilm\n\nMusic synthesised\nfrom the words");
        credits->drawTransition = 8;  // Block Dissolve
        IMAGE_STRUCT* lyrics = song.FindPage(IMAGE_STRUCT::kLyricsPage);
        lyrics->textType.styleFlags = MTextType::kBold | MTextType::kOutline;
        lyrics->textType.hAlign = MTextType::kHCentre;
        if (const MStatus s = song.SaveProject(); !s) {
            return Fail(s.Text());
        }
    }

    // The exports.
    if (const int rc = ExportCommand().Run({projectPath, QStringLiteral("--type"), QStringLiteral("mp3"),
                                            QStringLiteral("--zip"), QStringLiteral("-o"),
                                            dir.filePath(QStringLiteral("quilm-demo.zip"))});
        rc != kOk) {
        return rc;
    }
    return ExportCommand().Run({projectPath, QStringLiteral("--type"), QStringLiteral("bin"),
                                QStringLiteral("-o"), dir.filePath(QStringLiteral("quilm-demo.bin"))});
}
