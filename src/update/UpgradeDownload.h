#pragma once

#include <QFile>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <memory>

#include "base/MStagedFile.h"
#include "base/MStatus.h"

class QNetworkAccessManager;
class QNetworkReply;

// Downloads a file without blocking: the bytes go into a hidden file beside the target, which
// becomes the target only when the whole file has arrived; a cancelled or failed download leaves
// nothing behind.
class UpgradeDownload : public QObject {
    Q_OBJECT

public:
    UpgradeDownload(QNetworkAccessManager& network, QObject* parent = nullptr);
    ~UpgradeDownload() override;

    // Starts the download (http and https only); the outcome comes as finished().
    void Start(const QUrl& url, const QString& targetPath);
    void Cancel();
    bool IsRunning() const { return !reply_.isNull(); }

signals:
    // 0 ... 100, when the size is known.
    void progress(int percent);
    // Ok, or why the file was not written ("cancelled" counts as a failure with kCancelledText).
    void finished(const MStatus& status);

public:
    static constexpr const char* kCancelledText = "The download was cancelled.";

private:
    void Write();
    void Finish();
    void End(const MStatus& status);

    QNetworkAccessManager& network_;
    QPointer<QNetworkReply> reply_;
    std::unique_ptr<MStagedFile> stage_;
    QFile file_;
    QString writeError_;
    bool cancelled_ = false;
};
