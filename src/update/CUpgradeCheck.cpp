#include "update/CUpgradeCheck.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStandardPaths>

#include "base/MSettingsStore.h"
#include "base/MStatus.h"
#include "base/MTextCodec.h"
#include "update/CUpgradeCheckDlg.h"
#include "update/UpgradeDialogs.h"
#include "update/UpgradeDownload.h"

namespace {

QPointer<CUpgradeCheck> gRunning;

// The proxy the desktop is set up with (http_proxy and no_proxy), as a browser would use.
class SystemProxies : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override {
        return systemProxyForQuery(query);
    }
};

}  // namespace

CUpgradeCheck::CUpgradeCheck(bool manual, const QString& productName, QWidget* owner,
                             MSettingsStore& settings, std::unique_ptr<UpgradePrompts> prompts)
    : QObject(owner),
      manual_(manual),
      productName_(productName),
      owner_(owner),
      settings_(settings),
      prompts_(prompts ? std::move(prompts) : std::make_unique<UpgradeDialogs>(owner)),
      version_(QCoreApplication::applicationVersion()),
      downloadFolder_(DefaultDownloadFolder()),
      timeoutMs_(manual ? kManualTimeoutMs : kAutomaticTimeoutMs) {
    network_.setProxyFactory(new SystemProxies);
    timeout_.setSingleShot(true);
    connect(&timeout_, &QTimer::timeout, this, [this] {
        if (reply_) {
            timedOut_ = true;
            reply_->abort();
        }
    });
}

CUpgradeCheck::~CUpgradeCheck() {
    if (cursorSet_) {
        QApplication::restoreOverrideCursor();
    }
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
    delete window_;
}

CUpgradeCheck* CUpgradeCheck::Start(bool manual, QWidget* owner, MSettingsStore& settings) {
    if (gRunning && gRunning->IsManual() && manual) {
        if (gRunning->Window() && gRunning->Window()->isVisible()) {
            gRunning->Window()->raise();
            gRunning->Window()->activateWindow();
        }
        return gRunning;
    }
    auto* check = new CUpgradeCheck(manual, QStringLiteral("Quilm"), owner, settings);
    connect(check, &CUpgradeCheck::finished, check, &QObject::deleteLater);
    gRunning = check;
    check->Run();
    return check;
}

QString CUpgradeCheck::DefaultDownloadFolder() {
    QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (downloads.isEmpty()) {
        downloads = QDir::homePath() + QStringLiteral("/Downloads");
    }
    return downloads + QStringLiteral("/Ivolde");
}

bool CUpgradeCheck::Run() {
    const QUrl endpoint = UpgradeProtocol::Endpoint(settings_);
    const QString section = QLatin1String(UpgradeProtocol::kSettings);
    const QString lastKey = QLatin1String(UpgradeProtocol::kLastCheckKey);
    const QDateTime now = QDateTime::currentDateTime();
    const bool due =
        manual_ ||
        UpgradeProtocol::IsDue(
            UpgradeProtocol::UnpackSystemTime(settings_.ReadBinary(section, lastKey)), now);
    if (endpoint.isEmpty() || !due) {
        if (manual_) {
            prompts_->Message(
                tr("No update service is configured for this copy of %1.\n\nThe address of "
                   "one can be given in the settings file, section [%2], key %3.")
                    .arg(productName_, QLatin1String(UpgradeProtocol::kDefault),
                         QLatin1String(UpgradeProtocol::kUrlKey)),
                QMessageBox::Information);
        }
        QTimer::singleShot(0, this, &CUpgradeCheck::Finish);
        return false;
    }
    settings_.WriteBinary(section, lastKey,
                          UpgradeProtocol::PackSystemTime(QDateTime(now.date(), QTime(0, 0))));
    window_ = new CUpgradeCheckDlg(productName_, owner_);
    connect(window_, &CUpgradeCheckDlg::cancelled, this, &CUpgradeCheck::Cancel);
    if (manual_) {
        window_->show();
    }
    Send(endpoint);
    return true;
}

void CUpgradeCheck::Step(const QString& text, int targetPercent) {
    if (manual_ && window_) {
        window_->SetStep(text, targetPercent);
    }
}

void CUpgradeCheck::Send(const QUrl& endpoint) {
    Step(tr("Opening connection..."), 10);
    Step(tr("Connecting to Ivolde..."), 20);
    Step(tr("Compiling Request..."), 30);
    QNetworkRequest request(endpoint);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QLatin1String(UpgradeProtocol::kContentType));
    request.setHeader(QNetworkRequest::UserAgentHeader, QLatin1String(UpgradeProtocol::kUserAgent));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    Step(tr("Sending Request..."), 50);
    const QByteArray body = UpgradeProtocol::BuildBody(UpgradeProtocol::InstallationId(settings_),
                                                       version_, productName_);
    answer_.clear();
    reply_ = network_.post(request, body);
    connect(reply_, &QNetworkReply::uploadProgress, this, [this](qint64 sent, qint64 total) {
        if (total > 0 && sent == total) {
            Step(tr("Waiting for Response..."), 70);
        }
    });
    connect(reply_, &QNetworkReply::readyRead, this, [this] {
        answer_ += reply_->readAll();
        if (answer_.size() > UpgradeProtocol::kMaxResponseBytes) {
            tooLong_ = true;
            reply_->abort();
        }
    });
    connect(reply_, &QNetworkReply::finished, this, &CUpgradeCheck::OnReplyFinished);
    timeout_.start(timeoutMs_);
}

void CUpgradeCheck::OnReplyFinished() {
    timeout_.stop();
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->deleteLater();
    if (cancelled_) {
        Finish();
        return;
    }
    Step(tr("Checking Response..."), 90);
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    QString failure;
    QMessageBox::Icon icon = QMessageBox::Information;
    if (timedOut_ || (!status.isValid() && reply->error() != QNetworkReply::NoError)) {
        // No answer at all: the service could not be reached or did not answer in time.
        failure = tr("Request timed out. Please try again later.");
    } else if (tooLong_) {
        failure = tr("The update service's answer is too long to be one.");
        icon = QMessageBox::Critical;
    } else if (status.toInt() != 200) {
        failure = tr("The update service could not answer (HTTP %1). Please try again later.")
                      .arg(status.toInt());
    } else if (reply->error() != QNetworkReply::NoError) {
        failure = reply->errorString();
        icon = QMessageBox::Critical;
    }
    if (failure.isEmpty()) {
        answer_ += reply->readAll();
        response_ = UpgradeProtocol::ParseResponse(MTextCodec::Decode(answer_));
    }
    Step(tr("Closing connection..."), 100);
    if (window_) {
        window_->Reset();
    }
    if (!failure.isEmpty()) {
        if (manual_) {
            prompts_->Message(failure, icon);
        }
        Finish();
        return;
    }
    Offer();
}

void CUpgradeCheck::Offer() {
    const UpgradeProtocol::Response& r = response_;
    if (r.code == UpgradeProtocol::kNone) {
        if (manual_) {
            prompts_->Message(
                r.text.isEmpty() ? tr("No new updates are currently available.") : r.text,
                QMessageBox::Information);
        }
        Finish();
        return;
    }
    const QString ignored =
        settings_.ReadString(QLatin1String(UpgradeProtocol::kSettings),
                             QLatin1String(UpgradeProtocol::kIgnoreKey), QString());
    if (!manual_ && ignored == r.version) {
        Finish();
        return;
    }
    // Only web addresses are offered; anything else in an answer is not followed.
    std::vector<CDodMsgBox::BTNDATA> buttons;
    if (!r.url2.isEmpty() && UpgradeProtocol::IsWebUrl(QUrl(r.url2))) {
        buttons.push_back({kTellMeMore, tr("&Tell Me More")});
    }
    if (!r.url.isEmpty() && UpgradeProtocol::IsWebUrl(QUrl(r.url))) {
        buttons.push_back({kGetIt, r.code == UpgradeProtocol::kDownload ? tr("&Download Now")
                                                                        : tr("&Purchase Now")});
    }
    buttons.push_back({kNoThanks, tr("&No, Thanks")});
    int pressed = kNoThanks;
    bool hide = false;
    do {
        pressed =
            prompts_->Offer(productName_ + tr(" Upgrade available"), r.text, buttons,
                            tr("&Hide this message for version ") + r.version, kNoThanks, &hide);
        if (pressed == kTellMeMore) {
            prompts_->Open(QUrl(r.url2));
        }
    } while (pressed == kTellMeMore);
    if (hide) {
        settings_.WriteString(QLatin1String(UpgradeProtocol::kSettings),
                              QLatin1String(UpgradeProtocol::kIgnoreKey), r.version);
    }
    if (pressed == kGetIt) {
        Fetch(r.url);
        return;
    }
    Finish();
}

void CUpgradeCheck::Fetch(const QString& address) {
    const QUrl url(address);
    const QString name = url.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : name.mid(dot).toLower();
    if (extension != QLatin1String(".exe") && extension != QLatin1String(".zip")) {
        prompts_->Open(url);
        Finish();
        return;
    }
    QDir().mkpath(downloadFolder_);
    const QString path = prompts_->SaveTarget(downloadFolder_, name);
    if (path.isEmpty()) {
        Finish();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    cursorSet_ = true;
    window_->SetDownload(0);
    window_->show();
    download_ = new UpgradeDownload(network_, this);
    connect(download_, &UpgradeDownload::progress, window_, &CUpgradeCheckDlg::SetDownload);
    connect(download_, &UpgradeDownload::finished, this,
            [this, path](const MStatus& status) { OnDownloaded(status, path); });
    download_->Start(url, path);
}

void CUpgradeCheck::OnDownloaded(const MStatus& status, const QString& path) {
    QApplication::restoreOverrideCursor();
    cursorSet_ = false;
    window_->Reset();
    if (!status) {
        if (!cancelled_) {
            prompts_->Message(status.Text(), QMessageBox::Critical);
        }
        Finish();
        return;
    }
    if (prompts_->ConfirmShutDown(tr("Upgrade is Ready"),
                                  productName_ + tr(" must shut down to allow upgrading."))) {
        prompts_->Open(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
        emit shutDownRequested();
    }
    Finish();
}

void CUpgradeCheck::Cancel() {
    cancelled_ = true;
    if (download_ && download_->IsRunning()) {
        download_->Cancel();
    } else if (reply_) {
        reply_->abort();
    }
}

void CUpgradeCheck::Finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    timeout_.stop();
    if (window_) {
        window_->hide();
        window_->deleteLater();
    }
    emit finished();
}
