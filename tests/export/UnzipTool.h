#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// Reads archives back with the Info-ZIP "unzip" program, independently of the writer.
struct UnzipEntry {
    QString name;
    QString method;    // as "unzip -v" prints it: "Defl:X" (deflate at level 8 or 9), "Stored"
    QString modified;  // "YYYY-MM-DD hh:mm"
};

class UnzipTool {
public:
    // The entries in stored order; fails the current test when unzip cannot list the archive.
    static std::vector<UnzipEntry> List(const QString& zipPath);
    // The content of one entry, checked against its CRC by unzip.
    static QByteArray Extract(const QString& zipPath, const QString& entryName);
};
