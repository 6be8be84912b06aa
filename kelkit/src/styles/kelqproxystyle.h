#pragma once

#include <QProxyStyle>

// The application's Qt style: answers a few metrics and hints from the
// current framework style and hands everything else to the wrapped style.
class KelQProxyStyle : public QProxyStyle
{
    Q_OBJECT

public:
    // Takes ownership of base.
    explicit KelQProxyStyle(QStyle *base = nullptr);

    // Framework-painted widgets draw their own focus and panel.
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption *option = nullptr,
                  const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;
};
