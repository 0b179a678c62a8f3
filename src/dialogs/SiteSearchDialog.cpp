#include "dialogs/SiteSearchDialog.h"

#include <QButtonGroup>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QVBoxLayout>

#include "dialogs/MDialogSettings.h"
#include "widgets/CDodMsgBox.h"

namespace {
const QString kSection = QStringLiteral("Default");
}

SiteSearchDialog::SiteSearchDialog(const QString& title, const QString& prompt,
                                   const QList<Site>& sites, MDialogSettings* settings,
                                   const QString& customKey, QWidget* parent)
    : QDialog(parent), sites_(sites), settings_(settings), customKey_(customKey) {
    setWindowTitle(title);
    layout_ = new QVBoxLayout(this);
    layout_->addWidget(new QLabel(prompt, this));
    group_ = new QButtonGroup(this);
    for (int i = 0; i <= sites_.size(); ++i) {
        const bool custom = i == sites_.size();
        auto* radio = new QRadioButton(custom ? tr("Custom:") : sites_[i].caption, this);
        radio->setAccessibleName(custom ? tr("Custom website") : sites_[i].caption);
        group_->addButton(radio, i);
        choices_.append(radio);
        if (!custom) {
            layout_->addWidget(radio);
            continue;
        }
        custom_ = new QLineEdit(this);
        custom_->setAccessibleName(tr("Custom address"));
        auto* row = new QHBoxLayout;
        row->addWidget(radio);
        row->addWidget(custom_, 1);
        layout_->addLayout(row);
    }
    choices_.front()->setChecked(true);
    connect(group_, &QButtonGroup::idClicked, this, [this](int id) {
        if (id < sites_.size()) {
            previousChoice_ = id;
        }
    });
    if (settings_ != nullptr) {
        custom_->setText(settings_->ReadString(kSection, customKey_, QString()));
    }
    if (IsCustomUrl(custom_->text())) {
        choices_.back()->setChecked(true);
    }
    connect(custom_, &QLineEdit::textEdited, this, &SiteSearchDialog::CustomEdited);

    auto* buttons = new QHBoxLayout;
    search_ = new QPushButton(tr("Search"), this);
    localFile_ = new QPushButton(tr("Local File..."), this);
    close_ = new QPushButton(tr("Close"), this);
    for (QPushButton* b : {search_, localFile_, close_}) {
        b->setAccessibleName(b->text());
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout_->addLayout(buttons);
    connect(search_, &QPushButton::clicked, this, [this] {
        const QString url = ChosenUrl();
        if (!url.isEmpty()) {
            QDesktopServices::openUrl(QUrl::fromUserInput(url));
        }
    });
    connect(localFile_, &QPushButton::clicked, this, [this] { LocalFile(); });
    connect(close_, &QPushButton::clicked, this, [this] {
        SaveCustomUrl();
        reject();
    });
}

bool SiteSearchDialog::IsCustomUrl(const QString& text) {
    const QString t = text.trimmed();
    if (CDodMsgBox::IsUrl(t)) {
        return true;
    }
    if (!t.startsWith(QLatin1String("www."), Qt::CaseInsensitive) || t.contains(QLatin1Char(' '))) {
        return false;
    }
    return CDodMsgBox::IsUrl(QStringLiteral("http://") + t) && t.indexOf('.', 4) > 4;
}

QRadioButton* SiteSearchDialog::Choice(int index) const {
    return choices_.value(index);
}

int SiteSearchDialog::CheckedChoice() const {
    return group_->checkedId();
}

QString SiteSearchDialog::ChosenUrl() const {
    const int id = group_->checkedId();
    if (id >= 0 && id < sites_.size()) {
        return sites_[id].url;
    }
    // Only a web address is opened, whatever the user typed.
    const QString custom = custom_->text().trimmed();
    return IsCustomUrl(custom) ? custom : QString();
}

void SiteSearchDialog::CustomEdited(const QString& text) {
    QRadioButton* customChoice = choices_.back();
    if (IsCustomUrl(text)) {
        customChoice->setChecked(true);
    } else if (customChoice->isChecked()) {
        choices_[previousChoice_]->setChecked(true);
    }
}

void SiteSearchDialog::SaveCustomUrl() {
    if (settings_ != nullptr) {
        settings_->WriteString(kSection, customKey_, custom_->text().trimmed());
    }
}
