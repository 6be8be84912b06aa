#pragma once

#include "painting/kelframepainter.h"

#include <QPointer>

#include <memory>

class KelSpinBoxArrowPainter;
class QStyle;
class QStyleOptionSpinBox;

// The frame and the two arrows of a spin box. On a QAbstractSpinBox owner it
// turns the native frame off and installs a style that places the edit
// field and the arrows inside the frame by the painters' sizes.
// GUI thread only.
class KelSpinBoxPainter : public KelFramePainter
{
public:
    explicit KelSpinBoxPainter(QWidget *owner);
    ~KelSpinBoxPainter() override;

    KelSpinBoxArrowPainter *upArrowPainter() const;
    KelSpinBoxArrowPainter *downArrowPainter() const;

    // Paints the arrows the option asks for.
    void drawSpinBox(KelPaintContext &ctx, const QStyleOptionSpinBox *option);

private:
    std::unique_ptr<KelSpinBoxArrowPainter> m_upArrowPainter;
    std::unique_ptr<KelSpinBoxArrowPainter> m_downArrowPainter;
    QPointer<QStyle> m_style;
    bool m_arrowFailureReported = false;
};
