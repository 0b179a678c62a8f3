#pragma once

#include <QMainWindow>
#include <QMap>
#include <memory>

#include "app/AppSongHost.h"
#include "app/HelpCommands.h"
#include "modes/AppState.h"
#include "modes/ModeHost.h"
#include "platform/MQtAudioOutputFactory.h"

class AppSettings;
class MMessageReporter;
class MSongSettings;
class ModePanel;
class QAction;
class QMenu;

// The program's frame: the menus and their commands, the window title, the one song project,
// and the work-mode panel that fills the window. Each command is a few lines that call the
// engine or open a dialog; whether a command is enabled is decided in one place from the
// application's state, again whenever that state changes.
class MainWindow : public QMainWindow, public ModeHost {
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
    MSongSettings& Song() { return *song_; }
    AppSongHost& SongHost() { return host_; }
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
    void BuildMenus();
    QAction* AddCommand(QMenu* menu, AppCommand command, const QString& text,
                        const QKeySequence& shortcut = {}, const QString& icon = {});
    void UpdateRecentFiles();
    void StoreWindowPlacement();
    bool LoadMusicWithProgress(const QString& path);
    void ExportSong();
    void EditCommand(const char* slot);
    void WatchFocus(QWidget* now);
    void Warn(const MStatus& status);
    void CheckForUpdates(bool manual);

    AppSettings& settings_;
    QString dataFolder_;
    bool mp3Available_;
    mutable HelpCommands help_;
    AppSongHost host_;
    std::unique_ptr<MSongSettings> song_;
    MQtAudioOutputFactory outputs_;
    std::unique_ptr<MMessageReporter> reporter_;
    ModePanel* panel_ = nullptr;
    int mode_ = kNone;
    bool projectOpened_ = false;
    bool exporting_ = false;
    bool busy_ = false;
    bool clipboardHasText_ = false;
    QMap<AppCommand, QAction*> actions_;
    QMenu* fileMenu_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    QList<QAction*> recentActions_;
    QMetaObject::Connection selectionWatch_;
};
