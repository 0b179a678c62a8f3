#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

#include "widgets/MColorLevels.h"

class QCheckBox;
class QFrame;
class QSlider;
class QSpinBox;
class CColorPickerField;

// The "Color Picker" dialog: the colour as red, green and blue levels and as hue, saturation and
// brightness, each with a slider and a number field, a hue and saturation field, a brightness
// strip, a swatch and, when asked for, "Use transparent".
class CColorPicker : public QDialog {
    Q_OBJECT

public:
    // Shows the dialog for color (0x00BBGGRR) at bits levels (12 for CD+G). Returns 1 when the
    // user pressed OK (color and *transparent are then updated), 0 for Cancel. transparent may
    // be null: the check box is then not shown.
    static int PickColour(QWidget* owner, uint32_t& color, int bits, bool* transparent);

    CColorPicker(uint32_t color, int bits, const bool* transparent, QWidget* parent = nullptr);

    const MColorLevels& Levels() const { return levels_; }
    uint32_t ColorValue() const { return levels_.ColorValue(); }
    bool Transparent() const;

    enum Channel { kRed, kGreen, kBlue, kHue, kSat, kBright, kChannelCount };
    QSlider* Slider(Channel c) const { return sliders_[c]; }
    QSpinBox* Field(Channel c) const { return fields_[c]; }
    CColorPickerField* HueSaturationField() const { return hueSat_; }
    CColorPickerField* BrightnessStrip() const { return strip_; }

private:
    void ChannelChanged(Channel c, int value);
    void ShowLevels();

    MColorLevels levels_;
    std::array<QSlider*, kChannelCount> sliders_{};
    std::array<QSpinBox*, kChannelCount> fields_{};
    CColorPickerField* hueSat_ = nullptr;
    CColorPickerField* strip_ = nullptr;
    QFrame* swatch_ = nullptr;
    QCheckBox* transparent_ = nullptr;
    bool writing_ = false;
};
