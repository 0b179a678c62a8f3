#pragma once

#include <QDialog>
#include <QMessageBox>
#include <vector>

class QCheckBox;
class QTextBrowser;
class QTextDocument;

// A message box whose text may carry web links: the text sits in a read-only rich-text body that
// is as narrow as it can be without growing taller than at half the screen's width; every word
// that is a web address becomes a link that opens in the browser; a right click offers "Select
// All", "Copy" and, over a link, "Launch URL". An optional check box lets the user suppress the
// message in future; the caller stores its state.
class CDodMsgBox : public QDialog {
    Q_OBJECT

public:
    struct BTNDATA {
        int id;
        QString caption;
    };
    // A link's first and last character position in the text.
    struct LINKDATA {
        int first;
        int last;
    };

    // The id of the "OK" button a box without buttons gets.
    static constexpr int kOk = 1;

    explicit CDodMsgBox(QWidget* parent = nullptr);

    void SetText(const QString& text, bool richText = false);
    void SetTitle(const QString& title) { setWindowTitle(title); }
    void AddButton(int id, const QString& caption);
    // The button that Enter presses; the first one unless another is named.
    void SetDefaultButton(int id) { defaultId_ = id; }

    // Shows the box modally; returns the id of the pressed button (-1 when closed otherwise).
    // checkBoxCaption, when not empty, adds the check box; its state is then IsChecked().
    int DoModal(const QString& checkBoxCaption = QString(),
                QMessageBox::Icon icon = QMessageBox::NoIcon);
    bool IsChecked() const { return checked_; }

    const std::vector<LINKDATA>& Links() const { return links_; }
    QTextBrowser* Body() const { return body_; }

    // The words of plain text, split at white space, that become links: longer than 7
    // characters and a valid web address.
    static std::vector<LINKDATA> FindLinks(const QString& text);
    static bool IsUrl(const QString& word);
    // The smallest width, found by halving the interval 0 ... screenWidth, at which the document
    // is no taller than at half the screen's width.
    static int FindTextWidth(QTextDocument& document, int screenWidth);

private:
    void Build(const QString& checkBoxCaption, QMessageBox::Icon icon);
    void ShowContextMenu(const QPoint& position);
    void MarkLinks();

    QString text_;
    bool richText_ = false;
    std::vector<BTNDATA> buttons_;
    std::vector<LINKDATA> links_;
    QTextBrowser* body_ = nullptr;
    QCheckBox* checkBox_ = nullptr;
    bool checked_ = false;
    int pressed_ = -1;
    int defaultId_ = -1;
};
