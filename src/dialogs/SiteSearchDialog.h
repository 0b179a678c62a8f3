#pragma once

#include <QDialog>
#include <QList>

class MDialogSettings;
class QButtonGroup;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

// What Find Music and Find Lyrics share: a prompt over radio choices of websites, the last one a
// custom address typed beside it (chosen as soon as the text is a web address, and the previous
// choice again when it stops being one), "Search" that opens the chosen site's home page in the
// browser, "Local File...", and "Close". The custom address is kept in the settings store.
class SiteSearchDialog : public QDialog {
    Q_OBJECT

public:
    struct Site {
        QString caption;
        QString url;
    };

    QRadioButton* Choice(int index) const;
    int ChoiceCount() const { return static_cast<int>(choices_.size()); }
    int CheckedChoice() const;
    QLineEdit* CustomField() const { return custom_; }
    QPushButton* SearchButton() const { return search_; }
    QPushButton* LocalFileButton() const { return localFile_; }
    QPushButton* CloseButton() const { return close_; }
    // The address "Search" opens now (empty for a custom text that is not a web address).
    QString ChosenUrl() const;

    // A web address for the custom field: a full address, or one that begins with "www.".
    static bool IsCustomUrl(const QString& text);

protected:
    SiteSearchDialog(const QString& title, const QString& prompt, const QList<Site>& sites,
                     MDialogSettings* settings, const QString& customKey, QWidget* parent);

    // "Local File...".
    virtual void LocalFile() = 0;
    // Stores the custom address.
    void SaveCustomUrl();
    QVBoxLayout* Layout() const { return layout_; }

private:
    void CustomEdited(const QString& text);

    QList<Site> sites_;
    MDialogSettings* settings_;
    QString customKey_;
    QList<QRadioButton*> choices_;
    QButtonGroup* group_ = nullptr;
    QLineEdit* custom_ = nullptr;
    QPushButton* search_ = nullptr;
    QPushButton* localFile_ = nullptr;
    QPushButton* close_ = nullptr;
    QVBoxLayout* layout_ = nullptr;
    int previousChoice_ = 0;
};
