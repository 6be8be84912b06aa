#pragma once

#include <QColor>
#include <QWidget>

#include <memory>

// A row of colour circles: white, black and two extra colours that the
// caller may hide (their places stay). Checking one, by the user or by
// setColor(), emits colorChanged(); colours are matched opaque.
// GUI thread only.
class ColorSelector : public QWidget
{
    Q_OBJECT

public:
    explicit ColorSelector(QWidget *parent = nullptr);
    ~ColorSelector() override;

    // Invalid while no circle is checked.
    QColor color() const;
    void setColor(const QColor &color);
    void setColorSilently(const QColor &color);
    void setExtraColorsVisible(bool visible);

signals:
    void colorChanged(QColor value);

private:
    class Private;
    std::unique_ptr<Private> d;
};
