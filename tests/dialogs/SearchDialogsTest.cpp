// Find Music and Find Lyrics: the custom address, the file choice and import, and the questions;
// the small dialogs and the notices' message box.

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "audio/CheckMp3Support.h"
#include "audio/MLameLibrary.h"
#include "audio/MMusicImport.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/DialogFixtures.h"
#include "dialogs/DodMessageReporter.h"
#include "dialogs/ExportDialog.h"
#include "dialogs/ExportProgress.h"
#include "dialogs/FindLyricsDialog.h"
#include "dialogs/FindMusicDialog.h"
#include "dialogs/LyricsPlacedDialog.h"
#include "lyrics/LrcDocument.h"
#include "lyrics/LyricImportSettings.h"
#include "song/MSongDocument.h"
#include "widgets/CColorPicker.h"
#include "widgets/CDodMsgBox.h"

namespace {

// Picks a file in the next file dialog.
void ChooseFile(const QString& path) {
    OnModal<QFileDialog>([path](QFileDialog* d) {
        d->selectFile(path);
        static_cast<QDialog*>(d)->accept();
    });
}

class MemoryLyricSettings : public LyricImportSettings {
public:
    int LyricFileIndex() const override { return index; }
    void SetLyricFileIndex(int i) override { index = i; }
    QString LyricsFolder() const override { return folder; }
    void SetLyricsFolder(const QString& f) override { folder = f; }
    int index = 0;
    QString folder;
};

}  // namespace

TEST_F(DialogTest, CustomAddressChoosesItselfOnlyWhileItIsAUrl) {
    MMusicImport music(TempFolder());
    settings_.WriteString("Default", "CustomAudioURL", "not an address");
    FindMusicDialog dialog(music, &settings_, true, nullptr);
    EXPECT_EQ(dialog.ChoiceCount(), 5);
    EXPECT_EQ(dialog.CheckedChoice(), 0);
    dialog.Choice(2)->click();
    QTest::keyClicks(dialog.CustomField(), "x");
    EXPECT_EQ(dialog.CheckedChoice(), 2);
    dialog.CustomField()->clear();
    QTest::keyClicks(dialog.CustomField(), "https://songs.example.org");
    EXPECT_EQ(dialog.CheckedChoice(), 4);
    EXPECT_EQ(dialog.ChosenUrl(), "https://songs.example.org");
    QTest::keyClick(dialog.CustomField(), Qt::Key_Backspace);
    EXPECT_EQ(dialog.CheckedChoice(), 4);  // "...exampl.or" is still an address
    dialog.CustomField()->setText("https://");
    QTest::keyClick(dialog.CustomField(), Qt::Key_Backspace);
    EXPECT_EQ(dialog.CheckedChoice(), 2);
    // Chosen by hand, a text that is not an address opens nothing.
    dialog.Choice(4)->click();
    EXPECT_EQ(dialog.ChosenUrl(), "");
    dialog.CloseButton()->click();
    EXPECT_EQ(settings_.ReadString("Default", "CustomAudioURL", "?"), "https:/");

    EXPECT_TRUE(SiteSearchDialog::IsCustomUrl("www.example.org"));
    EXPECT_FALSE(SiteSearchDialog::IsCustomUrl("www.example"));
    EXPECT_FALSE(SiteSearchDialog::IsCustomUrl("karaoke songs"));
}

TEST_F(DialogTest, LocalMusicIsImportedOrAnotherFileOffered) {
    MMusicImport music(TempFolder());
    settings_.WriteInt("Settings", "MusicFileIndex", 3);
    const QString broken = Path("broken.mp3");
    ASSERT_TRUE(AudioFixtures::WriteAll(broken, QByteArray(4000, '\x5a')));
    const QString good = MakeWav("good.wav", 1.0, 2);
    FindMusicDialog dialog(music, &settings_, true, nullptr);

    // A file that is no music: the problem question; Yes picks again, the good file is imported.
    QString question;
    ChooseFile(broken);
    OnModal<QMessageBox>([&question, good](QMessageBox* box) {
        question = box->text();
        ChooseFile(good);
        box->button(QMessageBox::Yes)->click();
    });
    dialog.LocalFileButton()->click();
    EXPECT_TRUE(question.startsWith("There is a problem with the selected audio file:\n\n"));
    EXPECT_TRUE(question.endsWith("\n\nWould you like to choose another file?"))
        << question.toStdString();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(music.WorkWavPath(), good);
    EXPECT_EQ(settings_.ReadInt("Settings", "MusicFileIndex", -1), 3);

    // No ends the choice with the dialog still open.
    FindMusicDialog second(music, &settings_, false, nullptr);
    ChooseFile(broken);
    OnModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
    second.LocalFileButton()->click();
    EXPECT_NE(second.result(), QDialog::Accepted);
    EXPECT_TRUE(music.WorkWavPath().isEmpty());
}

TEST_F(DialogTest, LrcFileImportsAndItsTimingsMergeAfterAQuestion) {
    const QString lrc = Path("song.lrc");
    QFile f(lrc);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[ar:Someone]\n[00:12.00]<00:12.00>Hello <00:12.50>world<00:13.20>\n");
    f.close();

    auto made = MakeSong(MakeWav("music.wav", 20.0, 2), 1.0, false, false);
    made->projectPath = Path("song.qlm");
    ASSERT_TRUE(made->SaveProject().IsOk());
    MSongDocument songDocument;
    ASSERT_TRUE(songDocument.Open(made->projectPath).IsOk());
    MSongSettings* song = &songDocument.Song();
    ASSERT_TRUE(song->HasPlacedWords());
    MemoryLyricSettings lyricSettings;
    LrcDocument document;
    FindLyricsDialog dialog(songDocument, &lyricSettings, &settings_, document, nullptr);
    EXPECT_EQ(dialog.ChoiceCount(), 7);
    ChooseFile(lrc);
    dialog.LocalFileButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(song->rawLyrics.trimmed(), "Hello world");
    EXPECT_EQ(lyricSettings.folder, fx_.Dir() + "/");
    ASSERT_TRUE(document.HasLines());

    song->GenerateKaraokeLineList(true, true);
    // Placed times on the song: the merge asks first; No keeps them.
    song->GetLine(0)->words[0]->startTime = 7;
    song->GetLine(0)->placed = true;
    QString asked;
    OnModal<QMessageBox>([&asked](QMessageBox* box) {
        asked = box->text();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_FALSE(FindLyricsDialog::MergeTimings(nullptr, songDocument, document));
    EXPECT_TRUE(asked.startsWith("The LRC file you selected contains timing values"));
    EXPECT_EQ(song->GetLine(0)->words[0]->startTime, 7);
    OnModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    EXPECT_TRUE(FindLyricsDialog::MergeTimings(nullptr, songDocument, document));
    EXPECT_EQ(song->GetLine(0)->words[0]->startTime, 1200 * 441);

    // A file with no lyrics: the stop message, the dialog stays open.
    const QString empty = Path("empty.txt");
    QFile(empty).open(QIODevice::WriteOnly);
    FindLyricsDialog again(songDocument, &lyricSettings, &settings_, document, nullptr);
    ChooseFile(empty);
    QString told;
    OnModal<QMessageBox>([&told](QMessageBox* box) {
        told = box->text();
        box->accept();
    });
    again.LocalFileButton()->click();
    EXPECT_TRUE(told.startsWith("There was an error opening or reading the Lyrics file"));
    EXPECT_NE(again.result(), QDialog::Accepted);
}

TEST_F(DialogTest, SmallDialogsAndNotices) {
    LyricsPlacedDialog placed;
    placed.show();
    QApplication::processEvents();
    const int shortHeight = placed.height();
    placed.MoreButton()->click();
    QApplication::processEvents();
    EXPECT_TRUE(placed.IsExpanded());
    EXPECT_EQ(placed.MoreButton()->text(), "<< Less");
    EXPECT_GT(placed.height(), shortHeight);
    placed.MoreButton()->click();
    QApplication::processEvents();
    EXPECT_EQ(placed.MoreButton()->text(), "More >>");
    EXPECT_EQ(placed.height(), shortHeight);

    // A missing encoder: its notice in the box with links; the ticked box is stored and the
    // notice not shown again.
    DodMessageReporter reporter;
    MLameLibrary missing("libquilm-no-such-lame.so.0");
    QString title;
    OnModal<CDodMsgBox>([&title](CDodMsgBox* box) {
        title = box->windowTitle();
        box->findChild<QCheckBox*>()->setChecked(true);
        box->findChild<QPushButton*>()->click();
    });
    EXPECT_FALSE(CheckMp3Support(missing, &reporter, &settings_, false));
    EXPECT_EQ(title, "MP3 Encoder Not Found");
    EXPECT_EQ(settings_.ReadInt("Default", "HideMP3Message", 0), 1);
    title.clear();
    EXPECT_FALSE(CheckMp3Support(missing, &reporter, &settings_, false));
    EXPECT_TRUE(title.isEmpty());
}

TEST_F(DialogTest, EveryControlHasAnAccessibleName) {
    MSongDocument song;
    MMusicImport music(TempFolder());
    LrcDocument document;
    MemoryLyricSettings lyricSettings;
    bool transparent = false;
    std::vector<std::unique_ptr<QWidget>> dialogs;
    dialogs.emplace_back(new ExportDialog(song, settings_, true, 44100));
    dialogs.emplace_back(new ExportProgress);
    dialogs.emplace_back(new FindMusicDialog(music, &settings_, true, nullptr));
    dialogs.emplace_back(new FindLyricsDialog(song, &lyricSettings, &settings_, document, nullptr));
    dialogs.emplace_back(new LyricsPlacedDialog);
    dialogs.emplace_back(new AboutDialog("1.0"));
    dialogs.emplace_back(new CColorPicker(0x808080, 12, &transparent));
    for (const auto& d : dialogs) {
        EXPECT_EQ(UnnamedControls(d.get()), QStringList()) << d->metaObject()->className();
    }
}
