#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The open and save file dialogs of the dialogs: Qt's own file dialog (so that it looks the same
// everywhere and scripts can drive it), with filters given as (text, patterns separated by ';').
class FileDialogs {
public:
    struct Filter {
        QString text;
        QString pattern;
    };

    // The filter as the file dialog takes it: the text, followed by its patterns in parentheses
    // unless the text already ends with exactly those.
    static QString NameFilter(const Filter& filter);

    // An existing file; filterIndex is the filter to start with and, on OK, the one chosen;
    // defaultSuffix is added to a typed name that has none. Empty when cancelled. The process's
    // current folder is not changed.
    static QString OpenFile(QWidget* parent, const QString& title, const QString& folder,
                            const QList<Filter>& filters, int& filterIndex,
                            const QString& defaultSuffix = QString());
    // A file to write, with the default suffix added when the name has none; overwriting an
    // existing file is confirmed. Empty when cancelled.
    static QString SaveFile(QWidget* parent, const QString& title, const QString& folder,
                            const QList<Filter>& filters, const QString& defaultSuffix);
    // The folder of a path with its trailing separator.
    static QString FolderOf(const QString& path);
};
