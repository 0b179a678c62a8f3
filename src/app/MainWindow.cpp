#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTextEdit>
#include <QUrl>

#include "app/AppSettings.h"
#include "app/AppSongSettingsStore.h"
#include "app/WebPages.h"
#include "audio/MCdgPlayer.h"
#include "audio/MLameLibrary.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/DodMessageReporter.h"
#include "dialogs/ExportDialog.h"
#include "dialogs/ExportProgress.h"
#include "dialogs/ExportRunner.h"
#include "dialogs/FindLyricsDialog.h"
#include "dialogs/FindMusicDialog.h"
#include "dialogs/LyricsPlacedDialog.h"
#include "dialogs/SongSettingsSheet.h"
#include "dialogs/StatusMessage.h"
#include "export/MExportSettings.h"
#include "modes/AdjustLyricsPanel.h"
#include "modes/EditLyricsPanel.h"
#include "modes/PlaceLyricsPanel.h"
#include "modes/PlayFinalPanel.h"
#include "modes/UserAction.h"
#include "song/MProjectFile.h"
#include "song/MSongSettings.h"
#include "update/CUpgradeCheck.h"

namespace {

const QString kProjectFilter = QStringLiteral("Quilm Projects (*.qlm)");
const QString kAppName = QStringLiteral("Quilm");

QString FolderOf(const QString& path) {
    return QFileInfo(path).absolutePath() + QLatin1Char('/');
}

}  // namespace

MainWindow::MainWindow(AppSettings& settings, const QString& dataFolder, bool mp3Available,
                       QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      dataFolder_(dataFolder),
      mp3Available_(mp3Available),
      help_(this, settings, dataFolder),
      song_(std::make_unique<MSongSettings>(QString(), &host_)),
      reporter_(std::make_unique<DodMessageReporter>(this)) {
    setWindowTitle(QStringLiteral("Quilm - [untitled]"));
    setMinimumSize(470, 488);
    setAcceptDrops(false);
    song_->ResetToNewProject();
    song_->SetModified(false);
    host_.onModified = [this](bool) { UpdateCommands(); };
    host_.onReport = [this](const MStatus& s) { Warn(s); };
    BuildMenus();
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { WatchFocus(now); });
    // The clipboard is asked only when it changes: on X11 asking means a round trip to the
    // program that owns it, which must not happen on every keystroke.
    auto clipboardChanged = [this] {
        const QMimeData* clip = QApplication::clipboard()->mimeData();
        clipboardHasText_ = clip != nullptr && clip->hasText();
        UpdateCommands();
    };
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, clipboardChanged);
    clipboardChanged();
}

MainWindow::~MainWindow() {
    panel_ = nullptr;
    delete takeCentralWidget();
    MCdgPlayer::DestroyPlayer();
}

void MainWindow::Start() {
    SetMode(kEditLyrics);
    setGeometry(settings_.WindowRect());
    if (settings_.ReadInt(AppSettings::kSettings, QStringLiteral("AppWindowMaximized"), 0) != 0) {
        showMaximized();
    } else {
        showNormal();
    }
    UpdateTitle();
    UpdateCommands();
    CheckForUpdates(false);
}

void MainWindow::CheckForUpdates(bool manual) {
    if (manual) {
        LogUserAction(MLogEvents::kActionOpenWebsite, MLogEvents::kOpenWebsite);
    }
    // A downloaded upgrade asks to end the program: closing asks to save the project first.
    connect(CUpgradeCheck::Start(manual, this, settings_), &CUpgradeCheck::shutDownRequested, this,
            &QWidget::close, Qt::UniqueConnection);
}

// --- Menus -------------------------------------------------------------------------------

QAction* MainWindow::AddCommand(QMenu* menu, AppCommand command, const QString& text,
                                const QKeySequence& shortcut, const QString& icon) {
    auto* action = new QAction(text, this);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
    }
    if (!icon.isEmpty()) {
        // The desktop's icon theme first; the pictures shipped with the program otherwise.
        const QString bundled =
            dataFolder_ + QStringLiteral("/icons/") + icon + QStringLiteral(".svg");
        action->setIcon(
            QIcon::fromTheme(icon, QFileInfo::exists(bundled) ? QIcon(bundled) : QIcon()));
    }
    if (menu != nullptr) {
        menu->addAction(action);
    } else {
        menuBar()->addAction(action);
    }
    actions_[command] = action;
    return action;
}

void MainWindow::BuildMenus() {
    fileMenu_ = menuBar()->addMenu(tr("&File"));
    QMenu* file = fileMenu_;
    connect(AddCommand(file, AppCommand::New, tr("&New"), QKeySequence(tr("Ctrl+N")),
                       QStringLiteral("document-new")),
            &QAction::triggered, this, &MainWindow::NewProject);
    connect(AddCommand(file, AppCommand::Open, tr("&Open..."), QKeySequence(tr("Ctrl+O")),
                       QStringLiteral("document-open")),
            &QAction::triggered, this, [this] { OpenProject(); });
    connect(AddCommand(file, AppCommand::Close, tr("&Close")), &QAction::triggered, this,
            &MainWindow::CloseProject);
    connect(AddCommand(file, AppCommand::Save, tr("&Save"), QKeySequence(tr("Ctrl+S")),
                       QStringLiteral("document-save")),
            &QAction::triggered, this, &MainWindow::SaveProject);
    connect(AddCommand(file, AppCommand::SaveAs, tr("Save &As...")), &QAction::triggered, this,
            &MainWindow::SaveProjectAs);
    file->addSeparator();
    QAction* autoSave = AddCommand(file, AppCommand::AutoSave, tr("A&uto Save"));
    autoSave->setCheckable(true);
    autoSave->setChecked(settings_.ReadInt(AppSettings::kSettings, QStringLiteral("AutoSave"), 8) !=
                         0);
    connect(autoSave, &QAction::toggled, this, [this](bool on) {
        settings_.WriteInt(AppSettings::kSettings, QStringLiteral("AutoSave"), on ? 8 : 0);
    });
    file->addSeparator();
    connect(AddCommand(file, AppCommand::Export, tr("&Export Song...")), &QAction::triggered, this,
            &MainWindow::ExportSong);
    recentSeparator_ = file->addSeparator();
    connect(AddCommand(file, AppCommand::Exit, tr("E&xit"), QKeySequence(tr("Alt+F4")),
                       QStringLiteral("application-exit")),
            &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    connect(AddCommand(edit, AppCommand::Cut, tr("Cu&t"), QKeySequence(tr("Ctrl+X")),
                       QStringLiteral("edit-cut")),
            &QAction::triggered, this, [this] { EditCommand("cut"); });
    connect(AddCommand(edit, AppCommand::Copy, tr("&Copy"), QKeySequence(tr("Ctrl+C")),
                       QStringLiteral("edit-copy")),
            &QAction::triggered, this, [this] { EditCommand("copy"); });
    connect(AddCommand(edit, AppCommand::Paste, tr("&Paste"), QKeySequence(tr("Ctrl+V")),
                       QStringLiteral("edit-paste")),
            &QAction::triggered, this, [this] { EditCommand("paste"); });
    connect(AddCommand(edit, AppCommand::SelectAll, tr("Select &All"), QKeySequence(tr("Ctrl+A")),
                       QStringLiteral("edit-select-all")),
            &QAction::triggered, this, [this] { EditCommand("selectAll"); });

    connect(AddCommand(nullptr, AppCommand::Settings, tr("&Settings...")), &QAction::triggered,
            this, &MainWindow::OpenSettings);
    connect(AddCommand(nullptr, AppCommand::Companion, tr("&Morrow")), &QAction::triggered, this,
            [this] {
                help_.StartCompanion(
                    settings_.ReadString(AppSettings::kSettings, QStringLiteral("MusicPath")));
            });
    connect(AddCommand(nullptr, AppCommand::BuySongs, tr("&Buy Songs")), &QAction::triggered, this,
            [this] { help_.OpenWebPage(QStringLiteral("BuySongs")); });

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    connect(AddCommand(help, AppCommand::CheckUpdates, tr("&Check for Updates")),
            &QAction::triggered, this, [this] { CheckForUpdates(true); });
    connect(AddCommand(help, AppCommand::Support, tr("Online &Support")), &QAction::triggered, this,
            [this] { help_.OpenWebPage(QStringLiteral("Support")); });
    connect(AddCommand(help, AppCommand::Forum, tr("Ask the &Ivolde Community")),
            &QAction::triggered, this, [this] { help_.OpenWebPage(QStringLiteral("Forum")); });
    connect(AddCommand(help, AppCommand::Facebook, tr("Visit Us on &Facebook"), {},
                       QStringLiteral("internet-web-browser")),
            &QAction::triggered, this, [this] { help_.OpenWebPage(QStringLiteral("Facebook")); });
    connect(AddCommand(help, AppCommand::Affiliate, tr("&Become an Ivolde Affiliate")),
            &QAction::triggered, this, [this] { help_.OpenWebPage(QStringLiteral("Affiliate")); });
    help->addSeparator();
    connect(AddCommand(help, AppCommand::Manual, tr("&Manual"), QKeySequence(Qt::Key_F1),
                       QStringLiteral("help-contents")),
            &QAction::triggered, this, [this] { help_.OpenManual(); });
    connect(
        AddCommand(help, AppCommand::About, tr("&About Quilm"), {}, QStringLiteral("help-about")),
        &QAction::triggered, this,
        [this] { AboutDialog(QCoreApplication::applicationVersion(), this).exec(); });

    // The mode commands have no menu items: the panels' buttons carry them.
    const std::pair<AppCommand, int> modes[] = {{AppCommand::EditLyrics, kEditLyrics},
                                                {AppCommand::PlaceLyrics, kPlaceLyrics},
                                                {AppCommand::AdjustLyrics, kAdjustLyrics},
                                                {AppCommand::PlayFinal, kPlayFinal}};
    for (const auto& [command, mode] : modes) {
        auto* action = new QAction(this);
        connect(action, &QAction::triggered, this, [this, mode = mode] { SwitchMode(mode); });
        actions_[command] = action;
    }
    UpdateRecentFiles();
}

void MainWindow::UpdateRecentFiles() {
    qDeleteAll(recentActions_);
    recentActions_.clear();
    const QStringList files = settings_.RecentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(
                                       QDir::toNativeSeparators(path).replace('&', "&&")),
                                   this);
        connect(action, &QAction::triggered, this, [this, path] {
            if (IsIdle()) {
                OpenProject(path);
            }
        });
        fileMenu_->insertAction(actions_[AppCommand::Exit], action);
        recentActions_ << action;
    }
    if (!recentActions_.isEmpty()) {
        recentActions_ << fileMenu_->insertSeparator(actions_[AppCommand::Exit]);
    }
}

// --- State ---------------------------------------------------------------------------------

AppState MainWindow::State() const {
    AppState s;
    auto* playFinal = qobject_cast<PlayFinalPanel*>(panel_);
    MCdgPlayer* player = MCdgPlayer::CurrentPlayer();
    s.playing = (playFinal != nullptr && playFinal->IsPlaying()) ||
                (player != nullptr && player->IsPlaying());
    s.exporting = exporting_ || busy_;
    s.modified = song_->modified;
    s.hasFilePath = !song_->projectPath.isEmpty();
    s.projectOpened = projectOpened_;
    s.hasWorkWav = !host_.WorkWavPath().isEmpty();
    s.hasLyrics = !song_->rawLyrics.isEmpty();
    s.hasPlacedWords = song_->HasPlacedWords();
    s.companionFound = help_.CompanionFound();
    QWidget* focus = QApplication::focusWidget();
    if (auto* line = qobject_cast<QLineEdit*>(focus)) {
        s.editFocused = true;
        s.editHasSelection = line->hasSelectedText();
        s.editReadOnly = line->isReadOnly();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) {
        s.editFocused = true;
        s.editHasSelection = plain->textCursor().hasSelection();
        s.editReadOnly = plain->isReadOnly();
    } else if (auto* rich = qobject_cast<QTextEdit*>(focus)) {
        s.editFocused = true;
        s.editHasSelection = rich->textCursor().hasSelection();
        s.editReadOnly = rich->isReadOnly();
    }
    s.clipboardHasText = clipboardHasText_;
    return s;
}

void MainWindow::UpdateCommands() {
    const AppState state = State();
    for (auto it = actions_.cbegin(); it != actions_.cend(); ++it) {
        it.value()->setEnabled(CommandEnabled(it.key(), state));
    }
    for (QAction* recent : recentActions_) {
        recent->setEnabled(state.Idle());
    }
    if (panel_ != nullptr) {
        panel_->UpdateModeButtons();
    }
}

void MainWindow::WatchFocus(QWidget* now) {
    disconnect(selectionWatch_);
    if (auto* line = qobject_cast<QLineEdit*>(now)) {
        selectionWatch_ =
            connect(line, &QLineEdit::selectionChanged, this, &MainWindow::UpdateCommands);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(now)) {
        selectionWatch_ =
            connect(plain, &QPlainTextEdit::selectionChanged, this, &MainWindow::UpdateCommands);
    } else if (auto* rich = qobject_cast<QTextEdit*>(now)) {
        selectionWatch_ =
            connect(rich, &QTextEdit::selectionChanged, this, &MainWindow::UpdateCommands);
    }
    UpdateCommands();
}

void MainWindow::EditCommand(const char* slot) {
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(focus, slot);
    if (qstrcmp(slot, "selectAll") == 0) {
        if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) {
            plain->ensureCursorVisible();
        } else if (auto* rich = qobject_cast<QTextEdit*>(focus)) {
            rich->ensureCursorVisible();
        }
    }
    UpdateCommands();
}

void MainWindow::UpdateTitle() {
    const QString name = song_->projectPath.isEmpty() ? QStringLiteral("Untitled")
                                                      : QFileInfo(song_->projectPath).fileName();
    setWindowTitle(QStringLiteral("%1 - %2").arg(kAppName, name));
}

bool MainWindow::AutoSave() const {
    return actions_[AppCommand::AutoSave]->isChecked();
}

void MainWindow::SetExporting(bool exporting) {
    exporting_ = exporting;
    UpdateCommands();
}

void MainWindow::Warn(const MStatus& status) {
    if (!status.Text().isEmpty()) {
        StatusMessage::Show(this, status);
    }
}

// --- ModeHost ------------------------------------------------------------------------------

bool MainWindow::IsIdle() const {
    return State().Idle();
}

void MainWindow::PanelStateChanged() {
    UpdateCommands();
}

QString MainWindow::WorkWavPath() const {
    return host_.WorkWavPath();
}

QString MainWindow::MusicFilePath() const {
    return song_->musicFile;
}

MPlayerContext MainWindow::PlayerContext() {
    return MPlayerContext{&outputs_, &settings_, reporter_.get()};
}

double MainWindow::EditLyricsSplit() {
    return settings_.EditLyricsSplit();
}

void MainWindow::SetEditLyricsSplit(double split) {
    settings_.SetEditLyricsSplit(split);
}

void MainWindow::SwitchMode(int mode) {
    if (mode == kEditLyrics) {
        OnEditLyrics();
    } else if (mode == kPlaceLyrics) {
        OnPlaceLyrics();
    } else {
        SetMode(mode);
    }
}

void MainWindow::OpenSettings() {
    AppSongSettingsStore store(settings_);
    if (SongSettingsSheet::Run(this, *song_, store, SongSettingsSheet::InstalledFonts())) {
        // The mode panel is built anew on the new settings.
        SetMode(mode_);
    }
}

bool MainWindow::FindLyrics(LrcDocument& document) {
    FindLyricsDialog dialog(*song_, &settings_, &settings_, document, this);
    return dialog.exec() == QDialog::Accepted;
}

// --- Music -----------------------------------------------------------------------------------

bool MainWindow::LoadMusicWithProgress(const QString& path) {
    ExportProgress progress(this);
    busy_ = true;
    UpdateCommands();
    const bool ok = host_.Import().LoadMusic(path, &progress);
    busy_ = false;
    if (ok) {
        settings_.WriteString(AppSettings::kSettings, QStringLiteral("MusicPath"),
                              host_.Import().MusicFolder());
    }
    UpdateCommands();
    return ok;
}

bool MainWindow::AddMusic() {
    LogUserAction(MLogEvents::kActionAddMusic, MLogEvents::kAddMusic);
    FindMusicDialog dialog(host_.Import(), &settings_, mp3Available_, this);
    busy_ = true;
    const bool added = dialog.exec() == QDialog::Accepted;
    busy_ = false;
    if (added) {
        song_->SetMusicFile(host_.Import().MusicFilePath());
        song_->AttachWorkWav(true);
        settings_.WriteString(AppSettings::kSettings, QStringLiteral("MusicPath"),
                              host_.Import().MusicFolder());
    }
    UpdateTitle();
    UpdateCommands();
    return added;
}

void MainWindow::ExportSong() {
    if (!CommandEnabled(AppCommand::Export, State())) {
        return;
    }
    ExportDialog dialog(*song_, settings_, mp3Available_, host_.Import().SampleRate(), this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    QString folder = settings_.ReadString(AppSettings::kSettings, QStringLiteral("MusicPath"));
    SetExporting(true);
    ExportRunner::Run(this, *song_, MLameLibrary::Shared(), dialog.Settings(), folder);
    SetExporting(false);
    settings_.WriteString(AppSettings::kSettings, QStringLiteral("MusicPath"), folder);
}

// --- Modes ---------------------------------------------------------------------------------

void MainWindow::SetMode(int mode) {
    if (AutoSave() && song_->modified && mode_ != kPlayFinal) {
        SaveProject();
    }
    mode_ = mode;
    panel_ = nullptr;
    delete takeCentralWidget();
    switch (mode) {
        case kEditLyrics: {
            auto* edit = new EditLyricsPanel(*this, *song_, this);
            panel_ = edit;
            if (!edit->IsUsable()) {
                // A project without a lyrics page cannot be edited: start afresh.
                song_->SetModified(false);
                panel_ = nullptr;
                delete edit;
                CloseProject();
                return;
            }
            break;
        }
        case kPlayFinal:
            panel_ = new PlayFinalPanel(*this, *song_, this);
            break;
        case kPlaceLyrics:
            panel_ = new PlaceLyricsPanel(*this, *song_, this);
            break;
        case kAdjustLyrics:
            panel_ = new AdjustLyricsPanel(*this, *song_, this);
            break;
        default:
            break;
    }
    if (panel_ != nullptr) {
        static const char* const kModeNames[] = {"", "Edit Lyrics", "Place Lyrics", "Adjust Lyrics",
                                                 "Play Final"};
        if (mode_ >= 1 && mode_ <= 4) {
            panel_->setAccessibleName(tr(kModeNames[mode_]));
        }
        setCentralWidget(panel_);
        setFocusProxy(panel_);
        panel_->show();
        if (mode == kEditLyrics) {
            static_cast<EditLyricsPanel*>(panel_)->LyricBox()->setFocus();
        }
    }
    UpdateCommands();
}

void MainWindow::OnEditLyrics() {
    if (song_->HasPlacedWords()) {
        LyricsPlacedDialog(this).exec();
    }
    SetMode(kEditLyrics);
}

void MainWindow::OnPlaceLyrics() {
    if (song_->HasPlacedWords() &&
        QMessageBox::warning(this, tr("Confirm Overwriting Placed Lyrics"),
                             tr("Warning! You have already placed some lyrics.\nClick \"Yes\" to "
                                "redo the lyrics from the start.\nClick \"No\" to cancel this "
                                "operation."),
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    SetMode(kPlaceLyrics);
}

// --- Project -------------------------------------------------------------------------------

void MainWindow::StoreWindowPlacement() {
    settings_.SetWindowRect(isMaximized() ? normalGeometry() : geometry());
    settings_.WriteInt(AppSettings::kSettings, QStringLiteral("AppWindowMaximized"),
                       isMaximized() ? 1 : 0);
    settings_.Sync();
}

bool MainWindow::CanCloseProject() {
    if (MCdgPlayer* player = MCdgPlayer::CurrentPlayer(); player && player->IsPlaying()) {
        player->Stop();
    }
    if (song_->modified) {
        const auto answer = QMessageBox::question(
            this, tr("Confirm Closing Project"),
            tr("You have made changes to this project.\nDo you want to save it?"),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel) {
            return false;
        }
        // A project that could not be written is not given up.
        if (answer == QMessageBox::Yes && !SaveProject()) {
            return false;
        }
    }
    StoreWindowPlacement();
    return true;
}

void MainWindow::CloseProject() {
    if (!CanCloseProject()) {
        return;
    }
    host_.ForgetMusic();
    song_->projectPath.clear();
    song_->ResetToNewProject();
    song_->SetModified(false);
    projectOpened_ = false;
    SetMode(kEditLyrics);
    UpdateTitle();
    UpdateCommands();
}

void MainWindow::NewProject() {
    CloseProject();
    OpenSettings();
    SetMode(kEditLyrics);
}

void MainWindow::OpenProject(const QString& given) {
    if (!CanCloseProject()) {
        return;
    }
    QString path = given;
    if (path.isEmpty()) {
        QFileDialog dialog(
            this, tr("Open Quilm Project"),
            settings_.ReadString(AppSettings::kSettings, QStringLiteral("ProjectPath")),
            kProjectFilter);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QStringLiteral("qlm"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return;
        }
        path = dialog.selectedFiles().first();
    }
    projectOpened_ = true;
    settings_.WriteString(AppSettings::kSettings, QStringLiteral("ProjectPath"), FolderOf(path));
    settings_.AddRecentFile(QFileInfo(path).absoluteFilePath());
    UpdateRecentFiles();
    host_.ForgetMusic();
    song_->ResetToNewProject();
    song_->projectPath = QFileInfo(path).absoluteFilePath();
    const MStatus loaded = song_->LoadProject();
    if (!loaded) {
        Warn(loaded.Text().isEmpty()
                 ? MStatus::Failure(QString::fromLatin1(MProjectFile::kCorrupted))
                 : loaded);
        song_->projectPath.clear();
        song_->ResetToNewProject();
        song_->SetModified(false);
        SetMode(kEditLyrics);
        UpdateTitle();
        return;
    }
    if (!song_->musicFile.isEmpty()) {
        if (LoadMusicWithProgress(song_->musicFile)) {
            song_->AttachWorkWav(true);
        } else if (QMessageBox::question(
                       this, tr("Error in Music File"),
                       tr("The music file associated with this\nproject has an error:\n\n") +
                           host_.Import().ErrorText() + QStringLiteral("\n") +
                           tr(" Would you like to select a different\nmusic file now?\n"),
                       QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
            AddMusic();
        } else {
            song_->SetMusicFile(QString());
        }
    }
    // The mode is rebuilt without the auto save of a switch: nothing was changed by the user.
    const bool wasModified = song_->modified;
    song_->modified = false;
    SetMode(kEditLyrics);
    song_->SetModified(wasModified);
    UpdateTitle();
}

bool MainWindow::SaveProject() {
    if (song_->projectPath.isEmpty()) {
        return SaveProjectAs();
    }
    const MStatus saved = song_->SaveProject();
    if (!saved) {
        Warn(saved);
    }
    UpdateTitle();
    UpdateCommands();
    return saved.IsOk();
}

bool MainWindow::SaveProjectAs() {
    QFileDialog dialog(this, tr("Save Quilm Project"),
                       settings_.ReadString(AppSettings::kSettings, QStringLiteral("ProjectPath")),
                       kProjectFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("qlm"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    const QString path = dialog.selectedFiles().first();
    settings_.WriteString(AppSettings::kSettings, QStringLiteral("ProjectPath"), FolderOf(path));
    const QString previous = song_->projectPath;
    song_->projectPath = path;
    const MStatus saved = song_->SaveProject();
    if (!saved) {
        song_->projectPath = previous;
        Warn(saved);
    }
    UpdateTitle();
    UpdateCommands();
    return saved.IsOk();
}

void MainWindow::ActivateFromOtherInstance(const QString& path) {
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
    // Playing stops for the question of Open; work in progress or an open dialog is not
    // interrupted, and the path is then not taken.
    if (!path.isEmpty() && !exporting_ && !busy_ && QApplication::activeModalWidget() == nullptr) {
        OpenProject(path);
    }
}

// --- Window --------------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
    // Music being imported is finished first; then the project may be saved.
    if (busy_ || !CanCloseProject()) {
        event->ignore();
        return;
    }
    event->accept();
}
