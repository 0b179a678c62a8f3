#pragma once

#include "dialogs/SettingsPageBase.h"
#include "song/MSongSettingsRules.h"

class QButtonGroup;
class QLineEdit;
class QMenu;
class QPlainTextEdit;

// The "Title Page" and "Credits Page" pages of the Song Settings dialog: whether the page is
// shown, its text of up to nine lines, its font, alignment, colours, picture, display time and
// transitions, with a preview of the page. The credits page has no erase transition.
class TitlePageSettingsPage : public SettingsPageBase {
    Q_OBJECT

public:
    static constexpr int kMaxLines = MSongSettingsRules::kMaxPageTextLines;

    // pageId: the title page or the credits page.
    TitlePageSettingsPage(MSongSettings& song, int pageId, SongSettingsStore& store,
                          const QStringList& fonts, QWidget* parent = nullptr);

    QCheckBox* EnableBox() const { return enable_; }
    QPlainTextEdit* TextEdit() const { return text_; }
    QComboBox* LineBox() const { return lineBox_; }
    QButtonGroup* VAlignGroup() const { return vAlign_; }
    QButtonGroup* HAlignGroup() const { return hAlign_; }
    QLineEdit* HoldEdit() const { return hold_; }
    QComboBox* EraseBox() const { return eraseBox_; }
    // The palette-index menu button of a colour ("Bkgnd", "Border", "Text", "Outline").
    QToolButton* IndexButton(const QString& colour) const;
    // The text box's right-click menu: Undo, Cut, Copy, Paste, Delete, Select All, Redo.
    QMenu* MakeTextMenu();

    void RedrawPreview() override;

protected:
    PreviewStream MakePreviewStream() override;
    void UpdateControls() override;
    void LoadPageControls() override;
    bool ConfirmBrowse() override;

private:
    void TextChanged();
    bool IsTitle() const;

    QCheckBox* enable_ = nullptr;
    QWidget* body_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QString lastText_;
    QComboBox* lineBox_ = nullptr;
    QButtonGroup* vAlign_ = nullptr;
    QButtonGroup* hAlign_ = nullptr;
    QLineEdit* hold_ = nullptr;
    QComboBox* eraseBox_ = nullptr;
    QList<QToolButton*> indexButtons_;
};
