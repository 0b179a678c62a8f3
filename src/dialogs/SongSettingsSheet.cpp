#include "dialogs/SongSettingsSheet.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include "base/MStoredRect.h"
#include "dialogs/LyricsSettingsPage.h"
#include "dialogs/SettingsPageBase.h"
#include "dialogs/SongSettingsStore.h"
#include "dialogs/TitlePageSettingsPage.h"
#include "log/MEventLog.h"
#include "log/MLogEvents.h"
#include "log/MSongSettingsDumpLog.h"
#include "log/MUserActionLog.h"
#include "song/MKaraokeEngine.h"
#include "song/MSongDocument.h"
#include "song/MSongDumps.h"
#include "song/MSongSettings.h"

SongSettingsSheet::SongSettingsSheet(std::unique_ptr<MSongSettings> settings,
                                     SongSettingsStore& store, const QStringList& fonts,
                                     QWidget* parent)
    : QDialog(parent), settings_(std::move(settings)), store_(store) {
    setWindowTitle(tr("Karaoke Song Settings"));
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    tabs_ = new QTabWidget;
    tabs_->setAccessibleName(tr("Karaoke Song Settings"));
    title_ = new TitlePageSettingsPage(*settings_, IMAGE_STRUCT::kTitlePage, store, fonts);
    lyrics_ = new LyricsSettingsPage(*settings_, store, fonts);
    credits_ = new TitlePageSettingsPage(*settings_, IMAGE_STRUCT::kCreditsPage, store, fonts);
    tabs_->addTab(title_, tr("Title Page"));
    tabs_->addTab(lyrics_, tr("Lyrics"));
    tabs_->addTab(credits_, tr("Credits Page"));
    tabs_->setCurrentWidget(lyrics_);
    layout->addWidget(tabs_, 1);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons_->button(QDialogButtonBox::Ok)->setAccessibleName(tr("OK"));
    buttons_->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Cancel"));
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

SongSettingsSheet::~SongSettingsSheet() {
    if (shown_ && !stored_) {
        StorePosition();
    }
    // The pages work on the settings: they go first.
    delete tabs_;
}

bool SongSettingsSheet::Run(QWidget* parent, MSongDocument& document, SongSettingsStore& store,
                            const QStringList& fonts) {
    const MSongSettings& song = document.Song();
    std::unique_ptr<MSongSettings> copy = song.CopySettings();
    // The copy tells no one about its changes; the song learns of them on OK.
    copy->SetHost(nullptr);
    LogSettings(*copy, MLogEvents::kSettingsInitDlg);
    SongSettingsSheet sheet(std::move(copy), store, fonts, parent);
    const bool ok = sheet.exec() == QDialog::Accepted;
    if (ok) {
        document.AssignSettings(sheet.Settings());
    }
    MEventLog& log = MEventLog::Global();
    if (log.IsActive()) {
        log.Queue(std::make_unique<MUserActionLog>(
            MLogEvents::kActionSettings,
            QString::fromLatin1(ok ? MLogEvents::kSettingsOk : MLogEvents::kSettingsCancel)));
    }
    LogSettings(song, MLogEvents::kSettingsPostDlg);
    return ok;
}

void SongSettingsSheet::LogSettings(const MSongSettings& song, const char* caption) {
    MEventLog& log = MEventLog::Global();
    if (log.IsActive()) {
        log.Queue(std::make_unique<MSongSettingsDumpLog>(MSongDumps::Settings(song),
                                                         QString::fromLatin1(caption)));
    }
}

QStringList SongSettingsSheet::InstalledFonts() {
    MKaraokeEngine::MKaraoke_Initialize();
    QStringList names;
    for (const auto& [name, charset] : MKaraokeEngine::FontDictionary()) {
        names << name;
    }
    return names;
}

void SongSettingsSheet::done(int result) {
    // A preview still playing ends here, before the window goes.
    for (SettingsPageBase* page :
         {static_cast<SettingsPageBase*>(title_), static_cast<SettingsPageBase*>(lyrics_),
          static_cast<SettingsPageBase*>(credits_)}) {
        if (page != nullptr) {
            page->StopPreview();
        }
    }
    if (shown_) {
        StorePosition();
    }
    QDialog::done(result);
}

void SongSettingsSheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        setMinimumSize(size());
        RestorePosition();
    }
}

void SongSettingsSheet::RestorePosition() {
    QRect rect;
    if (!MStoredRect::Unpack(store_.ReadBinary(SettingsPageBase::kSettings, kWindowPos), &rect)) {
        return;
    }
    rect.setSize(rect.size().expandedTo(minimumSize()));
    // A place on a screen that is no longer there keeps the size but not the place.
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens()) {
        onScreen = onScreen || screen->availableGeometry().intersects(rect);
    }
    if (!onScreen) {
        rect.moveTopLeft(geometry().topLeft());
    }
    setGeometry(rect);
}

void SongSettingsSheet::StorePosition() {
    stored_ = true;
    const QRect rect = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    store_.WriteBinary(SettingsPageBase::kSettings, kWindowPos, MStoredRect::Pack(rect));
}
