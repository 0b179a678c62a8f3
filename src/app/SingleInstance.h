#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>

// Keeps the program to one running copy per user. The first copy holds a lock file and listens
// on a local socket; a later copy finds the lock taken, sends the first its project path (or an
// empty line, meaning "come to the front") and ends.
class SingleInstance : public QObject {
public:
    // key names the lock and the socket; empty: the user's usual one ("QUILM_INSTANCE_KEY" in
    // the environment overrides it, so that tests run apart from a real session).
    explicit SingleInstance(const QString& key = QString());
    ~SingleInstance() override;

    // True for the first copy, which then listens; false when another copy runs.
    bool Claim();
    // For a later copy: hands the path (may be empty) to the first. False when no first copy
    // answered within timeoutMs.
    bool SendToFirst(const QString& projectPath, int timeoutMs = 3000);

    // Called in the first copy with each later copy's path (empty: just raise the window).
    std::function<void(const QString&)> onMessage;

    QString ServerName() const { return serverName_; }

private:
    void Accept();

    QString serverName_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};
