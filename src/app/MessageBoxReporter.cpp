#include "app/MessageBoxReporter.h"

#include <QCheckBox>
#include <QMessageBox>

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
    QMessageBox box(BoxIcon(message.GetIcon()),
                    message.Title().isEmpty() ? QStringLiteral("Quilm") : message.Title(),
                    message.Text(), QMessageBox::Ok, owner_);
    QCheckBox* check = nullptr;
    if (!checkBoxText.isEmpty()) {
        check = new QCheckBox(checkBoxText, &box);
        check->setAccessibleName(checkBoxText);
        box.setCheckBox(check);
    }
    box.exec();
    return check != nullptr && check->isChecked();
}

void MessageBoxReporter::Show(QWidget* owner, const MStatus& message) {
    MessageBoxReporter(owner).Report(message, QString());
}
