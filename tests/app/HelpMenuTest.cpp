// The Help menu's ways out of the program: the manual handed to the desktop, and the update
// check the user asks for.
#include <QDesktopServices>
#include <QTextBrowser>

#include "app/AppTestKit.h"
#include "update/CUpgradeCheck.h"
#include "widgets/CDodMsgBox.h"

using namespace AppTestKit;

class HelpMenuTest : public QObject {
    Q_OBJECT

public slots:
    void Open(const QUrl& url) { opened_ << url; }

private slots:
    void manualOpensTheIndexPage() {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open");
        Fixture f;
        QAction* manual = f.window->Action(AppCommand::Manual);
        QCOMPARE(manual->shortcut(), QKeySequence(Qt::Key_F1));
        manual->trigger();
        const QString index = QDir(QStringLiteral(QUILM_DATA_DIR)).canonicalPath() +
                              QStringLiteral("/manual/velt-frame.htm");
        QCOMPARE(opened_, QList<QUrl>{QUrl::fromLocalFile(index)});
        // Every page it links to is there, pictures included.
        QFile page(index);
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        QRegularExpression link(QStringLiteral("href=\"([a-z-]+\\.htm)\""));
        int pages = 0;
        for (auto m = link.globalMatch(html); m.hasNext(); ++pages) {
            QVERIFY(QFileInfo::exists(QFileInfo(index).dir().filePath(m.next().captured(1))));
        }
        QVERIFY(pages >= 8);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    }

    void checkForUpdatesWithoutAServiceSaysSo() {
        Fixture f;  // Start() ran the automatic check: without a service it shows nothing.
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QString shown;
        QPointer<CUpgradeCheck> check;
        OnNextModal([&](QWidget* w) {
            check = f.window->findChild<CUpgradeCheck*>();
            if (auto* box = qobject_cast<CDodMsgBox*>(w)) {
                shown = box->Body()->toPlainText();
                box->reject();
            }
        });
        f.window->Action(AppCommand::CheckUpdates)->trigger();
        QTRY_VERIFY(!shown.isEmpty());
        QVERIFY2(shown.startsWith(QStringLiteral("No update service is configured")),
                 qPrintable(shown));

        // An upgrade that asks the program to end closes the window the usual way: a changed
        // project is not dropped unasked, and Cancel keeps the program running.
        QVERIFY(check);
        f.window->show();
        f.window->Document().SetRawLyrics(QStringLiteral("Words not yet saved"));
        f.window->Document().SetModified(true);
        QString question;
        OnNextModal([&question](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                question = box->windowTitle();
                box->button(QMessageBox::Cancel)->click();
            }
        });
        emit check->shutDownRequested();
        QCOMPARE(question, QStringLiteral("Confirm Closing Project"));
        QVERIFY(f.window->isVisible());
        QVERIFY(f.window->Document().IsModified());
    }

private:
    QList<QUrl> opened_;
};

QTEST_MAIN(HelpMenuTest)
#include "HelpMenuTest.moc"
