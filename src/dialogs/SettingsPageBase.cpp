#include "dialogs/SettingsPageBase.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

#include "cdg/MTextType.h"
#include "cdg/MTransitionWriter.h"
#include "dialogs/FileDialogs.h"
#include "dialogs/SettingsPreviewFrame.h"
#include "dialogs/SongSettingsStore.h"
#include "song/MPageGraphicEditor.h"
#include "song/MSongSettings.h"
#include "song/MSongSettingsRules.h"
#include "widgets/CColorButton.h"
#include "widgets/CColorPicker.h"

namespace {

constexpr int kPickerDelayMs = 50;
constexpr int kPickerBits = 12;

QIcon Swatch(MRgb colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(CColorButton::FromColorValue(static_cast<int>(colour)));
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    p.drawRect(0, 0, 15, 15);
    return QIcon(pixmap);
}

}  // namespace

SettingsPageBase::SettingsPageBase(MSongSettings& song, int pageId, SongSettingsStore& store,
                                   const QStringList& fonts, QWidget* parent)
    : QWidget(parent), song_(song), pageId_(pageId), store_(store), fonts_(fonts) {
    connect(&run_, &PreviewRun::Finished, this, &SettingsPageBase::RunFinished);
}

SettingsPageBase::~SettingsPageBase() {
    run_.Stop();
}

IMAGE_STRUCT& SettingsPageBase::Page() const {
    IMAGE_STRUCT* page = song_.FindPage(pageId_);
    if (page == nullptr) {
        // A song always has its three pages; one read from an old file may lack one.
        auto added = std::make_unique<IMAGE_STRUCT>();
        added->pageId = pageId_;
        page = added.get();
        song_.pages.push_back(std::move(added));
    }
    return *page;
}

QCheckBox* SettingsPageBase::StyleBox(int flag) const {
    const int i = flag == MTextType::kBold ? 0 : (flag == MTextType::kItalic ? 1 : 2);
    return styleBoxes_.value(i);
}

CColorButton* SettingsPageBase::ColourButton(const QString& name) const {
    for (const ColourControl& c : colourButtons_) {
        if (c.button->accessibleName() == name) {
            return c.button;
        }
    }
    return nullptr;
}

// --- Building ---------------------------------------------------------------------------------

QGroupBox* SettingsPageBase::BuildFontGroup() {
    auto* group = new QGroupBox(tr("Font"));
    auto* grid = new QGridLayout(group);
    fontBox_ = Named(new QComboBox, tr("Font"));
    fontBox_->addItems(fonts_);
    fontBox_->setMaxVisibleItems(20);
    fontBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    fontBox_->setMinimumContentsLength(14);
    sizeBox_ = Named(new QComboBox, tr("Size"));
    sizeBox_->setEditable(true);
    sizeBox_->addItems(MSongSettingsRules::SizeChoices());
    sizeBox_->lineEdit()->setMaxLength(MSongSettingsRules::kMaxSizeDigits);
    sizeBox_->setValidator(new QIntValidator(1, 99, sizeBox_));
    sizeBox_->setInsertPolicy(QComboBox::NoInsert);
    auto* fontLabel = new QLabel(tr("&Font:"));
    fontLabel->setBuddy(fontBox_);
    auto* sizeLabel = new QLabel(tr("Si&ze:"));
    sizeLabel->setBuddy(sizeBox_);
    grid->addWidget(fontLabel, 0, 0);
    grid->addWidget(fontBox_, 0, 1, 1, 4);
    grid->addWidget(sizeLabel, 1, 0);
    grid->addWidget(sizeBox_, 1, 1);

    auto* styles = new QHBoxLayout;
    const QStringList captions = {tr("B"), tr("/"), tr("Shadow")};
    const QStringList names = {tr("Bold"), tr("Italic"), tr("Shadow")};
    const int flags[] = {MTextType::kBold, MTextType::kItalic, MTextType::kOutline};
    for (int i = 0; i < 3; ++i) {
        auto* box = Named(new QCheckBox(captions[i]), names[i]);
        const int flag = flags[i];
        connect(box, &QCheckBox::toggled, this, [this, flag](bool on) {
            if (!loading_) {
                Page().textType.styleFlags =
                    on ? (Page().textType.styleFlags | flag) : (Page().textType.styleFlags & ~flag);
                Changed();
            }
        });
        styleBoxes_ << box;
        styles->addWidget(box);
    }
    styles->addWidget(MakeColourButton(
        tr("Outline"), tr("Outline colour"), [] { return 13; },
        [this] { Page().textType.outlineColorIndex = 13; }));
    grid->addWidget(new QLabel(tr("Style:")), 2, 0);
    grid->addLayout(styles, 2, 1, 1, 4);

    connect(fontBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!loading_ && index >= 0) {
            Page().textType.faceName = MSongSettingsRules::FaceName(fontBox_->itemText(index));
            Changed();
        }
    });
    connect(sizeBox_, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        const int size = MSongSettingsRules::ParseSize(text);
        if (!loading_ && size > 0 && size != Page().textType.fontHeight) {
            Page().textType.fontHeight = size;
            Changed();
        }
    });
    return group;
}

void SettingsPageBase::BuildGraphicControls(QGridLayout* grid, int row,
                                            const QList<int>& transitions) {
    browseButton_ = Named(new QPushButton(tr("&Browse...")), tr("Browse..."));
    removeButton_ = Named(new QPushButton(tr("&Remove")), tr("Remove"));
    displayBox_ = Named(new QComboBox, tr("Display"));
    for (int code = 0; code <= 4; ++code) {
        displayBox_->addItem(MTransitionWriter::PlacementName(code), code);
    }
    drawBox_ = MakeTransitionBox(tr("Draw"), transitions);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(browseButton_);
    buttons->addWidget(removeButton_);
    grid->addLayout(buttons, row, 0, 1, 2);
    grid->addWidget(new QLabel(tr("Display:")), row + 1, 0);
    grid->addWidget(displayBox_, row + 1, 1);
    grid->addWidget(new QLabel(tr("Draw:")), row + 2, 0);
    grid->addWidget(drawBox_, row + 2, 1);

    connect(browseButton_, &QPushButton::clicked, this, &SettingsPageBase::Browse);
    connect(removeButton_, &QPushButton::clicked, this, &SettingsPageBase::RemoveGraphic);
    OnItem(displayBox_, [this](int code) { Page().placement = code; });
    OnItem(drawBox_, [this](int code) { Page().drawTransition = code; });
}

void SettingsPageBase::BuildPreview(QBoxLayout* outer) {
    auto* column = new QVBoxLayout;
    preview_ = new SettingsPreviewFrame(tr("Preview picture"));
    previewButton_ = Named(new QPushButton(tr("&Preview")), tr("Preview"));
    column->addWidget(preview_, 1);
    column->addWidget(previewButton_, 0, Qt::AlignLeft);
    outer->addLayout(column, 1);
    connect(previewButton_, &QPushButton::clicked, this, &SettingsPageBase::PlayPreview);
}

QComboBox* SettingsPageBase::MakeTransitionBox(const QString& name, const QList<int>& codes) {
    auto* box = Named(new QComboBox, name);
    for (int code : codes) {
        box->addItem(MTransitionWriter::TransitionName(code), code);
    }
    return box;
}

CColorButton* SettingsPageBase::MakeColourButton(const QString& caption, const QString& name,
                                                 std::function<int()> entry,
                                                 std::function<void()> setIndex) {
    auto* button = new CColorButton(caption);
    button->setAccessibleName(name);
    button->setMinimumWidth(56);
    connect(button, &QPushButton::clicked, this, [this, button, entry, setIndex] {
        QTimer::singleShot(kPickerDelayMs, this, [this, button, entry, setIndex] {
            PickColour(button, entry, setIndex);
        });
    });
    colourButtons_ << ColourControl{button, std::move(entry)};
    return button;
}

void SettingsPageBase::PickColour(CColorButton* button, const std::function<int()>& entry,
                                  const std::function<void()>& setIndex) {
    const int index = entry() & 0x0F;
    uint32_t colour = Page().picture.Colour(index);
    if (CColorPicker::PickColour(button, colour, kPickerBits, nullptr) != 1) {
        return;
    }
    Page().picture.SetColour(index, colour);
    setIndex();
    Changed();
}

QToolButton* SettingsPageBase::MakeIndexMenu(const QString& name, std::function<int()> get,
                                             std::function<void(int)> set) {
    auto* button = Named(new QToolButton, name);
    button->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(button);
    for (int i = 0; i < 16; ++i) {
        QAction* action = menu->addAction(QString::number(i));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, i, set] {
            set(i);
            Changed();
        });
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu, get] {
        const QList<QAction*> actions = menu->actions();
        for (int i = 0; i < actions.size(); ++i) {
            actions[i]->setIcon(Swatch(Page().picture.Colour(i)));
            actions[i]->setChecked(i == get());
        }
    });
    button->setMenu(menu);
    indexMenus_ << IndexControl{button, std::move(get)};
    return button;
}

QButtonGroup* SettingsPageBase::MakeRadios(QWidget* owner, const QStringList& captions,
                                           const QList<int>& values, QBoxLayout* into) {
    auto* group = new QButtonGroup(owner);
    for (int i = 0; i < captions.size(); ++i) {
        auto* radio = new QRadioButton(captions[i]);
        radio->setAccessibleName(QString(captions[i]).remove(QLatin1Char('&')));
        group->addButton(radio, values[i]);
        into->addWidget(radio);
    }
    return group;
}

void SettingsPageBase::OnChoice(QButtonGroup* group, std::function<void(int)> set) {
    connect(group, &QButtonGroup::idToggled, this, [this, set](int id, bool on) {
        if (!loading_ && on) {
            set(id);
            Changed();
        }
    });
}

void SettingsPageBase::OnItem(QComboBox* box, std::function<void(int)> set) {
    connect(box, &QComboBox::currentIndexChanged, this, [this, box, set](int index) {
        if (!loading_ && index >= 0) {
            set(box->itemData(index).toInt());
            Changed();
        }
    });
}

void SettingsPageBase::CheckValue(QButtonGroup* group, int value) {
    if (QAbstractButton* b = group->button(value)) {
        b->setChecked(true);
    }
}

void SettingsPageBase::SelectData(QComboBox* box, int value) {
    box->setCurrentIndex(box->findData(value));
}

// --- State ------------------------------------------------------------------------------------

void SettingsPageBase::LoadControls() {
    loading_ = true;
    const MTextType& type = Page().textType;
    const int font = fontBox_->findText(type.faceName);
    fontBox_->setCurrentIndex(font);
    fontBox_->setPlaceholderText(type.faceName);
    sizeBox_->setCurrentText(QString::number(type.fontHeight));
    StyleBox(MTextType::kBold)->setChecked(type.IsBold());
    StyleBox(MTextType::kItalic)->setChecked(type.IsItalic());
    StyleBox(MTextType::kOutline)->setChecked(type.HasOutline());
    SelectData(displayBox_, Page().placement);
    SelectData(drawBox_, Page().drawTransition);
    LoadPageControls();
    loading_ = false;
    RefreshColours();
    UpdateControls();
}

void SettingsPageBase::RefreshColours() {
    for (ColourControl& c : colourButtons_) {
        const MRgb colour = Page().picture.Colour(c.entry() & 0x0F);
        if (c.shown == colour) {
            continue;
        }
        c.shown = colour;
        const int luma =
            CdgColour::Red(colour) * 3 + CdgColour::Green(colour) * 6 + CdgColour::Blue(colour);
        c.button->SetColors(luma > 1275 ? 0x000000 : 0xFFFFFF, static_cast<int>(colour),
                            static_cast<int>(colour));
    }
    for (IndexControl& c : indexMenus_) {
        const MRgb colour = Page().picture.Colour(c.get() & 0x0F);
        if (c.shown != colour) {
            c.shown = colour;
            c.button->setIcon(Swatch(colour));
        }
    }
}

void SettingsPageBase::Changed() {
    if (run_.IsRunning()) {
        run_.Stop();
        preview_->unsetCursor();
    }
    RefreshColours();
    UpdateControls();
    RedrawPreview();
    emit PreviewRedrawn();
}

// --- Preview runs -----------------------------------------------------------------------------

void SettingsPageBase::PlayPreview() {
    if (run_.IsRunning()) {
        return;
    }
    PreviewStream ps = MakePreviewStream();
    if (ps.lengthBytes == 0) {
        return;
    }
    PrepareRunScreen();
    preview_->setCursor(Qt::BusyCursor);
    run_.Start(&preview_->Renderer(), std::move(ps.stream), ps.lengthBytes, ps.pauseMs);
    UpdateControls();
}

void SettingsPageBase::StopPreview() {
    if (run_.IsRunning()) {
        run_.Stop();
        RunFinished();
    }
}

void SettingsPageBase::RunFinished() {
    preview_->unsetCursor();
    UpdateControls();
    RedrawPreview();
}

// --- Pictures ---------------------------------------------------------------------------------

void SettingsPageBase::Browse() {
    if (!ConfirmBrowse()) {
        return;
    }
    const QString folder = store_.ReadText(kSettings, kGraphicsPath, QString());
    int filterIndex = 0;
    const QString path =
        FileDialogs::OpenFile(this, tr("Select Bitmap"), folder,
                              {{tr("Image Files (*.bmp, *.jpg, *.gif, *.tif, *.png)"),
                                QStringLiteral("*.bmp;*.jpg;*.gif;*.tif;*.png")}},
                              filterIndex);
    if (path.isEmpty()) {
        return;
    }
    store_.WriteText(kSettings, kGraphicsPath, FileDialogs::FolderOf(path));
    LoadGraphic(path);
}

bool SettingsPageBase::LoadGraphic(const QString& path) {
    StopPreview();
    if (!MPageGraphicEditor::Load(song_, Page(), path)) {
        QMessageBox::warning(this, tr("Could Not Load Image File"),
                             tr("Please ensure the file is a valid image."));
        return false;
    }
    LoadControls();
    Changed();
    return true;
}

void SettingsPageBase::RemoveGraphic() {
    MPageGraphicEditor::Remove(song_, Page());
    LoadControls();
    Changed();
}
