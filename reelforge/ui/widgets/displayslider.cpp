#include "ui/widgets/displayslider.h"

#include "widgets/kelslider.h"
#include "widgets/kelspinbox.h"

#include <QHBoxLayout>

#include <cmath>

namespace {

constexpr double PercentStep = 0.01;

int percentToInt(double value)
{
    // The epsilon keeps decimal halves such as 0.145 from rounding down.
    return int(std::floor(value * 100.0 + 0.5 + 1e-9));
}

} // namespace

class DisplaySlider::Private
{
public:
    KelSlider *slider = nullptr;
    KelSpinBox *spinBox = nullptr;
};

DisplaySlider::DisplaySlider(int minimum, int maximum, int sliderStyleId, int spinBoxStyleId,
                             QWidget *parent)
    : QWidget(parent), d(std::make_unique<Private>())
{
    d->slider = new KelSlider(sliderStyleId, Qt::Horizontal, this);
    d->spinBox = new KelSpinBox(spinBoxStyleId, this);
    d->slider->setRange(minimum, maximum);
    d->spinBox->setRange(minimum, maximum);
    d->spinBox->setValueSilently(d->slider->value());

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(d->slider, 10);
    layout->addWidget(d->spinBox, 1);

    connect(d->slider, &QAbstractSlider::valueChanged, this, [this](int value) {
        d->spinBox->setValueSilently(value);
        emit intValueChanged(value);
        emit percentValueChanged(value * PercentStep);
    });
    connect(d->spinBox, QOverload<int>::of(&QSpinBox::valueChanged), this,
            [this](int value) { d->slider->setValue(value); });
}

DisplaySlider::~DisplaySlider() = default;

int DisplaySlider::intValue() const
{
    return d->slider->value();
}

double DisplaySlider::percentValue() const
{
    return d->slider->value() * PercentStep;
}

void DisplaySlider::setPercentValue(double value)
{
    d->slider->setValue(percentToInt(value));
}

void DisplaySlider::setPercentValueSilently(double value)
{
    setIntValueSilently(percentToInt(value));
}

void DisplaySlider::setIntValueSilently(int value)
{
    d->slider->setValueSilently(value);
    // The slider may have bounded the value.
    d->spinBox->setValueSilently(d->slider->value());
}

void DisplaySlider::setSuffix(const QString &suffix)
{
    d->spinBox->setSuffix(suffix);
}

KelSlider *DisplaySlider::slider() const
{
    return d->slider;
}

KelSpinBox *DisplaySlider::spinBox() const
{
    return d->spinBox;
}

#include "moc_displayslider.cpp"
