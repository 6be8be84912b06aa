#pragma once

#include <QWidget>

#include <memory>

class KelSlider;
class KelSpinBox;

// A horizontal slider joined to a spin box that shows its value. Every
// change of the slider, by the user or by setPercentValue(), emits the
// value and the value as a fraction (value times 0.01); the silent setters
// emit nothing.
//
//     auto *opacity = new DisplaySlider(1, 100, Style::WT_Slider_Position,
//     Style::WT_SpinBox_Compact, dialog); opacity->setSuffix(QStringLiteral("%"));
//     opacity->setPercentValueSilently(pip->opacity());
//
// GUI thread only.
class DisplaySlider : public QWidget
{
    Q_OBJECT

public:
    DisplaySlider(int minimum, int maximum, int sliderStyleId, int spinBoxStyleId,
                  QWidget *parent = nullptr);
    ~DisplaySlider() override;

    int intValue() const;
    double percentValue() const;
    // The slider takes value times 100, rounded half up.
    void setPercentValue(double value);
    void setPercentValueSilently(double value);
    void setIntValueSilently(int value);
    void setSuffix(const QString &suffix);

    KelSlider *slider() const;
    KelSpinBox *spinBox() const;

signals:
    void intValueChanged(int value);
    void percentValueChanged(double value);

private:
    class Private;
    std::unique_ptr<Private> d;
};
