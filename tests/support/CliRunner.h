#pragma once

#include <QString>
#include <QStringList>

// Runs a program to completion and keeps what it printed.
struct CliRun {
    int exitCode = -1;
    bool crashed = false;
    QString out;
    QString err;
    qint64 elapsedMs = 0;
};

class CliRunner {
public:
    static CliRun Run(const QString& program, const QStringList& args, int timeoutMs = 120000);
};
