#include "update/UpgradeDownload.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include "update/UpgradeProtocol.h"

UpgradeDownload::UpgradeDownload(QNetworkAccessManager& network, QObject* parent)
    : QObject(parent), network_(network) {}

UpgradeDownload::~UpgradeDownload() {
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
    file_.close();
}

void UpgradeDownload::Start(const QUrl& url, const QString& targetPath) {
    cancelled_ = false;
    writeError_.clear();
    if (!UpgradeProtocol::IsWebUrl(url)) {
        // Reported from the event loop, as every other outcome.
        const MStatus refused = MStatus::Failure(
            tr("Only web addresses (http and https) are downloaded: %1").arg(url.toString()));
        QTimer::singleShot(0, this, [this, refused] { emit finished(refused); });
        return;
    }
    stage_ = std::make_unique<MStagedFile>(targetPath);
    if (MStatus s = stage_->Create(); !s) {
        stage_.reset();
        QTimer::singleShot(0, this, [this, s] { emit finished(s); });
        return;
    }
    file_.setFileName(stage_->TemporaryPath());
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        const MStatus s =
            MStatus::Failure(tr("%1 cannot be written: %2").arg(targetPath, file_.errorString()));
        stage_.reset();
        QTimer::singleShot(0, this, [this, s] { emit finished(s); });
        return;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, QLatin1String(UpgradeProtocol::kUserAgent));
    reply_ = network_.get(request);
    connect(reply_, &QNetworkReply::readyRead, this, &UpgradeDownload::Write);
    connect(reply_, &QNetworkReply::downloadProgress, this, [this](qint64 got, qint64 total) {
        if (total > 0) {
            emit progress(
                static_cast<int>(qBound<qint64>(qint64{0}, got * 100 / total, qint64{100})));
        }
    });
    connect(reply_, &QNetworkReply::finished, this, &UpgradeDownload::Finish);
}

void UpgradeDownload::Cancel() {
    if (reply_) {
        cancelled_ = true;
        reply_->abort();
    }
}

void UpgradeDownload::Write() {
    const QByteArray bytes = reply_->readAll();
    if (writeError_.isEmpty() && file_.write(bytes) != bytes.size()) {
        writeError_ = file_.errorString();
        reply_->abort();
    }
}

void UpgradeDownload::Finish() {
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->deleteLater();
    if (!cancelled_ && writeError_.isEmpty() && reply->error() == QNetworkReply::NoError) {
        const QByteArray rest = reply->readAll();
        if (file_.write(rest) != rest.size()) {
            writeError_ = file_.errorString();
        }
    }
    const bool flushed = file_.flush();
    file_.close();
    const int httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (cancelled_) {
        End(MStatus::Failure(tr(kCancelledText), MStatus::Icon::Information));
    } else if (!writeError_.isEmpty() || !flushed) {
        End(MStatus::Failure(tr("%1 cannot be written: %2")
                                 .arg(stage_->TargetPath(),
                                      writeError_.isEmpty() ? file_.errorString() : writeError_)));
    } else if (reply->error() != QNetworkReply::NoError) {
        End(MStatus::Failure(reply->errorString()));
    } else if (httpStatus != 200) {
        End(MStatus::Failure(tr("The server refused the download (HTTP %1).").arg(httpStatus)));
    } else {
        End(stage_->Commit());
    }
}

void UpgradeDownload::End(const MStatus& status) {
    if (stage_) {
        stage_->Discard();
        stage_.reset();
    }
    emit finished(status);
}
