#include "widgets/CColorPicker.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include "widgets/CColorPickerField.h"

int CColorPicker::PickColour(QWidget* owner, uint32_t& color, int bits, bool* transparent) {
    CColorPicker dialog(color, bits, transparent, owner);
    if (dialog.exec() != QDialog::Accepted) {
        return 0;
    }
    color = dialog.ColorValue();
    if (transparent != nullptr) {
        *transparent = dialog.Transparent();
    }
    return 1;
}

CColorPicker::CColorPicker(uint32_t color, int bits, const bool* transparent, QWidget* parent)
    : QDialog(parent), levels_(bits) {
    setWindowTitle(tr("Color Picker"));
    levels_.SetColorValue(color);

    const int n = levels_.MaxLevel();
    struct Row {
        QString caption;
        int max;
        QString unit;
    };
    const Row rows[kChannelCount] = {{tr("&Red:"), n, QString()},
                                     {tr("&Green:"), n, QString()},
                                     {tr("&Blue:"), n, QString()},
                                     {tr("&Hue:"), 360, QStringLiteral("°")},
                                     {tr("&Sat:"), 100, QStringLiteral("%")},
                                     {tr("&Bright:"), 100, QStringLiteral("%")}};

    auto* grid = new QGridLayout;
    for (int i = 0; i < kChannelCount; ++i) {
        const Channel c = static_cast<Channel>(i);
        auto* label = new QLabel(rows[i].caption, this);
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setRange(0, rows[i].max);
        auto* field = new QSpinBox(this);
        field->setRange(0, rows[i].max);
        field->setButtonSymbols(QAbstractSpinBox::NoButtons);
        label->setBuddy(slider);
        QString name = rows[i].caption;
        name.remove(QLatin1Char('&'));
        name.chop(1);  // the colon
        slider->setAccessibleName(name);
        field->setAccessibleName(tr("%1 value").arg(name));
        grid->addWidget(label, i, 0);
        grid->addWidget(slider, i, 1);
        grid->addWidget(field, i, 2);
        if (!rows[i].unit.isEmpty()) {
            grid->addWidget(new QLabel(rows[i].unit, this), i, 3);
        }
        sliders_[i] = slider;
        fields_[i] = field;
        connect(slider, &QSlider::valueChanged, this, [this, c](int v) { ChannelChanged(c, v); });
        connect(field, qOverload<int>(&QSpinBox::valueChanged), this,
                [this, c](int v) { ChannelChanged(c, v); });
    }

    hueSat_ = new CColorPickerField(CColorPickerField::Kind::HueSaturation, this);
    strip_ = new CColorPickerField(CColorPickerField::Kind::Brightness, this);
    hueSat_->SetOnChanged([this](int hue, int sat) {
        levels_.SetHsb(hue, sat, levels_.Brightness());
        ShowLevels();
    });
    strip_->SetOnChanged([this](int bright, int) {
        levels_.SetHsb(levels_.Hue(), levels_.Saturation(), bright);
        ShowLevels();
    });
    swatch_ = new QFrame(this);
    swatch_->setFrameShape(QFrame::Box);
    swatch_->setMinimumSize(48, 48);
    swatch_->setAutoFillBackground(true);
    swatch_->setAccessibleName(tr("Current colour"));

    auto* pictures = new QHBoxLayout;
    pictures->addWidget(hueSat_, 1);
    pictures->addWidget(strip_);
    pictures->addWidget(swatch_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pictures);
    layout->addLayout(grid);
    if (transparent != nullptr) {
        transparent_ = new QCheckBox(tr("Use &transparent"), this);
        transparent_->setAccessibleName(tr("Use transparent"));
        transparent_->setChecked(*transparent);
        layout->addWidget(transparent_);
    }
    layout->addWidget(buttons);
    ShowLevels();
}

bool CColorPicker::Transparent() const {
    return transparent_ != nullptr && transparent_->isChecked();
}

void CColorPicker::ChannelChanged(Channel c, int value) {
    if (writing_) {
        return;
    }
    const MColorLevels& l = levels_;
    switch (c) {
        case kRed:
            levels_.SetRgb(value, l.Green(), l.Blue());
            break;
        case kGreen:
            levels_.SetRgb(l.Red(), value, l.Blue());
            break;
        case kBlue:
            levels_.SetRgb(l.Red(), l.Green(), value);
            break;
        case kHue:
            levels_.SetHsb(value, l.Saturation(), l.Brightness());
            break;
        case kSat:
            levels_.SetHsb(l.Hue(), value, l.Brightness());
            break;
        default:
            levels_.SetHsb(l.Hue(), l.Saturation(), value);
            break;
    }
    ShowLevels();
}

void CColorPicker::ShowLevels() {
    writing_ = true;
    const int values[kChannelCount] = {levels_.Red(), levels_.Green(),      levels_.Blue(),
                                       levels_.Hue(), levels_.Saturation(), levels_.Brightness()};
    for (int i = 0; i < kChannelCount; ++i) {
        sliders_[i]->setValue(values[i]);
        fields_[i]->setValue(values[i]);
    }
    writing_ = false;
    hueSat_->SetValues(levels_.Hue(), levels_.Saturation(), levels_.Brightness());
    strip_->SetValues(levels_.Hue(), levels_.Saturation(), levels_.Brightness());
    const uint32_t v = levels_.ColorValue();
    QPalette p = swatch_->palette();
    p.setColor(QPalette::Window, QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF));
    swatch_->setPalette(p);
}
