#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTextEdit>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <utility>

#include "app/AppSettings.h"
#include "app/AppSongSettingsStore.h"
#include "app/WebPages.h"
#include "audio/MCdgPlayer.h"
#include "audio/MLameLibrary.h"
#include "base/MFileName.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/DodMessageReporter.h"
#include "dialogs/ExportDialog.h"
#include "dialogs/ExportProgress.h"
#include "dialogs/ExportRunner.h"
#include "dialogs/FileDialogs.h"
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

const QList<FileDialogs::Filter> kProjectFilters{
    {QStringLiteral("Quilm Projects"), QStringLiteral("*.qlm")}};
const QString kAppName = QStringLiteral("Quilm");
// The smallest window the panels are laid out for.
constexpr int kMinimumWidth = 470;
constexpr int kMinimumHeight = 488;

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
      reporter_(std::make_unique<DodMessageReporter>(this)),
      document_(this) {
    setWindowTitle(QStringLiteral("Quilm - [untitled]"));
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    setAcceptDrops(false);
    BuildMenus();
    // The title and the commands follow the document.
    connect(&document_, &MSongDocument::pathChanged, this, [this] {
        UpdateTitle();
        UpdateCommands();
    });
    for (auto change : {&MSongDocument::lyricsChanged, &MSongDocument::linesChanged,
                        &MSongDocument::settingsChanged, &MSongDocument::musicChanged}) {
        connect(&document_, change, this, &MainWindow::UpdateCommands);
    }
    connect(&document_, &MSongDocument::modifiedChanged, this, &MainWindow::UpdateCommands);
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
    ShowMode(kEditLyrics);
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

bool MainWindow::PanelBusy() const {
    auto* playFinal = qobject_cast<PlayFinalPanel*>(panel_);
    return playFinal != nullptr && playFinal->IsRendering();
}

AppState MainWindow::State() const {
    if (PanelBusy()) {
        // The song is being read by the panel's work: nothing may look at it meanwhile.
        AppState s = lastState_;
        s.exporting = true;
        return s;
    }
    AppState s;
    auto* playFinal = qobject_cast<PlayFinalPanel*>(panel_);
    MCdgPlayer* player = MCdgPlayer::CurrentPlayer();
    s.playing = (playFinal != nullptr && playFinal->IsPlaying()) ||
                (player != nullptr && player->IsPlaying());
    s.exporting = exporting_ || busy_;
    const MSongSettings& song = document_.Song();
    s.modified = document_.IsModified();
    s.hasFilePath = !document_.Path().isEmpty();
    s.projectOpened = projectOpened_;
    s.hasWorkWav = document_.HasMusic();
    s.hasLyrics = !song.rawLyrics.isEmpty();
    s.hasPlacedWords = song.HasPlacedWords();
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
    lastState_ = s;
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
    const QString path = document_.Path();
    const QString name = path.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(path).fileName();
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
    if ((deferredClose_ || deferredMode_ != kNone) && !PanelBusy()) {
        // Carried out once the panel's call has returned: it may destroy the panel.
        QTimer::singleShot(0, this, &MainWindow::RunDeferred);
    }
}

void MainWindow::RunDeferred() {
    if (PanelBusy()) {
        return;
    }
    const int mode = std::exchange(deferredMode_, kNone);
    if (std::exchange(deferredClose_, false)) {
        close();
    } else if (mode != kNone) {
        SwitchMode(mode);
    }
}

bool MainWindow::Report(const MStatus& message, const QString& checkBoxText) {
    if (QThread::currentThread() != thread()) {
        // Work on another thread (the render of Play Final) does not wait for the user.
        QMetaObject::invokeMethod(
            this, [this, message] { Report(message, QString()); }, Qt::QueuedConnection);
        return false;
    }
    if (openingProject_) {
        musicProblem_ = message.Text();
        return false;
    }
    return reporter_->Report(message, checkBoxText);
}

QString MainWindow::WorkWavPath() const {
    return document_.WorkWavPath();
}

QString MainWindow::MusicFilePath() const {
    return document_.Song().musicFile;
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
    if (PanelBusy()) {
        deferredMode_ = mode;
        return;
    }
    if (mode == kEditLyrics) {
        OnEditLyrics();
    } else if (mode == kPlaceLyrics) {
        OnPlaceLyrics();
    } else {
        SetMode(mode);
    }
}

void MainWindow::OpenSettings() {
    if (PanelBusy()) {
        return;
    }
    AppSongSettingsStore store(settings_);
    if (SongSettingsSheet::Run(this, document_, store, SongSettingsSheet::InstalledFonts())) {
        // The mode panel is built anew on the new settings.
        SetMode(mode_);
    }
}

bool MainWindow::FindLyrics(LrcDocument& document) {
    FindLyricsDialog dialog(document_, &settings_, &settings_, document, this);
    return dialog.exec() == QDialog::Accepted;
}

// --- Music -----------------------------------------------------------------------------------

bool MainWindow::AddMusic() {
    LogUserAction(MLogEvents::kActionAddMusic, MLogEvents::kAddMusic);
    MMusicImport& import = document_.Host().import;
    FindMusicDialog dialog(import, &settings_, mp3Available_, this);
    busy_ = true;
    const bool added = dialog.exec() == QDialog::Accepted;
    busy_ = false;
    if (added) {
        // The dialog imported the music into the work WAV: the song takes it, and says so when
        // the work WAV cannot be measured.
        MStatus measured;
        document_.Edit(MSongDocument::kMusicChange, [&](MSongSettings& song) {
            measured = song.SetMusicFile(import.MusicFilePath());
        });
        if (!measured) {
            Warn(measured);
        }
        settings_.WriteString(AppSettings::kSettings, QStringLiteral("MusicPath"),
                              import.MusicFolder());
    }
    UpdateTitle();
    UpdateCommands();
    return added;
}

void MainWindow::ExportSong() {
    if (!CommandEnabled(AppCommand::Export, State())) {
        return;
    }
    ExportDialog dialog(document_, settings_, mp3Available_, document_.Host().import.SampleRate(),
                        this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    QString folder = settings_.ReadString(AppSettings::kSettings, QStringLiteral("MusicPath"));
    SetExporting(true);
    ExportRunner::Run(this, document_.Song(), MLameLibrary::Shared(), dialog.Settings(), folder);
    SetExporting(false);
    settings_.WriteString(AppSettings::kSettings, QStringLiteral("MusicPath"), folder);
}

// --- Modes ---------------------------------------------------------------------------------

void MainWindow::SetMode(int mode) {
    if (AutoSave() && document_.IsModified() && mode_ != kPlayFinal) {
        SaveProject();
    }
    ShowMode(mode);
}

void MainWindow::ShowMode(int mode) {
    mode_ = mode;
    panel_ = nullptr;
    delete takeCentralWidget();
    switch (mode) {
        case kEditLyrics: {
            auto* edit = new EditLyricsPanel(*this, document_, this);
            panel_ = edit;
            if (!edit->IsUsable()) {
                // A project without a lyrics page cannot be edited: start afresh.
                document_.SetModified(false);
                panel_ = nullptr;
                delete edit;
                CloseProject();
                return;
            }
            break;
        }
        case kPlayFinal:
            panel_ = new PlayFinalPanel(*this, document_, this);
            break;
        case kPlaceLyrics:
            panel_ = new PlaceLyricsPanel(*this, document_, this);
            break;
        case kAdjustLyrics:
            panel_ = new AdjustLyricsPanel(*this, document_, this);
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
        // A larger font than the layout was drawn for widens the panel's rows: the window grows
        // with them rather than cutting buttons off.
        setMinimumSize(QSize(kMinimumWidth, kMinimumHeight).expandedTo(minimumSizeHint()));
        if (width() < minimumWidth() || height() < minimumHeight()) {
            resize(size().expandedTo(minimumSize()));
        }
        setFocusProxy(panel_);
        panel_->show();
        if (mode == kEditLyrics) {
            static_cast<EditLyricsPanel*>(panel_)->LyricBox()->setFocus();
        }
    }
    UpdateCommands();
}

void MainWindow::OnEditLyrics() {
    if (document_.Song().HasPlacedWords()) {
        LyricsPlacedDialog(this).exec();
    }
    SetMode(kEditLyrics);
}

void MainWindow::OnPlaceLyrics() {
    if (document_.Song().HasPlacedWords() &&
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
    if (document_.IsModified()) {
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
    projectOpened_ = false;
    document_.NewProject();
    ShowMode(kEditLyrics);
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
        int filterIndex = 0;
        path = FileDialogs::OpenFile(
            this, tr("Open Quilm Project"),
            settings_.ReadString(AppSettings::kSettings, QStringLiteral("ProjectPath")),
            kProjectFilters, filterIndex, QStringLiteral("qlm"));
        if (path.isEmpty()) {
            return;
        }
    }
    path = MFileName::Absolute(path);
    projectOpened_ = true;
    settings_.WriteString(AppSettings::kSettings, QStringLiteral("ProjectPath"), FolderOf(path));
    settings_.AddRecentFile(path);
    UpdateRecentFiles();
    // The panel lets go of the song while it is replaced.
    panel_ = nullptr;
    delete takeCentralWidget();
    MStatus opened;
    {
        ExportProgress progress(this);
        busy_ = true;
        openingProject_ = true;
        musicProblem_.clear();
        UpdateCommands();
        opened = document_.Open(path, &progress);
        openingProject_ = false;
        busy_ = false;
    }
    if (!opened) {
        Warn(opened.Text().isEmpty()
                 ? MStatus::Failure(QString::fromLatin1(MProjectFile::kCorrupted))
                 : opened);
        ShowMode(kEditLyrics);
        return;
    }
    MMusicImport& import = document_.Host().import;
    if (document_.HasMusic()) {
        settings_.WriteString(AppSettings::kSettings, QStringLiteral("MusicPath"),
                              import.MusicFolder());
    } else if (!document_.Song().musicFile.isEmpty()) {
        const QString problem = import.ErrorText().isEmpty() ? musicProblem_ : import.ErrorText();
        if (QMessageBox::question(
                this, tr("Error in Music File"),
                tr("The music file associated with this\nproject has an error:\n\n") + problem +
                    QStringLiteral("\n") +
                    tr(" Would you like to select a different\nmusic file now?\n"),
                QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
            AddMusic();
        } else {
            document_.Edit(MSongDocument::kMusicChange,
                           [](MSongSettings& song) { song.SetMusicFile(QString()); });
        }
    }
    // The mode is built without the auto save of a switch: nothing was changed by the user.
    ShowMode(kEditLyrics);
}

bool MainWindow::SaveProject() {
    if (document_.Path().isEmpty()) {
        return SaveProjectAs();
    }
    const MStatus saved = document_.Save();
    if (!saved) {
        Warn(saved);
    }
    UpdateCommands();
    return saved.IsOk();
}

bool MainWindow::SaveProjectAs() {
    const QString path = FileDialogs::SaveFile(
        this, tr("Save Quilm Project"),
        settings_.ReadString(AppSettings::kSettings, QStringLiteral("ProjectPath")),
        kProjectFilters, QStringLiteral("qlm"));
    if (path.isEmpty()) {
        return false;
    }
    settings_.WriteString(AppSettings::kSettings, QStringLiteral("ProjectPath"), FolderOf(path));
    const MStatus saved = document_.SaveAs(path);
    if (saved) {
        // A project saved under a new name is offered again like one opened.
        settings_.AddRecentFile(MFileName::Absolute(path));
        UpdateRecentFiles();
    } else {
        Warn(saved);
    }
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
    if (!path.isEmpty() && !exporting_ && !busy_ && !PanelBusy() &&
        QApplication::activeModalWidget() == nullptr) {
        OpenProject(path);
    }
}

// --- Window --------------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
    // Music being imported is finished first, and the song being rendered (the window closes
    // then); then the project may be saved.
    if (PanelBusy()) {
        deferredClose_ = true;
        event->ignore();
        return;
    }
    if (busy_ || !CanCloseProject()) {
        event->ignore();
        return;
    }
    event->accept();
}
