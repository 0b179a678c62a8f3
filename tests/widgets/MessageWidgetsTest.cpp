// The message box's links and width, the balloon's anchor points and close options, and the
// colour buttons' captions.

#include <QApplication>
#include <QCheckBox>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

#include "widgets/CBalloonHelp.h"
#include "widgets/CColorButton.h"
#include "widgets/CColorRadio.h"
#include "widgets/CDodMsgBox.h"

class MessageWidgetsTest : public QObject {
    Q_OBJECT

private slots:
    void LinksAreLongValidAddresses() {
        QVERIFY(!CDodMsgBox::IsUrl(QStringLiteral("http://")));  // 7 characters
        QVERIFY(!CDodMsgBox::IsUrl(QStringLiteral("a.b/c/d")));  // 7 characters
        QVERIFY(!CDodMsgBox::IsUrl(QStringLiteral("ftp://x")));  // 7 characters
        QVERIFY(CDodMsgBox::IsUrl(QStringLiteral("http://ab")));
        QVERIFY(CDodMsgBox::IsUrl(QStringLiteral("https://example.org/help?a=1")));
        QVERIFY(!CDodMsgBox::IsUrl(QStringLiteral("\"libmp3lame.so.0\"")));
        QVERIFY(!CDodMsgBox::IsUrl(QStringLiteral("sometimes:long-words")));
        QVERIFY(!CDodMsgBox::IsUrl(QStringLiteral("file:///usr/bin/xterm")));

        const QString text =
            QStringLiteral("See https://example.org/get\nand\thttp://ab.cd/x or www.x.org now.");
        const auto links = CDodMsgBox::FindLinks(text);
        QCOMPARE(links.size(), size_t(2));
        QCOMPARE(text.mid(links[0].first, links[0].last - links[0].first + 1),
                 QStringLiteral("https://example.org/get"));
        QCOMPARE(text.mid(links[1].first, links[1].last - links[1].first + 1),
                 QStringLiteral("http://ab.cd/x"));
    }

    void BoxMarksLinksAndReturnsButtonAndCheckBox() {
        CDodMsgBox box;
        box.SetTitle(QStringLiteral("MP3 Encoder Not Found"));
        box.SetText(QStringLiteral("Read this:\nhttps://example.org/lame\nthen press OK."));
        box.AddButton(7, QStringLiteral("&Yes"));
        box.AddButton(8, QStringLiteral("&No"));
        box.SetDefaultButton(8);
        QTimer::singleShot(0, [&box] {
            const QTextBrowser* body = box.Body();
            QVERIFY(body->isReadOnly());
            QCOMPARE(box.Links().size(), size_t(1));
            // The link carries its address; the rest of the text does not.
            QTextCursor cursor(body->document());
            cursor.setPosition(box.Links()[0].first + 1);
            QCOMPARE(cursor.charFormat().anchorHref(), QStringLiteral("https://example.org/lame"));
            QCOMPARE(cursor.charFormat().foreground().color(), QColor(0, 0, 255));
            cursor.setPosition(2);
            QVERIFY(!cursor.charFormat().isAnchor());
            // The body is narrower than half the screen: the width search shrank it.
            QVERIFY(body->width() < box.screen()->availableGeometry().width() / 2);
            QVERIFY(body->width() > 50);
            // The right-button menu: Launch URL only over a link; Select All selects.
            QTextBrowser* browser = box.Body();
            auto menuOver = [browser](int position) {
                QTextCursor at(browser->document());
                at.setPosition(position);
                QStringList texts;
                QTimer::singleShot(0, [&texts] {
                    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                    QVERIFY(menu != nullptr);
                    for (QAction* a : menu->actions()) {
                        texts << a->text();
                    }
                    menu->actions().first()->trigger();
                    menu->close();
                });
                emit browser->customContextMenuRequested(browser->cursorRect(at).center());
                return texts;
            };
            QCOMPARE(menuOver(box.Links()[0].first + 2),
                     QStringList({"Select All\tCtrl+A", "Copy\tCtrl+C", "Launch URL"}));
            QCOMPARE(menuOver(1), QStringList({"Select All\tCtrl+A", "Copy\tCtrl+C"}));
            QCOMPARE(browser->textCursor().selectedText().size(),
                     browser->document()->characterCount() - 1);
            box.findChild<QCheckBox*>()->setChecked(true);
            for (QPushButton* b : box.findChildren<QPushButton*>()) {
                // Enter presses the named default, not the first button.
                QCOMPARE(b->isDefault(), b->accessibleName() == QStringLiteral("No"));
                if (b->accessibleName() == QStringLiteral("No")) {
                    b->click();
                }
            }
        });
        QCOMPARE(
            box.DoModal(QStringLiteral("&Don't show me this again."), QMessageBox::Information), 8);
        QVERIFY(box.IsChecked());
    }

    void WidthSearchKeepsHeight() {
        QTextDocument document;
        document.setPlainText(QStringLiteral("one two three four five six seven eight nine ten"));
        const int screen = 1600;
        document.setTextWidth(screen / 2);
        const qreal wanted = document.size().height();
        const int width = CDodMsgBox::FindTextWidth(document, screen);
        QCOMPARE(document.size().height(), wanted);
        document.setTextWidth(width - 1);
        QVERIFY(document.size().height() > wanted);
    }

    void BalloonAnchorPoints() {
        const QRect r(100, 200, 40, 20);  // right edge 140, bottom 220
        const QPoint expected[] = {{120, 200}, {100, 200}, {140, 200}, {120, 210}, {100, 210},
                                   {140, 210}, {120, 220}, {100, 220}, {140, 220}};
        for (int code = 0; code < 9; ++code) {
            QCOMPARE(CBalloonHelp::AnchorPoint(r, code), expected[code]);
        }

        // No anchor and no main window: the desktop.
        const QRect desktop = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(CBalloonHelp::AnchorRect(nullptr), desktop);
        QPointer<CBalloonHelp> onDesktop =
            CBalloonHelp::Launch(QStringLiteral("T"), QStringLiteral("text"), nullptr,
                                 CBalloonHelp::kCenter, QIcon(), 0);
        QCOMPARE(onDesktop->TipPosition(),
                 CBalloonHelp::AnchorPoint(desktop, CBalloonHelp::kCenter));
        onDesktop->close();

        // The point sits on the anchor, above and below, near any screen edge.
        QMainWindow window;
        window.setGeometry(desktop);
        auto* top = new QPushButton(QStringLiteral("BIN"), &window);
        top->setGeometry(desktop.width() - 60, 0, 50, 20);
        auto* bottom = new QPushButton(QStringLiteral("List"), &window);
        bottom->setGeometry(10, desktop.height() - 30, 50, 20);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (QWidget* anchor : {static_cast<QWidget*>(top), static_cast<QWidget*>(bottom)}) {
            for (int code : {0, 3, 8}) {
                QPointer<CBalloonHelp> b = CBalloonHelp::Launch(
                    QStringLiteral("BIN not allowed"), QStringLiteral("A longer text\nline two"),
                    anchor, code, QIcon(), 0x808, QString(), 5000);
                QCOMPARE(b->TipPosition(),
                         CBalloonHelp::AnchorPoint(CBalloonHelp::AnchorRect(anchor), code));
                QVERIFY(b->CloseButton() != nullptr);
                b->close();
                QTRY_VERIFY(b.isNull());
            }
        }
        // Without an anchor the main window is used.
        QCOMPARE(CBalloonHelp::AnchorRect(nullptr), CBalloonHelp::AnchorRect(&window));

        // 0x8: a left button press anywhere closes it; a right press does not.
        QPointer<CBalloonHelp> b = CBalloonHelp::Launch(
            QStringLiteral("Ratio"), QStringLiteral("x"), top, 0, QIcon(), 0x808);
        QTest::mouseClick(bottom, Qt::RightButton);
        QTest::qWait(20);
        QVERIFY(!b.isNull());
        QTest::mouseClick(bottom, Qt::LeftButton);
        QTRY_VERIFY(b.isNull());
        // The timeout closes it.
        b = CBalloonHelp::Launch(QStringLiteral("Ratio"), QStringLiteral("x"), top, 0, QIcon(), 0,
                                 QString(), 50);
        QTRY_VERIFY(b.isNull());
    }

    void ColourButtonCaptionsAndColours() {
        CColorButton arrow(QStringLiteral("ç"));
        arrow.SetButtonFont(QStringLiteral("WINGDINGS"), CColorButton::kKeepSize);
        QCOMPARE(arrow.text(), QStringLiteral("←"));
        QCOMPARE(arrow.accessibleName(), QStringLiteral("Previous page"));
        CColorButton next(QStringLiteral("è"));
        next.SetButtonFont(QStringLiteral("Wingdings"));
        QCOMPARE(next.accessibleName(), QStringLiteral("Next page"));
        CColorButton mode(QStringLiteral("E&dit Lyrics"));
        QCOMPARE(mode.accessibleName(), QStringLiteral("Edit Lyrics"));
        mode.SetColors(0x000000, 0x00FF00);
        QCOMPARE(mode.Color(CColorButton::kFace), QColor(0, 255, 0));
        mode.SetColors(CColorButton::kKeep, 0xFFFF00);  // cyan as 0x00BBGGRR
        QCOMPARE(mode.Color(CColorButton::kFace), QColor(0, 255, 255));
        QCOMPARE(mode.Color(CColorButton::kText), QColor(0, 0, 0));

        QWidget group;
        auto* a = new CColorRadio(QStringLiteral("A"), &group);
        auto* b = new CColorRadio(QStringLiteral("B"), &group);
        a->SetChecked(true);
        b->click();
        QVERIFY(!a->isChecked());
        QVERIFY(b->isChecked());
    }
};

QTEST_MAIN(MessageWidgetsTest)
#include "MessageWidgetsTest.moc"
