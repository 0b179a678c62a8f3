#pragma once

#include <QMainWindow>
#include <QMap>
#include <memory>

#include "app/HelpCommands.h"
#include "base/MMessageReporter.h"
#include "modes/AppState.h"
#include "modes/ModeHost.h"
#include "platform/MQtAudioOutputFactory.h"
#include "song/MSongDocument.h"

class AppSettings;
class ModePanel;
class QAction;
class QMenu;

// The program's frame: the menus and their commands, the window title, the one song document,
// and the work-mode panel that fills the window. Each command is a few lines that call the
// engine or open a dialog; whether a command is enabled is decided in one place from the
// application's state, again whenever that state changes: the document announces its changes,
// the panels theirs.
class MainWindow : public QMainWindow, public ModeHost, private MMessageReporter {
    Q_OBJECT

public:
    // dataFolder: the program's installed data (manual, pictures); may be empty.
    MainWindow(AppSettings& settings, const QString& dataFolder, bool mp3Available,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // Places the window where it was last time and opens Edit Lyrics.
    void Start();

    // --- Commands ---------------------------------------------------------------------------
    void SetMode(int mode);
    int CurrentMode() const { return mode_; }
    ModePanel* Panel() const { return panel_; }
    // Asks to save a modified project; false when the user cancelled (or saving failed).
    bool CanCloseProject();
    void NewProject();
    void CloseProject();
    // The Open command; with a path no file dialog is shown.
    void OpenProject(const QString& path = QString());
    // True when the project was written.
    bool SaveProject();
    bool SaveProjectAs();
    void OnEditLyrics();
    void OnPlaceLyrics();
    // Another start of the program handed over a path (empty: just come to the front).
    void ActivateFromOtherInstance(const QString& path);

    // --- State -------------------------------------------------------------------------------
    AppState State() const;
    QAction* Action(AppCommand command) const { return actions_.value(command); }
    void UpdateCommands();
    void UpdateTitle();
    const MSongSettings& Song() const { return document_.Song(); }
    MSongDocument& Document() { return document_; }
    bool AutoSave() const;
    void SetExporting(bool exporting);

    // ModeHost
    void SwitchMode(int mode) override;
    void OpenSettings() override;
    bool IsIdle() const override;
    void PanelStateChanged() override;
    bool AddMusic() override;
    QString WorkWavPath() const override;
    QString MusicFilePath() const override;
    MPlayerContext PlayerContext() override;
    double EditLyricsSplit() override;
    void SetEditLyricsSplit(double split) override;
    bool FindLyrics(LrcDocument& document) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The document's messages: shown, except the music problem of Open, which is asked about.
    bool Report(const MStatus& message, const QString& checkBoxText) override;
    // Builds the panel of a mode (no auto save).
    void ShowMode(int mode);
    // The work of the panel (Play Final's render) is using the song.
    bool PanelBusy() const;
    // A mode switch or close asked for while the panel was busy, carried out once it is not.
    void RunDeferred();
    void BuildMenus();
    QAction* AddCommand(QMenu* menu, AppCommand command, const QString& text,
                        const QKeySequence& shortcut = {}, const QString& icon = {});
    void UpdateRecentFiles();
    void StoreWindowPlacement();
    void ExportSong();
    void EditCommand(const char* slot);
    void WatchFocus(QWidget* now);
    void Warn(const MStatus& status);
    void CheckForUpdates(bool manual);

    AppSettings& settings_;
    QString dataFolder_;
    bool mp3Available_;
    mutable HelpCommands help_;
    MQtAudioOutputFactory outputs_;
    std::unique_ptr<MMessageReporter> reporter_;
    MSongDocument document_;
    ModePanel* panel_ = nullptr;
    int mode_ = kNone;
    bool projectOpened_ = false;
    bool exporting_ = false;
    bool busy_ = false;
    bool clipboardHasText_ = false;
    // Open is importing the project's music: its problem is asked about, not reported.
    bool openingProject_ = false;
    QString musicProblem_;
    // The state last seen while the song was free (what the commands follow while it is not).
    mutable AppState lastState_;
    int deferredMode_ = kNone;
    bool deferredClose_ = false;
    QMap<AppCommand, QAction*> actions_;
    QMenu* fileMenu_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    QList<QAction*> recentActions_;
    QMetaObject::Connection selectionWatch_;
};
