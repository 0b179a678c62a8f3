// The viewer window: painting the renderer's screen, keys to the parent, the message hook.

#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <atomic>
#include <memory>
#include <vector>

#include "cdg/CdgColour.h"
#include "cdg/CdgPacket.h"
#include "cdg/MRwGenerator.h"
#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"
#include "cdg/MRwScreenImage.h"
#include "widgets/MRwViewerWindow.h"

namespace {

class KeyCatcher : public QWidget {
public:
    QStringList texts;

protected:
    void keyPressEvent(QKeyEvent* e) override { texts << e->text(); }
};

void FillScreen(MRwRenderer& r) {
    std::array<MRgb, 16> colours{};
    for (int i = 0; i < 16; ++i) {
        colours[static_cast<size_t>(i)] = CdgColour::Make(i * 16, 255 - i * 16, i * 7);
    }
    r.LoadColors(0, 16, colours.data());
    r.SetBorderColor(3);
    uint8_t rows[12];
    for (int y = 0; y < 12; ++y) {
        rows[y] = static_cast<uint8_t>(0x2A >> (y % 2));
    }
    for (int row = 0; row < 18; ++row) {
        for (int col = 0; col < 50; ++col) {
            r.DrawTile(row, col, (row + col) % 16, (row * 5 + col) % 16, rows);
        }
    }
}

QImage Grab(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class MRwViewerWindowTest : public QObject {
    Q_OBJECT

private slots:
    void blackWithoutRenderer() {
        QWidget parent;
        MRwViewerWindow view;
        view.Create(&parent, QString(), true, 0, 0, 300, 216);
        parent.show();
        const QImage img = Grab(view);
        QCOMPARE(img.pixel(10, 10), qRgb(0, 0, 0));
        QCOMPARE(img.pixel(299, 215), qRgb(0, 0, 0));
    }

    void paintsTheScaledScreenWithBorders() {
        MRwRenderer renderer;
        FillScreen(renderer);
        QWidget parent;
        MRwViewerWindow view;
        view.Create(&parent, QString(), true, 0, 0, 600, 432);
        renderer.AttachWindow(&view);
        QCOMPARE(view.Renderer(), &renderer);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QCOMPARE(Grab(view), MRwScreenImage::View(renderer, 600, 432));
        const QRgb border = CdgColour::ToArgb(renderer.Color(3));
        const QImage img = Grab(view);
        QCOMPARE(img.pixel(11, 200), border);
        QCOMPARE(img.pixel(200, 23), border);
        QCOMPARE(img.pixel(588, 200), border);
        QCOMPARE(img.pixel(200, 408), border);
        QVERIFY(img.pixel(12, 24) != border || img.pixel(13, 25) != border);

        // A size change repaints at the new size.
        view.resize(451, 333);
        QCOMPARE(Grab(view), MRwScreenImage::View(renderer, 451, 333));
        renderer.DetachAllWindows();
        QCOMPARE(view.Renderer(), nullptr);
        QCOMPARE(Grab(view).pixel(100, 100), qRgb(0, 0, 0));
    }

    void oneRendererFeedsSeveralWindows() {
        auto renderer = std::make_unique<MRwRenderer>();
        QWidget parent;
        MRwViewerWindow a;
        auto b = std::make_unique<MRwViewerWindow>();
        a.Create(&parent, QString(), true, 0, 0, 300, 216);
        b->Create(&parent, QString(), true, 300, 0, 150, 108);
        renderer->AttachWindow(&a);
        renderer->AttachWindow(b.get());
        parent.show();
        FillScreen(*renderer);
        QCOMPARE(Grab(a), MRwScreenImage::View(*renderer, 300, 216));
        QCOMPARE(Grab(*b), MRwScreenImage::View(*renderer, 150, 108));
        b.reset();  // a window that goes away first detaches itself
        renderer->ClearScreen(5);
        QCOMPARE(Grab(a), MRwScreenImage::View(*renderer, 300, 216));
        renderer.reset();  // a renderer that goes away first leaves its windows black
        QCOMPARE(a.Renderer(), nullptr);
        QCOMPARE(Grab(a).pixel(150, 100), qRgb(0, 0, 0));
    }

    void charactersGoToTheParentAsKeyPresses() {
        KeyCatcher parent;
        MRwViewerWindow view;
        view.Create(&parent, QString(), true, 0, 0, 300, 216);
        parent.show();
        QTest::keyClick(&view, Qt::Key_Space, Qt::NoModifier);
        QTest::keyClick(&view, Qt::Key_A, Qt::NoModifier);
        QCoreApplication::processEvents();
        QCOMPARE(parent.texts, (QStringList{QStringLiteral(" "), QStringLiteral("a")}));
    }

    void everyEventReachesTheHook() {
        QWidget parent;
        MRwViewerWindow view;
        view.Create(&parent, QString(), true, 0, 0, 300, 216);
        int marker = 0;
        std::vector<QEvent::Type> seen;
        view.SetMessageHook(
            [&](MRwViewerWindow* w, QEvent* e, void* user) {
                QCOMPARE(w, &view);
                QCOMPARE(user, static_cast<void*>(&marker));
                seen.push_back(e->type());
            },
            &marker);
        parent.show();
        QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
        QTest::mouseDClick(&view, Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
        QVERIFY(std::find(seen.begin(), seen.end(), QEvent::MouseButtonDblClick) != seen.end());
        QVERIFY(std::find(seen.begin(), seen.end(), QEvent::MouseButtonPress) != seen.end());
    }

    void followsADecodingThread() {
        MRwRenderer renderer;
        QWidget parent;
        MRwViewerWindow view;
        view.Create(&parent, QString(), true, 0, 0, 300, 216);
        renderer.AttachWindow(&view);
        parent.show();
        std::vector<uint8_t> stream(24 * 3000, 0);
        MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
        std::array<MRgb, 16> colours{};
        colours[4] = CdgColour::Make(250, 10, 10);
        colours[9] = CdgColour::Make(10, 250, 10);
        gen.WriteColorTable(colours, 0);
        gen.WriteMemoryPreset(4, 48);
        for (int i = 0; i < 2000; ++i) {
            gen.WriteSolidTile(1 + i % 48, 1 + (i / 48) % 16, (i / 768) % 2 ? 4 : 9, 24 * (20 + i));
        }
        std::atomic<uint32_t> position{0};
        MRwPlayer player(&renderer);
        player.SetStream(stream.data(), static_cast<uint32_t>(stream.size()));
        player.SetPositionSource([&] { return position.load(); });
        player.Start(true);
        for (int step = 1; step <= 30; ++step) {
            position = static_cast<uint32_t>(step * 147 * 100);
            QTest::qWait(5);
        }
        QTRY_VERIFY(player.LastDecodedPosition() == 30u * 147 * 100);
        player.Stop();
        QCoreApplication::processEvents();
        QCOMPARE(Grab(view), MRwScreenImage::View(renderer, 300, 216));
    }
};

QTEST_MAIN(MRwViewerWindowTest)
#include "MRwViewerWindowTest.moc"
