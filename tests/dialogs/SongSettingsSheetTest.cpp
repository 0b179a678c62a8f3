// The Song Settings dialog on the real engine: ranges and rules of its controls, its window
// place, Cancel and OK, pictures made by ffmpeg, and previews against the exported stream.

#include <QAccessible>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "base/MStoredRect.h"
#include "cdg/MRwGenerator.h"
#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"
#include "dialogs/DialogFixtures.h"
#include "dialogs/LyricsSettingsPage.h"
#include "dialogs/SettingsPreviewFrame.h"
#include "dialogs/SongSettingsSheet.h"
#include "dialogs/SongSettingsStore.h"
#include "dialogs/TitlePageSettingsPage.h"
#include "song/MPageGraphicEditor.h"
#include "song/MSongDocument.h"
#include "widgets/CColorButton.h"
#include "widgets/CColorPicker.h"
#include "widgets/MRwViewerWindow.h"

namespace {

class MapStore : public SongSettingsStore {
public:
    QByteArray ReadBinary(const QString& s, const QString& k) override {
        return values.value(s + '/' + k).toByteArray();
    }
    void WriteBinary(const QString& s, const QString& k, const QByteArray& v) override {
        values[s + '/' + k] = v;
    }
    QString ReadText(const QString& s, const QString& k, const QString& d) override {
        return values.value(s + '/' + k, d).toString();
    }
    void WriteText(const QString& s, const QString& k, const QString& v) override {
        values[s + '/' + k] = v;
    }
    QMap<QString, QVariant> values;
};

// The colours the screen shows in the picture area.
std::vector<MRgb> InnerColours(const MRwRenderer& renderer) {
    std::array<MRgb, 16> table{};
    const std::vector<uint8_t> screen = renderer.ScreenIndices(&table);
    std::vector<MRgb> out;
    for (int y = CdgScreen::kPictureTop; y < CdgScreen::kPictureTop + CdgScreen::kPictureHeight;
         ++y) {
        for (int x = CdgScreen::kPictureLeft;
             x < CdgScreen::kPictureLeft + CdgScreen::kPictureWidth; ++x) {
            out.push_back(table[screen[static_cast<size_t>(y) * MRwRenderer::kWidth + x] & 15]);
        }
    }
    return out;
}

// The screen a player shows at a moment of the song's stream.
std::vector<MRgb> StreamColoursAt(const std::vector<uint8_t>& stream, uint32_t position) {
    MRwRenderer renderer;
    MRwPlayer decoder(&renderer);
    decoder.DecodePackets(stream.data(), 0, position / 24);
    return InnerColours(renderer);
}

int Differences(const std::vector<MRgb>& a, const std::vector<MRgb>& b) {
    int n = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        n += a[i] != b[i];
    }
    return n + static_cast<int>(std::max(a.size(), b.size()) - std::min(a.size(), b.size()));
}

}  // namespace

class SongSettingsTest : public DialogTest {
protected:
    std::unique_ptr<MSongSettings> NewSong() {
        auto song = std::make_unique<MSongSettings>(QString(), &host_);
        song->ResetToNewProject();
        return song;
    }
    std::unique_ptr<SongSettingsSheet> Open(const MSongSettings& song) {
        auto copy = song.CopySettings();
        copy->SetHost(nullptr);
        auto sheet = std::make_unique<SongSettingsSheet>(std::move(copy), store_, fonts_);
        sheet->show();
        return sheet;
    }
    // A picture made by ffmpeg from a lavfi source.
    QString Picture(const QString& name, const QString& source = "testsrc=size=320x240") {
        return fx_.Make(name, source, {"-frames:v", "1", "-update", "1"});
    }
    std::vector<uint8_t> Render(MSongSettings& song, uint32_t* length) {
        std::vector<uint8_t> stream(7200 * 120, 0);
        song.WriteRwMemory(stream.data(), static_cast<uint32_t>(stream.size()), length,
                           MSongSettings::kFromTheStart);
        return stream;
    }

    MapStore store_;
    QStringList fonts_ = {"DejaVu Sans", "Liberation Sans", "Liberation Serif"};
};

TEST_F(SongSettingsTest, LinesRangeFollowsPerformanceAndLyricsGraphic) {
    auto song = NewSong();
    song->header.linesPerPage = 2;
    auto sheet = Open(*song);
    LyricsSettingsPage* page = sheet->LyricsPage();
    EXPECT_EQ(sheet->Tabs()->currentWidget(), page);
    EXPECT_EQ(page->LinesBox()->count(), 5);  // 2 to 6
    page->PerformanceGroup()->button(SongHeader::kDuet)->click();
    EXPECT_EQ(sheet->Settings().header.linesPerPage, 3);
    EXPECT_EQ(page->LinesBox()->currentText(), "3");
    EXPECT_EQ(page->LinesBox()->itemText(0), "3");
    EXPECT_TRUE(page->ColourButton("Singer2")->isEnabled());
    page->PerformanceGroup()->button(SongHeader::kSolo)->click();
    EXPECT_EQ(sheet->Settings().header.linesPerPage, 3);
    EXPECT_FALSE(page->ColourButton("Both")->isEnabled());

    page->LinesBox()->setCurrentText("5");
    EXPECT_EQ(sheet->Settings().header.linesPerPage, 5);
    EXPECT_FALSE(page->PreviewButton()->isEnabled());
    ASSERT_TRUE(page->LoadGraphic(Picture("a.png")));
    EXPECT_EQ(sheet->Settings().header.linesPerPage, 3);
    EXPECT_EQ(page->LinesBox()->count(), 2);  // 2 to 3
    EXPECT_EQ(page->Page().textArea, 50);
    EXPECT_TRUE(page->PreviewButton()->isEnabled());
    EXPECT_TRUE(page->DisplayBox()->isEnabled());
    page->RemoveButton()->click();
    EXPECT_EQ(page->Page().textArea, 0);
    EXPECT_FALSE(page->Page().hasGraphic);
    EXPECT_EQ(page->LinesBox()->count(), 5);
    EXPECT_FALSE(page->RemoveButton()->isEnabled());
}

TEST_F(SongSettingsTest, TypedValuesKeepToTheirRanges) {
    auto song = NewSong();
    auto sheet = Open(*song);
    QDoubleSpinBox* advance = sheet->LyricsPage()->AdvanceSpin();
    EXPECT_EQ(advance->text(), "0.20");
    advance->stepBy(200);
    EXPECT_EQ(advance->text(), "5.00");
    EXPECT_EQ(sheet->Settings().header.advanceSweep, -500);
    advance->stepBy(-1);
    EXPECT_EQ(sheet->Settings().header.advanceSweep, -495);
    advance->stepBy(-200);
    EXPECT_EQ(advance->text(), "0.00");
    EXPECT_EQ(sheet->Settings().header.advanceSweep, 0);

    TitlePageSettingsPage* title = sheet->TitlePage();
    title->EnableBox()->click();
    QComboBox* size = title->SizeBox();
    size->setFocus();
    size->lineEdit()->selectAll();
    QTest::keyClicks(size->lineEdit(), "345");
    EXPECT_EQ(size->currentText(), "34");
    EXPECT_EQ(title->Page().textType.fontHeight, 34);
    title->HoldEdit()->selectAll();
    QTest::keyClicks(title->HoldEdit(), "12.345678");
    EXPECT_EQ(title->HoldEdit()->text(), "12.34");
    EXPECT_EQ(title->Page().displayTime, 1234);
    EXPECT_FALSE(sheet->CreditsPage()->EraseBox()->isVisibleTo(sheet->CreditsPage()));
    EXPECT_TRUE(title->EraseBox()->isVisibleTo(title));
}

TEST_F(SongSettingsTest, TitleTextKeepsToNineLinesAndItsMenu) {
    auto song = NewSong();
    auto sheet = Open(*song);
    TitlePageSettingsPage* title = sheet->TitlePage();
    EXPECT_FALSE(title->TextEdit()->isEnabled());  // the page is not enabled yet
    title->EnableBox()->click();
    QPlainTextEdit* edit = title->TextEdit();
    edit->setFocus();
    for (char line = '1'; line <= '9'; ++line) {
        if (line > '1') {
            QTest::keyClick(edit, Qt::Key_Return);
        }
        QTest::keyClicks(edit, QString(QChar(line)));
    }
    const QString nine = "1\n2\n3\n4\n5\n6\n7\n8\n9";
    EXPECT_EQ(title->Page().text, nine);
    EXPECT_EQ(title->LineBox()->count(), 9);
    EXPECT_FALSE(title->LineBox()->isEnabled());
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(edit->toPlainText(), nine);
    EXPECT_EQ(title->Page().text, nine);
    QTest::keyClicks(edit, "x");
    EXPECT_EQ(title->Page().text, nine + "x");

    std::unique_ptr<QMenu> menu(title->MakeTextMenu());
    QStringList entries;
    for (QAction* a : menu->actions()) {
        if (!a->isSeparator()) {
            entries << a->text().remove('&');
        }
    }
    EXPECT_EQ(entries,
              QStringList({"Undo", "Cut", "Copy", "Paste", "Delete", "Select All", "Redo"}));
}

TEST_F(SongSettingsTest, ReopensWhereAndAsLargeAsItWasClosed) {
    auto song = NewSong();
    QRect closed;
    QSize first;
    {
        auto sheet = Open(*song);
        first = sheet->size();
        EXPECT_EQ(sheet->minimumSize(), first);
        sheet->setGeometry(QRect(QPoint(40, 30), first + QSize(120, 90)));
        closed = sheet->geometry();
        // The preview stays the largest 4:3 rectangle of its frame.
        QApplication::processEvents();
        const QRect view = sheet->LyricsPage()->PreviewFrame()->Viewer()->geometry();
        EXPECT_EQ(view.width() * 3, view.height() * 4);
        EXPECT_TRUE(view.width() == sheet->LyricsPage()->PreviewFrame()->width() ||
                    view.height() == sheet->LyricsPage()->PreviewFrame()->height());
        sheet->reject();
    }
    EXPECT_EQ(store_.ReadBinary("Settings", "SettingsWindowPos").size(), 16);
    auto again = Open(*song);
    EXPECT_EQ(again->geometry(), closed);
    EXPECT_EQ(again->minimumSize(), first);
    // A stored rectangle smaller than the sheet grows to its first size.
    again->reject();
    store_.WriteBinary("Settings", "SettingsWindowPos", MStoredRect::Pack(QRect(50, 60, 20, 10)));
    auto small = Open(*song);
    EXPECT_EQ(small->geometry().topLeft(), QPoint(50, 60));
    EXPECT_EQ(small->size(), first);
}

TEST_F(SongSettingsTest, CancelLeavesTheSongAsItWasAndOkTakesTheChanges) {
    auto song = NewSong();
    song->rawLyrics = "one two\nthree four\nfive six\nseven eight\nnine ten";
    song->GenerateKaraokeLineList(true, true);
    song->FindPage(IMAGE_STRUCT::kTitlePage)->text = "Title";
    song->projectPath = Path("song.qlm");
    ASSERT_TRUE(song->SaveProject().IsOk());
    const QByteArray before = AudioFixtures::ReadAll(song->projectPath);
    MSongDocument document;
    ASSERT_TRUE(document.Open(song->projectPath).IsOk());
    MSongSettings* edited = &document.Song();
    const QString png = Picture("b.png");

    // Every kind of control: combo boxes, check boxes, radios, spin box, text, colour picker,
    // index menu, picture load and removal.
    auto touchEverything = [&png](SongSettingsSheet* sheet) {
        LyricsSettingsPage* lyrics = sheet->LyricsPage();
        lyrics->FontBox()->setCurrentIndex(2);
        lyrics->SizeBox()->setCurrentText("48");
        lyrics->StyleBox(MTextType::kItalic)->click();
        lyrics->AlignGroup()->button(MTextType::kHRight)->click();
        lyrics->SweepGroup()->button(1)->click();
        lyrics->PerformanceGroup()->button(SongHeader::kDuet)->click();
        lyrics->AdvanceSpin()->stepBy(3);
        lyrics->LinesBox()->setCurrentIndex(3);
        lyrics->LoadGraphic(png);
        lyrics->DrawBox()->setCurrentIndex(4);
        TitlePageSettingsPage* title = sheet->TitlePage();
        title->EnableBox()->click();
        title->TextEdit()->setPlainText("A\nB");
        title->VAlignGroup()->button(MTextType::kVBottom)->click();
        title->IndexButton("Border")->menu()->actions().at(3)->trigger();
        title->LoadGraphic(png);
        title->RemoveButton()->click();
        sheet->CreditsPage()->EraseBox()->setCurrentIndex(5);
        sheet->CreditsPage()->HoldEdit()->setText("9.5");
        emit sheet->CreditsPage()->HoldEdit()->textEdited("9.5");
    };
    OnModal<SongSettingsSheet>([&](SongSettingsSheet* sheet) {
        touchEverything(sheet);
        QTest::mouseClick(sheet->LyricsPage()->ColourButton("Sweep"), Qt::LeftButton);
        OnModal<CColorPicker>([sheet](CColorPicker* picker) {
            picker->Slider(CColorPicker::kRed)->setValue(3);
            picker->accept();
            QTimer::singleShot(10, sheet, [sheet] {
                const IMAGE_STRUCT* page = sheet->Settings().FindPage(IMAGE_STRUCT::kLyricsPage);
                EXPECT_EQ(page->picture.Colour(14), CdgColour::Make(51, 238, 0));
                sheet->reject();
            });
        });
    });
    EXPECT_FALSE(SongSettingsSheet::Run(nullptr, document, store_, fonts_));
    EXPECT_FALSE(edited->modified);
    ASSERT_TRUE(edited->SaveProject().IsOk());
    EXPECT_EQ(AudioFixtures::ReadAll(edited->projectPath), before);

    OnModal<SongSettingsSheet>([&](SongSettingsSheet* sheet) {
        touchEverything(sheet);
        sheet->accept();
    });
    EXPECT_TRUE(SongSettingsSheet::Run(nullptr, document, store_, fonts_));
    EXPECT_TRUE(edited->modified);
    EXPECT_EQ(edited->header.performance, SongHeader::kDuet);
    EXPECT_EQ(edited->header.linesPerPage, 3);  // the graphic allows no more
    EXPECT_EQ(edited->LineCount(), 5);
    EXPECT_EQ(edited->GetLine(4)->page, 1);
    const IMAGE_STRUCT* lyrics = edited->FindPage(IMAGE_STRUCT::kLyricsPage);
    EXPECT_EQ(lyrics->textType.faceName, "Liberation Serif");
    EXPECT_EQ(lyrics->textType.styleFlags, MTextType::kBold | MTextType::kItalic);
    EXPECT_TRUE(lyrics->hasGraphic);
    EXPECT_EQ(lyrics->drawTransition, 8);
    const IMAGE_STRUCT* title = edited->FindPage(IMAGE_STRUCT::kTitlePage);
    EXPECT_TRUE(title->enabled);
    EXPECT_EQ(title->text, "A\nB");
    EXPECT_FALSE(title->hasGraphic);
    EXPECT_EQ(title->borderColorIndex, 11);  // reset by Remove
    EXPECT_EQ(edited->FindPage(IMAGE_STRUCT::kCreditsPage)->displayTime, 950);
}

TEST_F(SongSettingsTest, PicturesFromOtherProgramsLoadOrAreRefused) {
    auto song = NewSong();
    auto sheet = Open(*song);
    TitlePageSettingsPage* title = sheet->TitlePage();
    title->EnableBox()->click();
    IMAGE_STRUCT& page = title->Page();
    page.picture.SetColour(9, CdgColour::Make(1, 2, 3));
    const std::array<MRgb, 16> keptBefore = page.Colors();
    struct Case {
        QString name;
        QString source;
        int width;
        int height;
    };
    const Case good[] = {
        {"p.png", "testsrc=size=320x240", 256, 192},
        {"p.jpg", "testsrc=size=100x50", 100, 50},
        {"p.gif", "testsrc=size=64x48", 64, 48},  // paletted
        {"p.bmp", "testsrc=size=1000x500", 287, 143},
        {"p.tif", "testsrc=size=288x192", 288, 192},
        {"one.png", "color=red:size=2x2,format=rgb24,crop=1:1:0:0", 1, 1},
        {"big.jpg", "testsrc=size=4000x3000", 256, 192},
    };
    for (const Case& c : good) {
        SCOPED_TRACE(c.name.toStdString());
        ASSERT_TRUE(title->LoadGraphic(Picture(c.name, c.source)));
        EXPECT_EQ(page.picture.Width(), c.width);
        EXPECT_EQ(page.picture.Height(), c.height);
        for (int i = 9; i < 16; ++i) {
            EXPECT_EQ(page.Colors()[i], keptBefore[i]) << i;
        }
    }
    EXPECT_EQ(title->LineBox()->count(), 1);

    const IMAGE_STRUCT loaded = page;
    QByteArray png = AudioFixtures::ReadAll(Picture("cut.png"));
    ASSERT_TRUE(AudioFixtures::WriteAll(Path("cut.png"), png.left(png.size() / 2)));
    ASSERT_TRUE(AudioFixtures::WriteAll(Path("text.png"), "not a picture"));
    for (const QString& bad : {Path("cut.png"), Path("text.png"), Path("missing.png")}) {
        QString shown;
        OnModal<QMessageBox>([&shown](QMessageBox* box) {
            shown = box->windowTitle() + "|" + box->text();
            EXPECT_EQ(box->icon(), QMessageBox::Warning);
            box->accept();
        });
        EXPECT_FALSE(title->LoadGraphic(bad));
        EXPECT_EQ(shown, "Could Not Load Image File|Please ensure the file is a valid image.");
        EXPECT_TRUE(page == loaded);
    }
}

TEST_F(SongSettingsTest, BrowseAsksFirstOnStyledLinesAndRemembersTheFolder) {
    auto song = NewSong();
    IMAGE_STRUCT* credits = song->FindPage(IMAGE_STRUCT::kCreditsPage);
    credits->enabled = true;
    credits->text = "one\ntwo";
    credits->perLineTypes.Append({9, 30, 0, "Arial", 0});
    const QString png = Picture("c.png");
    store_.WriteText("Settings", "GraphicsPath", fx_.Dir());
    auto sheet = Open(*song);
    TitlePageSettingsPage* page = sheet->CreditsPage();

    QString question;
    OnModal<QMessageBox>([&question](QMessageBox* box) {
        question = box->windowTitle() + "|" + box->text();
        box->button(QMessageBox::No)->click();
    });
    page->BrowseButton()->click();
    EXPECT_TRUE(question.startsWith("Warning|Choosing a graphic image will mean\n"));
    EXPECT_FALSE(page->Page().hasGraphic);

    store_.WriteText("Settings", "GraphicsPath", "");
    page->Page().perLineTypes.Clear();
    QString folder;
    OnModal<QFileDialog>([&](QFileDialog* d) {
        folder = d->directory().absolutePath();
        EXPECT_EQ(d->windowTitle(), "Select Bitmap");
        EXPECT_TRUE(d->nameFilters().at(0).startsWith("Image Files (*.bmp, *.jpg, *.gif"));
        d->selectFile(png);
        static_cast<QDialog*>(d)->accept();
    });
    page->BrowseButton()->click();
    EXPECT_TRUE(page->Page().hasGraphic);
    EXPECT_EQ(store_.ReadText("Settings", "GraphicsPath", ""), fx_.Dir() + "/");
}

// What the previews show is what the exported song shows at the same moment.
TEST_F(SongSettingsTest, PreviewsMatchTheRenderedSong) {
    auto song = NewSong();
    song->rawLyrics = "Sample line (swept)\nSample Singer 1\nSample Singer 1\nSample Singer 1";
    song->GenerateKaraokeLineList(true, true);
    int32_t t = 3 * 44100;
    for (auto& line : song->lineList) {
        for (auto& w : line->words) {
            w->startTime = t;
            w->endTime = t + 10000;
            t += 11025;
        }
        line->placed = true;
        t = std::max(t, 12 * 44100);  // the other rows are swept after the moment compared
    }
    uint32_t length = 0;
    std::vector<uint8_t> stream = Render(*song, &length);
    {
        auto sheet = Open(*song);
        EXPECT_EQ(Differences(InnerColours(sheet->LyricsPage()->PreviewFrame()->Renderer()),
                              StreamColoursAt(stream, 8 * 7200)),
                  0);
    }

    song->lineList.clear();
    song->wordList.clear();
    IMAGE_STRUCT* title = song->FindPage(IMAGE_STRUCT::kTitlePage);
    title->enabled = true;
    title->text = "Twinkle\nJane Taylor";
    ASSERT_TRUE(MPageGraphicEditor::Load(*song, *title, Picture("t.png", "testsrc=size=200x150")));
    for (int transition = 0; transition <= 8; ++transition) {
        SCOPED_TRACE(transition);
        title->drawTransition = transition;
        stream = Render(*song, &length);
        // The erase transition ends the stream; compare half a second before it starts.
        IMAGE_STRUCT copy = *title;
        std::vector<uint8_t> scratch(7200 * 60, 0);
        MRwGenerator gen(scratch.data(), static_cast<uint32_t>(scratch.size()));
        const uint32_t withErase = gen.DrawPage(copy, true, 0);
        std::fill(scratch.begin(), scratch.end(), 0);
        const uint32_t withoutErase = gen.DrawPage(copy, false, 0);
        auto sheet = Open(*song);
        EXPECT_EQ(Differences(InnerColours(sheet->TitlePage()->PreviewFrame()->Renderer()),
                              StreamColoursAt(stream, length - (withErase - withoutErase) - 3600)),
                  0);
    }
}

TEST_F(SongSettingsTest, PreviewPlaysWhileTheSheetStaysResponsiveAndStopsWithIt) {
    auto song = NewSong();
    IMAGE_STRUCT* title = song->FindPage(IMAGE_STRUCT::kTitlePage);
    title->enabled = true;
    title->text = "Twinkle";
    title->displayTime = 20;
    auto sheet = Open(*song);
    TitlePageSettingsPage* page = sheet->TitlePage();
    const std::vector<MRgb> still = InnerColours(page->PreviewFrame()->Renderer());
    QElapsedTimer clock;
    clock.start();
    page->PreviewButton()->click();
    EXPECT_TRUE(page->PreviewPlaying());
    EXPECT_FALSE(page->PreviewButton()->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([page] { return !page->PreviewPlaying(); }, 20000));
    // Two fills of the screen (768 packets each), 0.2 s of display, presets: above 5 s.
    EXPECT_GE(clock.elapsed(), 5000);
    EXPECT_TRUE(page->PreviewButton()->isEnabled());
    EXPECT_EQ(InnerColours(page->PreviewFrame()->Renderer()), still);

    // The lyrics graphic plays in its upper half over the sample lines, then the still returns.
    LyricsSettingsPage* lyrics = sheet->LyricsPage();
    ASSERT_TRUE(lyrics->LoadGraphic(Picture("run.png")));
    const std::vector<MRgb> lyricsStill = InnerColours(lyrics->PreviewFrame()->Renderer());
    lyrics->PreviewButton()->click();
    QTest::qWait(150);
    EXPECT_NE(InnerColours(lyrics->PreviewFrame()->Renderer()), lyricsStill);
    ASSERT_TRUE(QTest::qWaitFor([lyrics] { return !lyrics->PreviewPlaying(); }, 20000));
    EXPECT_EQ(InnerColours(lyrics->PreviewFrame()->Renderer()), lyricsStill);

    // A change during the run ends it and shows the changed page.
    page->PreviewButton()->click();
    page->StyleBox(MTextType::kItalic)->click();
    EXPECT_FALSE(page->PreviewPlaying());
    page->PreviewButton()->click();
    sheet->reject();
    EXPECT_FALSE(page->PreviewPlaying());

    // Every control is named for screen readers.
    int controls = 0;
    for (QWidget* w : sheet->findChildren<QWidget*>()) {
        const bool control =
            qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
            qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
            (qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w->parent()) &&
             !qobject_cast<QAbstractSpinBox*>(w->parent()));
        if (control && !qobject_cast<QTabBar*>(w->parent())) {
            ++controls;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            EXPECT_FALSE(a == nullptr || a->text(QAccessible::Name).isEmpty())
                << w->metaObject()->className();
        }
    }
    EXPECT_GT(controls, 60);
}
