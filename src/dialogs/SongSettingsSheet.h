#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>

class LyricsSettingsPage;
class MSongDocument;
class MSongSettings;
class QDialogButtonBox;
class QTabWidget;
class SongSettingsStore;
class TitlePageSettingsPage;

// "Karaoke Song Settings": the Title Page, Lyrics and Credits Page of a song, each with a live
// preview. The sheet edits a copy of the song's settings; the caller takes it back on OK.
// It opens on the Lyrics page where and as large as it was last closed, and cannot be made
// smaller than it first showed.
class SongSettingsSheet : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kWindowPos = "SettingsWindowPos";

    // settings: a copy of the song's settings (MSongSettings::CopySettings), edited in place.
    // fonts: the font names to offer, in order.
    SongSettingsSheet(std::unique_ptr<MSongSettings> settings, SongSettingsStore& store,
                      const QStringList& fonts, QWidget* parent = nullptr);
    ~SongSettingsSheet() override;

    // Runs the sheet on a copy of the document's song; on OK the document takes the settings
    // (the song is then modified). True for OK.
    static bool Run(QWidget* parent, MSongDocument& document, SongSettingsStore& store,
                    const QStringList& fonts);
    // The font names of the engine's font dictionary, in order.
    static QStringList InstalledFonts();

    MSongSettings& Settings() const { return *settings_; }

    QTabWidget* Tabs() const { return tabs_; }
    TitlePageSettingsPage* TitlePage() const { return title_; }
    LyricsSettingsPage* LyricsPage() const { return lyrics_; }
    TitlePageSettingsPage* CreditsPage() const { return credits_; }
    QDialogButtonBox* Buttons() const { return buttons_; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The settings into the event log, when it is on.
    static void LogSettings(const MSongSettings& song, const char* caption);
    void RestorePosition();
    void StorePosition();

    std::unique_ptr<MSongSettings> settings_;
    SongSettingsStore& store_;
    QTabWidget* tabs_ = nullptr;
    TitlePageSettingsPage* title_ = nullptr;
    LyricsSettingsPage* lyrics_ = nullptr;
    TitlePageSettingsPage* credits_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    bool shown_ = false;
    bool stored_ = false;
};
