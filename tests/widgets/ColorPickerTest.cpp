// The colour picker: level arithmetic, HSB round trips and the dialog's OK path.

#include <QApplication>
#include <QCheckBox>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "widgets/CColorPicker.h"
#include "widgets/CColorPickerField.h"
#include "widgets/MColorLevels.h"

class ColorPickerTest : public QObject {
    Q_OBJECT

private slots:
    void LevelsOfIncomingColours() {
        MColorLevels levels(12);
        QCOMPARE(levels.MaxLevel(), 15);
        levels.SetColorValue(0x808080);
        QCOMPARE(levels.Red(), 7);
        QCOMPARE(levels.Green(), 7);
        QCOMPARE(levels.Blue(), 7);
        QCOMPARE(levels.ColorValue(), 0x777777u);
        QCOMPARE(levels.Brightness(), 46);  // 7 / 15 truncated
        levels.SetColorValue(0xFFFFFF);
        QCOMPARE(levels.ColorValue(), 0xFFFFFFu);
        QCOMPARE(levels.Saturation(), 0);
        QCOMPARE(levels.Brightness(), 100);
        // Channels stay apart: 0x00BBGGRR.
        levels.SetColorValue(0x0000FF);
        QCOMPARE(levels.Red(), 15);
        QCOMPARE(levels.Blue(), 0);
        QCOMPARE(levels.Hue(), 0);
        levels.SetColorValue(0xFF0000);
        QCOMPARE(levels.Hue(), 240);
    }

    void HsbRoundTrips() {
        MColorLevels levels(12);
        // White through HSB and back.
        levels.SetHsb(0, 0, 100);
        QCOMPARE(levels.ColorValue(), 0xFFFFFFu);
        // Hue 360 stays 360 but converts like 0.
        levels.SetHsb(360, 100, 100);
        QCOMPARE(levels.Hue(), 360);
        QCOMPARE(levels.Red(), 15);
        QCOMPARE(levels.Green(), 0);
        QCOMPARE(levels.Blue(), 0);
        // Each sector: pure secondaries land exactly.
        levels.SetHsb(120, 100, 100);
        QCOMPARE(levels.ColorValue(), 0x00FF00u);
        levels.SetHsb(180, 100, 100);
        QCOMPARE(levels.ColorValue(), 0xFFFF00u);
        levels.SetHsb(300, 100, 100);
        QCOMPARE(levels.ColorValue(), 0xFF00FFu);
        // RGB -> HSB -> RGB for every fully saturated level of red.
        for (int r = 1; r <= 15; ++r) {
            levels.SetRgb(r, 0, 0);
            const int h = levels.Hue(), s = levels.Saturation(), b = levels.Brightness();
            levels.SetHsb(h, s, b);
            QVERIFY2(levels.Red() == r || levels.Red() == r - 1, qPrintable(QString::number(r)));
        }
        // Out-of-range input is clamped.
        levels.SetRgb(99, -3, 7);
        QCOMPARE(levels.Red(), 15);
        QCOMPARE(levels.Green(), 0);
    }

    void FieldGeometry() {
        QCOMPARE(CColorPickerField::HueAt(0, 180), 0);
        QCOMPARE(CColorPickerField::HueAt(180, 180), 360);
        QCOMPARE(CColorPickerField::HueAt(400, 180), 360);
        QCOMPARE(CColorPickerField::LevelAt(0, 150), 100);
        QCOMPARE(CColorPickerField::LevelAt(150, 150), 0);
        QCOMPARE(CColorPickerField::LevelAt(-5, 150), 100);
    }

    void DialogShowsLevelsAndReturnsOnOk() {
        uint32_t colour = 0x808080;
        bool transparent = false;
        QTimer::singleShot(0, [] {
            auto* picker = qobject_cast<CColorPicker*>(QApplication::activeModalWidget());
            QVERIFY(picker != nullptr);
            QCOMPARE(picker->Slider(CColorPicker::kRed)->value(), 7);
            QCOMPARE(picker->Field(CColorPicker::kBlue)->value(), 7);
            // Typing a hue recomputes the channels and moves the sliders.
            picker->Field(CColorPicker::kSat)->setValue(100);
            picker->Field(CColorPicker::kHue)->setValue(120);
            QCOMPARE(picker->Slider(CColorPicker::kGreen)->value(), 6);
            QCOMPARE(picker->Slider(CColorPicker::kRed)->value(), 0);
            // Dragging at the field's right edge gives hue 360.
            CColorPickerField* field = picker->HueSaturationField();
            QTest::mousePress(field, Qt::LeftButton, {}, QPoint(field->width(), 0));
            QTest::mouseRelease(field, Qt::LeftButton, {}, QPoint(field->width(), 0));
            QCOMPARE(picker->Slider(CColorPicker::kHue)->value(), 360);
            picker->findChild<QCheckBox*>()->setChecked(true);
            picker->accept();
        });
        QCOMPARE(CColorPicker::PickColour(nullptr, colour, 12, &transparent), 1);
        QCOMPARE(colour, 0x000066u);  // 6 x 17 red at hue 360, brightness 46
        QVERIFY(transparent);

        QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
        colour = 0x123456;
        QCOMPARE(CColorPicker::PickColour(nullptr, colour, 12, nullptr), 0);
        QCOMPARE(colour, 0x123456u);
    }
};

QTEST_MAIN(ColorPickerTest)
#include "ColorPickerTest.moc"
