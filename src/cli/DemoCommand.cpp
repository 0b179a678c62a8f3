#include "cli/DemoCommand.h"

#include <QDir>
#include <QFile>

#include "cli/DemoSong.h"
#include "cli/ExportCommand.h"
#include "cli/ProjectNewCommand.h"
#include "lyrics/LrcDocument.h"
#include "lyrics/LrcParser.h"
#include "song/MSongSettings.h"

namespace {

// The lyrics size of the demo, in points: bold outlined words of its longest line fill the screen.
constexpr int kLyricsFontHeight = 22;

}  // namespace

int DemoCommand::Run(const QStringList& args) {
    QDir dir;
    if (const int rc = ParseOutputFolder(args, dir); rc != kOk) {
        return rc < 0 ? kOk : rc;
    }

    // The words with their times, as a lyric file.
    const QString lrcPath = dir.filePath(QStringLiteral("quilm-demo.lrc"));
    const QByteArray lrc = DemoSong::Lyrics();
    {
        QFile f(lrcPath);
        if (!f.open(QIODevice::WriteOnly) || f.write(lrc) != lrc.size()) {
            return Fail(
                QStringLiteral("%1: cannot write the lyrics: %2").arg(lrcPath, f.errorString()));
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

    // The project: music, lyrics timed from the lyric file, title and credits pages. The words are
    // bold and outlined, at a size that keeps each sung line whole on the screen; a line that
    // would still not fit (another font on another machine) is broken, so that the demo shows
    // every word and prints nothing but its files.
    const QString projectPath = dir.filePath(QStringLiteral("quilm-demo.qlm"));
    ProjectNewCommand make;
    make.SetStyle([](MSongSettings& song) {
        IMAGE_STRUCT* lyrics = song.FindPage(IMAGE_STRUCT::kLyricsPage);
        lyrics->textType.styleFlags = MTextType::kBold | MTextType::kOutline;
        lyrics->textType.hAlign = MTextType::kHCentre;
        lyrics->textType.fontHeight = kLyricsFontHeight;
    });
    if (const int rc = make.Run(
            {QStringLiteral("-o"), projectPath, QStringLiteral("--music"), musicPath,
             QStringLiteral("--lyrics"), lrcPath, QStringLiteral("--fit"), QStringLiteral("wrap"),
             QStringLiteral("--title"), QStringLiteral("Twinkle, Twinkle, Little Star"),
             QStringLiteral("--artist"), QStringLiteral("Traditional"), QStringLiteral("--force")});
        rc != kOk) {
        return rc;
    }
    {
        MSongSettings song(projectPath);
        if (const MStatus s = song.LoadProject(); !s) {
            return Fail(
                QStringLiteral("%1: cannot read the project back: %2").arg(projectPath, s.Text()));
        }
        IMAGE_STRUCT* title = song.FindPage(IMAGE_STRUCT::kTitlePage);
        title->enabled = true;
        title->text = QStringLiteral("Twinkle, Twinkle,\nLittle Star\n\nTraditional");
        title->drawTransition = 2;    // Fill Down
        title->eraseTransition = 10;  // Fade Out
        IMAGE_STRUCT* credits = song.FindPage(IMAGE_STRUCT::kCreditsPage);
        credits->enabled = true;
        credits->text = QStringLiteral("Made with Quilm\n\nMusic synthesised\nfrom the words");
        credits->drawTransition = 8;  // Block Dissolve
        if (const MStatus s = song.SaveProject(); !s) {
            return Fail(s.Text());
        }
    }

    // The exports, replacing those of an earlier run into the same folder.
    if (const int rc = ExportCommand().Run({projectPath, QStringLiteral("--type"),
                                            QStringLiteral("mp3"), QStringLiteral("--zip"),
                                            QStringLiteral("--force"), QStringLiteral("-o"),
                                            dir.filePath(QStringLiteral("quilm-demo.zip"))});
        rc != kOk) {
        return rc;
    }
    return ExportCommand().Run({projectPath, QStringLiteral("--type"), QStringLiteral("bin"),
                                QStringLiteral("--force"), QStringLiteral("-o"),
                                dir.filePath(QStringLiteral("quilm-demo.bin"))});
}
