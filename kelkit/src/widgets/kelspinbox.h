#pragma once

#include "widgets/kelabstractspinbox.h"

#include <QSpinBox>

// The framework's integer spin box: the hooks of its base as signals.
// GUI thread only.
class KelSpinBox : public KelAbstractSpinBox<QSpinBox>
{
    Q_OBJECT

public:
    explicit KelSpinBox(int styleId = -1, QWidget *parent = nullptr);
    ~KelSpinBox() override;

    // Emits nothing.
    void setValueSilently(int value);

    void applyStyle() override;

signals:
    void enterPressed();
    void escPressed();
    void prevWidgetRequested();
    void nextWidgetRequested();
    void buttonPressed();
    void buttonReleased();
    void focused(Qt::FocusReason reason);
    void focusLost();
    void intValueChanged(int value);

protected:
    void onEnterPressed() override;
    void onEscPressed() override;
    void onPrevWidgetRequested() override;
    void onNextWidgetRequested() override;
    void onButtonPressed() override;
    void onButtonReleased() override;
    void onFocused(Qt::FocusReason reason) override;
    void onFocusLost() override;
};
