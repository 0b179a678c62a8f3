#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "update/CUpgradeCheckDlg.h"
#include "update/UpgradePrompts.h"
#include "update/UpgradeProtocol.h"

class MSettingsStore;
class MStatus;
class QNetworkReply;
class QWidget;
class UpgradeDownload;

// One update check: asks the update service whether a newer version exists and offers it. The
// automatic check at start-up runs at most once a day and says nothing unless something is
// offered; the check the user asks for shows its status window and always ends with an answer.
// All network work runs in the event loop; the window stays responsive throughout.
//
//     CUpgradeCheck::Start(true, mainWindow, settings);   // one at a time, deletes itself
class CUpgradeCheck : public QObject {
    Q_OBJECT

public:
    static constexpr int kTellMeMore = 10;
    static constexpr int kGetIt = 11;  // "&Download Now" or "&Purchase Now"
    static constexpr int kNoThanks = 12;
    // How long the automatic and the asked-for check wait for the service.
    static constexpr int kAutomaticTimeoutMs = 15000;
    static constexpr int kManualTimeoutMs = 30000;

    // prompts: the user's side; the real dialogs when none is given.
    CUpgradeCheck(bool manual, const QString& productName, QWidget* owner, MSettingsStore& settings,
                  std::unique_ptr<UpgradePrompts> prompts = nullptr);
    ~CUpgradeCheck() override;

    // Starts a check on the program's own dialogs, deleting itself when done; while a check the
    // user asked for is running, another request only brings its window to the front.
    static CUpgradeCheck* Start(bool manual, QWidget* owner, MSettingsStore& settings);

    // Starts the check and returns at once; finished() follows in every case. False when no
    // request is made (not due, or no service configured).
    bool Run();

    void SetVersion(const QString& version) { version_ = version; }
    void SetTimeoutMs(int ms) { timeoutMs_ = ms; }
    void SetDownloadFolder(const QString& folder) { downloadFolder_ = folder; }
    // "Downloads/Ivolde" in the user's home.
    static QString DefaultDownloadFolder();

    bool IsManual() const { return manual_; }
    bool IsFinished() const { return finished_; }
    CUpgradeCheckDlg* Window() const { return window_; }
    const UpgradeProtocol::Response& Response() const { return response_; }

signals:
    void finished();
    // The user agreed that the program ends so that the downloaded upgrade can be installed.
    void shutDownRequested();

private:
    void Step(const QString& text, int targetPercent);
    void Send(const QUrl& endpoint);
    void OnReplyFinished();
    void Offer();
    void Fetch(const QString& url);
    void OnDownloaded(const MStatus& status, const QString& path);
    void Cancel();
    void Finish();

    bool manual_;
    QString productName_;
    QWidget* owner_;
    MSettingsStore& settings_;
    std::unique_ptr<UpgradePrompts> prompts_;
    QString version_;
    QString downloadFolder_;
    int timeoutMs_;
    QNetworkAccessManager network_;
    QPointer<QNetworkReply> reply_;
    QByteArray answer_;
    QTimer timeout_;
    QPointer<CUpgradeCheckDlg> window_;
    UpgradeDownload* download_ = nullptr;
    UpgradeProtocol::Response response_;
    bool cancelled_ = false;
    bool timedOut_ = false;
    bool tooLong_ = false;
    bool cursorSet_ = false;
    bool finished_ = false;
};
