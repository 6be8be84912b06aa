#include "widgets/kelspinbox.h"

#include "styles/kelstyle.h"

#include <QSignalBlocker>

KelSpinBox::KelSpinBox(int styleId, QWidget *parent) : KelAbstractSpinBox(styleId, parent)
{
    connect(this, QOverload<int>::of(&QSpinBox::valueChanged), this, &KelSpinBox::intValueChanged);
    if (hasStyleId())
        applyStyle();
}

KelSpinBox::~KelSpinBox() = default;

void KelSpinBox::setValueSilently(int value)
{
    if (value == this->value())
        return;
    const QSignalBlocker blocker(this);
    setValue(value);
}

void KelSpinBox::applyStyle()
{
    if (hasStyleId())
        kelStyle()->applySpinBoxStyle(this, styleId());
}

void KelSpinBox::onEnterPressed()
{
    emit enterPressed();
}

void KelSpinBox::onEscPressed()
{
    emit escPressed();
}

void KelSpinBox::onPrevWidgetRequested()
{
    emit prevWidgetRequested();
}

void KelSpinBox::onNextWidgetRequested()
{
    emit nextWidgetRequested();
}

void KelSpinBox::onButtonPressed()
{
    emit buttonPressed();
}

void KelSpinBox::onButtonReleased()
{
    emit buttonReleased();
}

void KelSpinBox::onFocused(Qt::FocusReason reason)
{
    emit focused(reason);
}

void KelSpinBox::onFocusLost()
{
    emit focusLost();
}

#include "moc_kelspinbox.cpp"
