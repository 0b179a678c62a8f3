#pragma once

#include <QString>
#include <memory>

class QTemporaryDir;

// The private folder of one process for its work files (decoded music, padded copies, the parts
// of a zipped export). It is made in the temporary folder under a name of its own,
// "quilm-work-XXXXXX", and holds a file locked by the process; it is removed with everything
// in it when the process ends normally. A folder whose process died without removing it (killed,
// crashed) is removed the next time any Quilm process makes its own: its lock is then stale.
class MWorkFolder {
public:
    static constexpr const char* kNamePrefix = "quilm-work-";

    // parent: where to make the folder (the temporary folder when empty).
    explicit MWorkFolder(const QString& parent = QString());
    ~MWorkFolder();
    MWorkFolder(const MWorkFolder&) = delete;
    MWorkFolder& operator=(const MWorkFolder&) = delete;

    // The folder of this process in the current temporary folder, made on first use.
    static MWorkFolder& Process();

    bool IsValid() const;
    QString Path() const;
    // A new empty file in the folder whose name starts with stem (made safe for a file name)
    // and ends with suffix (including its dot); empty when it cannot be made. The caller owns
    // the file and removes it when done; the folder's removal catches what is left.
    QString NewFile(const QString& stem, const QString& suffix) const;
    // A new empty subfolder, named like NewFile's files.
    QString NewFolder(const QString& stem) const;

    // Removes the work folders in parent whose process has gone; returns how many.
    static int RemoveStale(const QString& parent);

private:
    std::unique_ptr<QTemporaryDir> dir_;
    int lockFd_ = -1;
};
