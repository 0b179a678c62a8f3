#include "dialogs/AboutDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AboutDialog::AboutDialog(const QString& version, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About Quilm"));
    auto* name = new QLabel(tr("Quilm"), this);
    QFont bold = name->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() * 2);
    name->setFont(bold);
    name->setAccessibleName(tr("Product name"));
    auto* versionLabel = new QLabel(tr("Version %1").arg(version), this);
    versionLabel->setAccessibleName(tr("Version"));
    auto* about = new QLabel(tr("Karaoke authoring: time the words of a song to its music and\n"
                                "export CD+G karaoke tracks.\n\n"
                                "Free software under the GNU General Public License,\n"
                                "version 3 or later."),
                             this);
    about->setAccessibleName(tr("About"));
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setAccessibleName(tr("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    for (QLabel* l : {name, versionLabel, about}) {
        l->setAlignment(Qt::AlignCenter);
        // Clicks on the texts reach the dialog and close it.
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        layout->addWidget(l);
    }
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void AboutDialog::mousePressEvent(QMouseEvent*) {
    accept();
}
