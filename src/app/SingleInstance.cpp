#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace {

QString DefaultKey() {
    const QByteArray env = qgetenv("QUILM_INSTANCE_KEY");
    if (!env.isEmpty()) {
        return QString::fromLocal8Bit(env);
    }
    return QDir::homePath();
}

}  // namespace

SingleInstance::SingleInstance(const QString& key) {
    const QString k = key.isEmpty() ? DefaultKey() : key;
    const QByteArray hash =
        QCryptographicHash::hash(k.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    serverName_ = QStringLiteral("quilm-") + QString::fromLatin1(hash);
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    lock_ = std::make_unique<QLockFile>(folder + QLatin1Char('/') + serverName_ +
                                        QStringLiteral(".lock"));
    lock_->setStaleLockTime(0);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::Accept);
}

SingleInstance::~SingleInstance() {
    server_.close();
}

bool SingleInstance::Claim() {
    // A lock left by a copy that died is taken over (its process no longer exists).
    if (!lock_->tryLock(0)) {
        return false;
    }
    QLocalServer::removeServer(serverName_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(serverName_);
    return true;
}

bool SingleInstance::SendToFirst(const QString& projectPath, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    // The first copy may still be starting: try again until it listens.
    while (clock.elapsed() < timeoutMs) {
        QLocalSocket socket;
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(500)) {
            socket.write(projectPath.toUtf8() + '\n');
            if (socket.waitForBytesWritten(1000)) {
                socket.disconnectFromServer();
                if (socket.state() != QLocalSocket::UnconnectedState) {
                    socket.waitForDisconnected(1000);
                }
                return true;
            }
        }
        QThread::msleep(100);
    }
    return false;
}

void SingleInstance::Accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        auto handle = [this, socket, buffer] {
            buffer->append(socket->readAll());
            // One line of at most a path's length; anything longer is not ours.
            if (buffer->size() > 64 * 1024) {
                socket->abort();
                return;
            }
            const int end = buffer->indexOf('\n');
            if (end < 0) {
                return;
            }
            const QString path = QString::fromUtf8(buffer->left(end));
            buffer->clear();
            socket->disconnectFromServer();
            if (onMessage) {
                onMessage(path);
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, handle);
        if (socket->bytesAvailable() > 0) {
            handle();
        }
    }
}
