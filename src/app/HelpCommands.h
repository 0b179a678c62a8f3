#pragma once

#include <QElapsedTimer>
#include <QString>

class AppSettings;
class QWidget;

// The commands that lead out of the program: the manual, the companion program, the web pages
// and the About box.
class HelpCommands {
public:
    static constexpr const char* kManualPage = "manual/velt-frame.htm";
    static constexpr const char* kCompanionSection = "Morrow";
    static constexpr const char* kCompanionKey = "InstallFolder";

    HelpCommands(QWidget* owner, AppSettings& settings, const QString& dataFolder)
        : owner_(owner), settings_(settings), dataFolder_(dataFolder) {}

    void OpenManual();
    // The companion program "morrow": in the folder the settings store names, else on PATH;
    // empty when there is none.
    QString CompanionProgram() const;
    // The same, looked up again at most every few seconds (the menus ask on every change).
    bool CompanionFound();
    // Starts it on its own with the folder as its argument.
    void StartCompanion(const QString& musicFolder);
    // Opens a page of the web-page table, or says that it has no address.
    void OpenWebPage(const QString& key);
    void ShowAbout();

private:
    QWidget* owner_;
    AppSettings& settings_;
    QString dataFolder_;
    QElapsedTimer companionChecked_;
    bool companionFound_ = false;
};
