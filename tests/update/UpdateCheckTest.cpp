// The update check against a small HTTP server on 127.0.0.1, with a stand-in for the user.
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>
#include <QtTest>
#include <functional>

#include "base/MMemorySettings.h"
#include "update/CUpgradeCheck.h"
#include "update/UpgradeProtocol.h"

namespace {

struct Request {
    QByteArray head;
    QByteArray body;
};

// Answers every POST with `answer`, every GET of a known path with its file (in chunks of
// chunkBytes every 10 ms when set), or nothing at all when silent.
class LocalHttpServer {
public:
    LocalHttpServer() {
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket] { Read(socket); });
            }
        });
        QVERIFY(server_.listen(QHostAddress::LocalHost));
    }
    QString Url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }

    QByteArray answer;
    QByteArray status = "200 OK";
    bool silent = false;
    QMap<QByteArray, QByteArray> files;
    int chunkBytes = 0;
    QList<Request> requests;

private:
    void Read(QTcpSocket* socket) {
        QByteArray& buffer = buffers_[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0) {
            return;
        }
        Request r{buffer.left(end + 2), {}};
        qsizetype length = 0;
        for (const QByteArray& line : r.head.split('\n')) {
            if (line.toLower().startsWith("content-length:")) {
                length = line.mid(15).trimmed().toLongLong();
            }
        }
        if (buffer.size() < end + 4 + length) {
            return;
        }
        r.body = buffer.mid(end + 4, length);
        buffer.clear();
        requests << r;
        if (silent) {
            return;
        }
        const QByteArray path = r.head.split(' ').value(1);
        QByteArray content = answer;
        if (r.head.startsWith("GET ")) {
            content = files.value(path);
        }
        socket->write("HTTP/1.1 " + status +
                      "\r\nContent-Type: application/octet-stream\r\n"
                      "Connection: close\r\nContent-Length: " +
                      QByteArray::number(content.size()) + "\r\n\r\n");
        if (chunkBytes <= 0 || !r.head.startsWith("GET ")) {
            socket->write(content);
            socket->disconnectFromHost();
            return;
        }
        auto* timer = new QTimer(socket);
        auto sent = std::make_shared<qsizetype>(0);
        QObject::connect(timer, &QTimer::timeout, socket, [this, socket, timer, sent, content] {
            socket->write(content.mid(*sent, chunkBytes));
            *sent += chunkBytes;
            if (*sent >= content.size()) {
                timer->stop();
                socket->disconnectFromHost();
            }
        });
        timer->start(10);
    }

    QTcpServer server_;
    QMap<QTcpSocket*, QByteArray> buffers_;
};

// The user: records what was shown and answers as told.
class ScriptedUser : public UpgradePrompts {
public:
    struct Shown {
        QString title, text, checkBox;
        QStringList buttons;
        int defaultId;
    };
    int Offer(const QString& title, const QString& text,
              const std::vector<CDodMsgBox::BTNDATA>& buttons, const QString& checkBoxCaption,
              int defaultId, bool* hide) override {
        Shown s{title, text, checkBoxCaption, {}, defaultId};
        for (const auto& b : buttons) {
            s.buttons << b.caption;
        }
        offers << s;
        *hide = hideVersion;
        return pressOnOffer;
    }
    void Message(const QString& text, QMessageBox::Icon) override { messages << text; }
    QString SaveTarget(const QString& folder, const QString& fileName) override {
        asked << QDir(folder).filePath(fileName);
        return target;
    }
    bool ConfirmShutDown(const QString&, const QString& text) override {
        messages << text;
        return true;
    }
    bool Open(const QUrl& url) override {
        opened << url;
        return true;
    }

    QList<Shown> offers;
    QStringList messages;
    QStringList asked;
    QList<QUrl> opened;
    int pressOnOffer = CUpgradeCheck::kNoThanks;
    bool hideVersion = false;
    QString target;
};

const QByteArray kOffer =
    "code=2\ntext=\"Quilm 6.1 is here.\"\nurl=\"%1\"\nurl2=\"https://example.org/new\"\n"
    "version=\"6.1\"\n";

}  // namespace

class UpdateCheckTest : public QObject {
    Q_OBJECT

private:
    MMemorySettings settings_;
    LocalHttpServer server_;
    ScriptedUser* user_ = nullptr;

    // Runs one check to its end; returns whether a request was made.
    bool RunCheck(bool manual, int timeoutMs = 5000, CUpgradeCheck** kept = nullptr,
                  const std::function<void(CUpgradeCheck&)>& whileRunning = {}) {
        auto user = std::make_unique<ScriptedUser>(*user_);
        ScriptedUser* live = user.get();
        CUpgradeCheck check(manual, QStringLiteral("Quilm"), nullptr, settings_, std::move(user));
        check.SetTimeoutMs(timeoutMs);
        check.SetVersion(QStringLiteral("6.0"));
        check.SetDownloadFolder(folder_.path());
        QSignalSpy done(&check, &CUpgradeCheck::finished);
        QSignalSpy shutDown(&check, &CUpgradeCheck::shutDownRequested);
        const bool requested = check.Run();
        if (whileRunning) {
            whileRunning(check);
        }
        if (done.isEmpty()) {
            done.wait(timeoutMs + 5000);
        }
        shutDownRequests_ = static_cast<int>(shutDown.size());
        *user_ = *live;
        return requested;
    }
    QTemporaryDir folder_;
    int shutDownRequests_ = 0;

private slots:
    void initTestCase() {
        // The local server is asked directly, whatever proxy the machine is set up with.
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "all_proxy"}) {
            qunsetenv(name);
        }
    }
    void init() {
        settings_ = MMemorySettings();
        settings_.texts[QStringLiteral("Default/UpdateURL")] = server_.Url(QString());
        server_.requests.clear();
        server_.answer.clear();
        server_.silent = false;
        delete user_;
        user_ = new ScriptedUser;
    }
    void cleanupTestCase() { delete user_; }

    void requestBodyAndResponseRules() {
        server_.answer = "code=1\ntext=\"\"\nurl=\"\"\nversion=\"6.0\"\n";
        auto user = std::make_unique<ScriptedUser>();
        CUpgradeCheck check(true, QStringLiteral("Quilm Pro"), nullptr, settings_, std::move(user));
        check.SetVersion(QStringLiteral("6.0 beta 2"));
        QSignalSpy done(&check, &CUpgradeCheck::finished);
        QVERIFY(check.Run());
        QVERIFY(done.wait(5000));
        QCOMPARE(server_.requests.size(), 1);
        const Request& r = server_.requests[0];
        const QString id = settings_.texts.value(QStringLiteral("Settings/InstallationID"));
        QVERIFY(!QUuid::fromString(id).isNull());
        QCOMPARE(r.body, "ID=" + id.toLatin1() + "&version=6.0+beta+2&product=QuilmPro");
        QVERIFY(r.head.startsWith("POST /check-for-upgrade.php HTTP/1.1\r\n"));
        QVERIFY(r.head.contains("Content-Type: application/x-www-form-urlencoded\r\n"));
        QVERIFY(r.head.contains("User-Agent: UpgradeRequest\r\n"));

        // Values sit between the quotes; a missing version or url means nothing new.
        auto parse = UpgradeProtocol::ParseResponse;
        const auto full = parse(QStringLiteral(
            "code=3&text=\"Buy it\"&url=\"https://a.example/b\"&url2=\"\"&version=\"7\""));
        QCOMPARE(full.code, UpgradeProtocol::kPurchase);
        QCOMPARE(full.text, QStringLiteral("Buy it"));
        QCOMPARE(full.url, QStringLiteral("https://a.example/b"));
        QCOMPARE(full.version, QStringLiteral("7"));
        QCOMPARE(parse(QStringLiteral("code=2 text=\"a\" url=\"b\"")).code, UpgradeProtocol::kNone);
        QCOMPARE(parse(QStringLiteral("code=2 text=\"a\" url=\"b\" version=\"6.1")).code,
                 UpgradeProtocol::kNone);
        QCOMPARE(parse(QStringLiteral("code=2 text=\"a\" url=\"b\" version=")).code,
                 UpgradeProtocol::kNone);
        QCOMPARE(parse(QStringLiteral("code=7 text=\"a\" url=\"b\" version=\"1\"")).code,
                 UpgradeProtocol::kNone);
    }

    void automaticCheckOnceADay() {
        server_.answer = "code=1\ntext=\"\"\nurl=\"\"\nversion=\"6.0\"\n";
        QVERIFY(RunCheck(false));
        QVERIFY(!RunCheck(false));
        QCOMPARE(server_.requests.size(), 1);
        const QByteArray last =
            settings_.binaries.value(QStringLiteral("Settings/LastUpdateCheck"));
        QCOMPARE(last.size(), 16);
        QCOMPARE(UpgradeProtocol::UnpackSystemTime(last),
                 QDateTime(QDate::currentDate(), QTime(0, 0)));
        QCOMPARE(last.mid(8), QByteArray(8, '\0'));
        QVERIFY(user_->messages.isEmpty());
        QVERIFY(RunCheck(true));
        QCOMPARE(server_.requests.size(), 2);
        QCOMPARE(user_->messages, QStringList{"No new updates are currently available."});

        // A stored day more than a day away, either way, makes the check due again.
        for (int days : {-2, 3}) {
            settings_.binaries[QStringLiteral("Settings/LastUpdateCheck")] =
                UpgradeProtocol::PackSystemTime(QDateTime::currentDateTime().addDays(days));
            QVERIFY(RunCheck(false));
        }
        QCOMPARE(server_.requests.size(), 4);

        // Without a service nothing is asked; the user who asks is told so.
        settings_.texts.remove(QStringLiteral("Default/UpdateURL"));
        settings_.binaries.clear();
        user_->messages.clear();
        QVERIFY(!RunCheck(false));
        QVERIFY(user_->messages.isEmpty());
        QVERIFY(!RunCheck(true));
        QCOMPARE(user_->messages.size(), 1);
        QVERIFY(user_->messages[0].startsWith("No update service is configured"));
        QCOMPARE(server_.requests.size(), 4);
    }

    void offerAndIgnoredVersion() {
        server_.answer = QString::fromLatin1(kOffer).arg(server_.Url("/Quilm-6.1.exe")).toLatin1();
        user_->hideVersion = true;
        QVERIFY(RunCheck(false));
        QCOMPARE(user_->offers.size(), 1);
        const ScriptedUser::Shown& shown = user_->offers[0];
        QCOMPARE(shown.title, QStringLiteral("Quilm Upgrade available"));
        QCOMPARE(shown.text, QStringLiteral("Quilm 6.1 is here."));
        QCOMPARE(shown.buttons, (QStringList{"&Tell Me More", "&Download Now", "&No, Thanks"}));
        QCOMPARE(shown.checkBox, QStringLiteral("&Hide this message for version 6.1"));
        QCOMPARE(shown.defaultId, CUpgradeCheck::kNoThanks);
        QCOMPARE(settings_.texts.value("Settings/IgnoreUpgradesForVersion"), "6.1");

        // The hidden version: nothing at start-up, still offered when the user asks.
        settings_.binaries.clear();
        user_->offers.clear();
        QVERIFY(RunCheck(false));
        QVERIFY(user_->offers.isEmpty());
        QVERIFY(RunCheck(true));
        QCOMPARE(user_->offers.size(), 1);

        // Purchase offers open the page; a page that is not on the web is not offered.
        server_.answer =
            "code=3 text=\"x\" url=\"https://shop.example/quilm\" url2=\"file:///etc\" "
            "version=\"6.1\"";
        user_->pressOnOffer = CUpgradeCheck::kGetIt;
        QVERIFY(RunCheck(true));
        QCOMPARE(user_->offers.last().buttons, (QStringList{"&Purchase Now", "&No, Thanks"}));
        QCOMPARE(user_->opened, QList<QUrl>{QUrl("https://shop.example/quilm")});
    }

    void deadServerStaysSilent() {
        server_.silent = true;
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(20);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(RunCheck(false, 600));
        QVERIFY(clock.elapsed() >= 550);
        QVERIFY2(ticks >= 15, qPrintable(QString::number(ticks)));
        QVERIFY(user_->messages.isEmpty());
        QVERIFY(user_->offers.isEmpty());
        QVERIFY(RunCheck(true, 300));
        QCOMPARE(user_->messages, QStringList{"Request timed out. Please try again later."});
        // A service that answers with an error is not silence to the user who asked.
        server_.silent = false;
        server_.status = "500 Internal Server Error";
        QVERIFY(RunCheck(true));
        QVERIFY(user_->messages.last().contains(QStringLiteral("HTTP 500")));
        server_.status = "200 OK";
    }

    void downloadCancelledAndCompleted() {
        QByteArray file(256 * 1024, '\0');
        for (qsizetype i = 0; i < file.size(); ++i) {
            file[i] = static_cast<char>(i * 7);
        }
        server_.files["/Quilm-6.1.exe"] = file;
        server_.chunkBytes = 8 * 1024;
        server_.answer = QString::fromLatin1(kOffer).arg(server_.Url("/Quilm-6.1.exe")).toLatin1();
        user_->pressOnOffer = CUpgradeCheck::kGetIt;
        const QString target = folder_.filePath("Quilm-6.1.exe");
        user_->target = target;
        QVERIFY(RunCheck(true, 5000, nullptr, [](CUpgradeCheck& check) {
            // Cancel once the first part has arrived.
            QTRY_VERIFY_WITH_TIMEOUT(check.Window() && check.Window()->Bar()->value() > 0, 5000);
            QVERIFY(check.Window()->Status()->text().startsWith("Downloading... "));
            check.Window()->CancelButton()->click();
        }));
        QCOMPARE(user_->asked, QStringList{target});
        QVERIFY(!QFile::exists(target));
        QCOMPARE(QDir(folder_.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
        QCOMPARE(shutDownRequests_, 0);

        QVERIFY(RunCheck(true));
        QFile written(target);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll() == file);
        QCOMPARE(user_->messages.last(),
                 QStringLiteral("Quilm must shut down to allow upgrading."));
        QCOMPARE(user_->opened.last(), QUrl::fromLocalFile(target));
        QCOMPARE(shutDownRequests_, 1);
        server_.chunkBytes = 0;
    }
};

QTEST_MAIN(UpdateCheckTest)
#include "UpdateCheckTest.moc"
