#include "dialogs/StatusMessage.h"

#include <QPushButton>

QMessageBox::Icon StatusMessage::IconOf(MStatus::Icon icon) {
    switch (icon) {
        case MStatus::Icon::Information:
            return QMessageBox::Information;
        case MStatus::Icon::Question:
            return QMessageBox::Question;
        case MStatus::Icon::Warning:
            return QMessageBox::Warning;
        case MStatus::Icon::Error:
            return QMessageBox::Critical;
        default:
            return QMessageBox::NoIcon;
    }
}

namespace {

// Every button gets its caption without "&" as accessible name.
void NameButtons(QMessageBox& box) {
    for (QAbstractButton* b : box.buttons()) {
        b->setAccessibleName(b->text().remove(QLatin1Char('&')));
    }
}

}  // namespace

void StatusMessage::Show(QWidget* parent, const MStatus& status) {
    const QString title = status.Title().isEmpty() ? QStringLiteral("Quilm") : status.Title();
    QMessageBox box(IconOf(status.GetIcon()), title, status.Text(), QMessageBox::Ok, parent);
    NameButtons(box);
    box.exec();
}

bool StatusMessage::AskYesNo(QWidget* parent, const QString& title, const QString& text,
                             QMessageBox::Icon icon) {
    QMessageBox box(icon, title.isEmpty() ? QStringLiteral("Quilm") : title, text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    NameButtons(box);
    return box.exec() == QMessageBox::Yes;
}
