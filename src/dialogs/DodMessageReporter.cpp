#include "dialogs/DodMessageReporter.h"

#include "dialogs/StatusMessage.h"
#include "widgets/CDodMsgBox.h"

bool DodMessageReporter::Report(const MStatus& message, const QString& checkBoxText) {
    CDodMsgBox box(parent_);
    box.SetTitle(message.Title().isEmpty() ? QStringLiteral("Quilm") : message.Title());
    box.SetText(message.Text());
    box.AddButton(CDodMsgBox::kOk, QObject::tr("OK"));
    box.DoModal(checkBoxText, StatusMessage::IconOf(message.GetIcon()));
    return box.IsChecked();
}
