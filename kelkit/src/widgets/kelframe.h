#pragma once

#include "painting/kelframepainter.h"
#include "styles/kelstyleable.h"
#include "widgets/kelwidget.h"

#include <memory>

class KelWidgetStateAnimator;

// The plain framed container: paints nothing but its frame, which takes
// its look from the style's frame recipes. GUI thread only.
class KelFrame : public KelWidget, public KelFramePainter, public KelStyleable
{
    Q_OBJECT

public:
    KelFrame(int styleId, QWidget *parent = nullptr, bool noStyle = false);
    explicit KelFrame(QWidget *parent = nullptr, bool noStyle = false);
    ~KelFrame() override;

    // The widget's meaning of these names; the frame's are reached through
    // KelFramePainter.
    using QWidget::contentsMargins;
    using QWidget::minimumSizeHint;
    using QWidget::repaint;
    using QWidget::setContentsMargins;
    using QWidget::sizeHint;

    void applyStyle() override;

    KelWidgetStateAnimator *stateAnimator() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};
