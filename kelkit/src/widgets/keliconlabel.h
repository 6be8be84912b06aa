#pragma once

#include "painting/kelbuttonpainter.h"
#include "styles/kelstyleable.h"
#include "widgets/kelwidget.h"

#include <memory>

class KelWidgetStateAnimator;

// A passive label laid out and painted like a button (icon, main and
// second text) without any button behaviour: it takes no clicks, and its
// colours follow only hover and the enabled state. GUI thread only.
class KelIconLabel : public KelWidget, public KelButtonPainter, public KelStyleable
{
    Q_OBJECT

public:
    KelIconLabel(int styleId, const QString &iconPath, QWidget *parent = nullptr,
                 bool noStyle = false);
    KelIconLabel(int styleId, QWidget *parent, bool noStyle = false);
    // Style id WT_IconLabel.
    explicit KelIconLabel(QWidget *parent = nullptr);
    ~KelIconLabel() override;

    // The painter's meaning of these names, not the widget's.
    using KelButtonPainter::contentsMargins;
    using KelButtonPainter::font;
    using KelButtonPainter::setContentsMargins;
    using KelButtonPainter::setFont;
    using QWidget::repaint;

    void applyStyle() override;

    KelWidgetStateAnimator *stateAnimator() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    virtual void paint(KelPaintContext &ctx);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

    void onGeometryChanged() override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};
