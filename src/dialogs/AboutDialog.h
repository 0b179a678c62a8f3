#pragma once

#include <QDialog>

// The About box: the product name, its version and licence. A click anywhere closes it.
//
// The shell: AboutDialog(QStringLiteral(QUILM_VERSION), mainWindow).exec();
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(const QString& version, QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
