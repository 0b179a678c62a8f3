#include "app/MessageBoxReporter.h"

#include <QMessageBox>

#include "widgets/CDodMsgBox.h"

namespace {

QMessageBox::Icon BoxIcon(MStatus::Icon icon) {
    switch (icon) {
        case MStatus::Icon::Information:
            return QMessageBox::Information;
        case MStatus::Icon::Question:
            return QMessageBox::Question;
        case MStatus::Icon::Warning:
            return QMessageBox::Warning;
        case MStatus::Icon::Error:
            return QMessageBox::Critical;
        case MStatus::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

bool MessageBoxReporter::Report(const MStatus& message, const QString& checkBoxText) {
    // The message box with clickable links: the notices name where to get what is missing.
    CDodMsgBox box(owner_);
    box.SetTitle(message.Title().isEmpty() ? QStringLiteral("Quilm") : message.Title());
    box.SetText(message.Text());
    box.DoModal(checkBoxText, BoxIcon(message.GetIcon()));
    return !checkBoxText.isEmpty() && box.IsChecked();
}

void MessageBoxReporter::Show(QWidget* owner, const MStatus& message) {
    MessageBoxReporter(owner).Report(message, QString());
}
