#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "dialogs/PreviewRun.h"

class CColorButton;
class MSongSettings;
class QBoxLayout;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QPushButton;
class QToolButton;
class SettingsPreviewFrame;
class SongSettingsStore;
struct IMAGE_STRUCT;

// What the pages of the Song Settings dialog share: they edit one page record of a copy of the
// song, show it in a live preview redrawn after every change, play it with its transition on
// Preview, and offer the font, style, colour and picture controls built here.
class SettingsPageBase : public QWidget {
    Q_OBJECT

public:
    SettingsPageBase(MSongSettings& song, int pageId, SongSettingsStore& store,
                     const QStringList& fonts, QWidget* parent = nullptr);
    ~SettingsPageBase() override;

    MSongSettings& Song() const { return song_; }
    IMAGE_STRUCT& Page() const;
    SettingsPreviewFrame* PreviewFrame() const { return preview_; }
    QPushButton* PreviewButton() const { return previewButton_; }
    bool PreviewPlaying() const { return run_.IsRunning(); }

    QComboBox* FontBox() const { return fontBox_; }
    QComboBox* SizeBox() const { return sizeBox_; }
    // The check box of a style flag (bold, italic, outline).
    QCheckBox* StyleBox(int flag) const;
    QPushButton* BrowseButton() const { return browseButton_; }
    QPushButton* RemoveButton() const { return removeButton_; }
    QComboBox* DisplayBox() const { return displayBox_; }
    QComboBox* DrawBox() const { return drawBox_; }
    // A colour button by its accessible name.
    CColorButton* ColourButton(const QString& name) const;

    // Draws the page as it stands into the preview.
    virtual void RedrawPreview() = 0;
    // Plays the page or its picture into the preview in real time.
    void PlayPreview();
    // Ends a preview run and shows the still page again.
    void StopPreview();

    // Asks for an image file and loads it into the page.
    void Browse();
    // Loads an image file into the page; on failure says so and changes nothing.
    bool LoadGraphic(const QString& path);
    void RemoveGraphic();

    static constexpr const char* kSettings = "Settings";
    static constexpr const char* kGraphicsPath = "GraphicsPath";

signals:
    // The preview was redrawn after a change of the settings.
    void PreviewRedrawn();

protected:
    // A stream to play for Preview and its length; the pause comes before and after it.
    struct PreviewStream {
        std::vector<uint8_t> stream;
        uint32_t lengthBytes = 0;
        int pauseMs = 0;
    };
    virtual PreviewStream MakePreviewStream() = 0;
    // Draws what the screen shows when the run begins (nothing: the stream clears it).
    virtual void PrepareRunScreen() {}
    // Brings the enabled states and lists in line with the settings.
    virtual void UpdateControls() = 0;
    // Asked before the file dialog; false stops Browse.
    virtual bool ConfirmBrowse() { return true; }

    // Call after every change of the settings: ends a preview run, updates the controls and
    // redraws the preview.
    void Changed();
    // Fills the controls from the settings without reacting to their signals.
    void LoadControls();
    virtual void LoadPageControls() = 0;
    bool Loading() const { return loading_; }

    // Font, size and the three style boxes, with the outline colour button beside them.
    QGroupBox* BuildFontGroup();
    // Browse, Remove, Display and Draw, laid out in the given grid from row on.
    void BuildGraphicControls(QGridLayout* grid, int row, const QList<int>& transitions);
    // The preview and its Preview button, right of the controls.
    void BuildPreview(QBoxLayout* outer);
    // A colour button that opens the colour picker on a palette entry, then sets the index.
    CColorButton* MakeColourButton(const QString& caption, const QString& name,
                                   std::function<int()> entry, std::function<void()> setIndex);
    // A button with a menu of the 16 palette entries that sets an index directly.
    QToolButton* MakeIndexMenu(const QString& name, std::function<int()> get,
                               std::function<void(int)> set);
    QComboBox* MakeTransitionBox(const QString& name, const QList<int>& codes);
    static void SelectData(QComboBox* box, int value);
    // Radio buttons of a group by their values (data of the "value" property).
    static QButtonGroup* MakeRadios(QWidget* owner, const QStringList& captions,
                                    const QList<int>& values, QBoxLayout* into);
    static void CheckValue(QButtonGroup* group, int value);
    // Calls set with the value the user chose, then Changed().
    void OnChoice(QButtonGroup* group, std::function<void(int)> set);
    void OnItem(QComboBox* box, std::function<void(int)> set);
    template <typename W>
    static W* Named(W* widget, const QString& name) {
        widget->setAccessibleName(name);
        return widget;
    }

private:
    void PickColour(CColorButton* button, const std::function<int()>& entry,
                    const std::function<void()>& setIndex);
    void RefreshColours();
    void RunFinished();

    MSongSettings& song_;
    int pageId_;
    SongSettingsStore& store_;
    QStringList fonts_;
    bool loading_ = false;
    PreviewRun run_;

    SettingsPreviewFrame* preview_ = nullptr;
    QPushButton* previewButton_ = nullptr;
    QComboBox* fontBox_ = nullptr;
    QComboBox* sizeBox_ = nullptr;
    QList<QCheckBox*> styleBoxes_;
    QPushButton* browseButton_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    QComboBox* displayBox_ = nullptr;
    QComboBox* drawBox_ = nullptr;
    // The colour shown last, so that only buttons whose colour changed repaint.
    struct ColourControl {
        CColorButton* button;
        std::function<int()> entry;
        int64_t shown = -1;
    };
    QList<ColourControl> colourButtons_;
    struct IndexControl {
        QToolButton* button;
        std::function<int()> get;
        int64_t shown = -1;
    };
    QList<IndexControl> indexMenus_;
};
