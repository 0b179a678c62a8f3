#include "dialogs/FileDialogs.h"

#include <QFileInfo>

#include "dialogs/ResolvingFileDialog.h"

QString FileDialogs::NameFilter(const Filter& filter) {
    const QString patterns = filter.pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts).join(' ');
    const QString tail = QStringLiteral("(") + patterns + QStringLiteral(")");
    return filter.text.endsWith(tail) ? filter.text : filter.text + QLatin1Char(' ') + tail;
}

namespace {

QStringList NameFilters(const QList<FileDialogs::Filter>& filters) {
    QStringList list;
    for (const FileDialogs::Filter& f : filters) {
        list << FileDialogs::NameFilter(f);
    }
    return list;
}

}  // namespace

QString FileDialogs::OpenFile(QWidget* parent, const QString& title, const QString& folder,
                              const QList<Filter>& filters, int& filterIndex,
                              const QString& defaultSuffix) {
    ResolvingFileDialog dialog(parent, title, folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Not ExistingFile: Qt would refuse a name it cannot show before the dialog finds its file;
    // the dialog checks that the file is there itself.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    const QStringList names = NameFilters(filters);
    dialog.setNameFilters(names);
    if (filterIndex >= 0 && filterIndex < names.size()) {
        dialog.selectNameFilter(names[filterIndex]);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    filterIndex = std::max(0, static_cast<int>(names.indexOf(dialog.selectedNameFilter())));
    return dialog.ChosenFile();
}

QString FileDialogs::SaveFile(QWidget* parent, const QString& title, const QString& folder,
                              const QList<Filter>& filters, const QString& defaultSuffix) {
    ResolvingFileDialog dialog(parent, title, folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(NameFilters(filters));
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.ChosenFile();
}

QString FileDialogs::FolderOf(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}
