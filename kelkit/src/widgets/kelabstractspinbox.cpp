#include "widgets/kelabstractspinbox.h"

#include "animators/kelwidgetstateanimator.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "styles/kelstyle.h"
#include "widgets/kelqmenustyler.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QList>
#include <QMouseEvent>
#include <QSpinBox>
#include <QStyleOptionSpinBox>

namespace {

// Outlines of the widget, the frame, the edit field and the arrows.
void paintDiagnostics(QAbstractSpinBox *spinBox, const QRect &frameRect, KelPaintContext &ctx,
                      const QStyleOptionSpinBox &option)
{
    const QStyle *style = spinBox->style();
    KelPainting::diagPaintRect(&ctx, QRectF(spinBox->rect()), KelPainting::diagRed());
    KelPainting::diagPaintRect(&ctx, QRectF(frameRect), KelPainting::diagMagenta());
    for (QStyle::SubControl control :
         {QStyle::SC_SpinBoxEditField, QStyle::SC_SpinBoxUp, QStyle::SC_SpinBoxDown}) {
        const QRect rect = style->subControlRect(QStyle::CC_SpinBox, &option, control, spinBox);
        KelPainting::diagPaintRect(&ctx, QRectF(rect), KelPainting::diagBlue());
    }
}

} // namespace

template<class SpinBox>
class KelAbstractSpinBox<SpinBox>::Private
{
public:
    KelWidgetStateAnimator *stateAnimator = nullptr;
    bool arrowPressed = false;
};

template<class SpinBox>
KelAbstractSpinBox<SpinBox>::KelAbstractSpinBox(int styleId, QWidget *parent)
    : SpinBox(parent), KelSpinBoxPainter(this), KelStyleable(styleId),
      KelCanClearFocusOnClickOutside(this), d(std::make_unique<Private>())
{
    new KelQMenuStyler(this->lineEdit(), KelStyle::WT_Menu);
    d->stateAnimator = new KelWidgetStateAnimator(2, this);
    d->stateAnimator->setWidget(this);
    QMargins margins = this->lineEdit()->textMargins();
    margins.setLeft(margins.left() - 2);
    this->lineEdit()->setTextMargins(margins);
}

template<class SpinBox>
KelAbstractSpinBox<SpinBox>::~KelAbstractSpinBox() = default;

template<class SpinBox>
bool KelAbstractSpinBox<SpinBox>::event(QEvent *event)
{
    const bool result = SpinBox::event(event);
    if (event->type() == QEvent::FocusIn)
        onFocused(static_cast<QFocusEvent *>(event)->reason());
    else if (event->type() == QEvent::FocusOut)
        onFocusLost();
    return result;
}

template<class SpinBox>
void KelAbstractSpinBox<SpinBox>::keyPressEvent(QKeyEvent *event)
{
    const QLineEdit *edit = this->lineEdit();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        onEnterPressed();
    } else if (event->matches(QKeySequence::Cancel)) {
        onEscPressed();
    } else if (m_prevFieldKeys.contains(event->key()) && edit->cursorPosition() == 0) {
        onPrevWidgetRequested();
    } else if (m_nextFieldKeys.contains(event->key())
               && edit->cursorPosition() == edit->text().length()) {
        onNextWidgetRequested();
    } else {
        QAbstractSpinBox::keyPressEvent(event);
        return;
    }
    event->accept();
}

template<class SpinBox>
void KelAbstractSpinBox<SpinBox>::mousePressEvent(QMouseEvent *event)
{
    const auto steps = this->stepEnabled();
    if (event->button() == Qt::LeftButton && this->buttonSymbols() != QAbstractSpinBox::NoButtons
        && steps != QAbstractSpinBox::StepNone) {
        QStyleOptionSpinBox option;
        this->initStyleOption(&option);
        QStyle *style = this->style();
        const QRect up = style->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp,
                                               this);
        const QRect down = style->subControlRect(QStyle::CC_SpinBox, &option,
                                                 QStyle::SC_SpinBoxDown, this);
        if ((up.contains(event->pos()) && (steps & QAbstractSpinBox::StepUpEnabled))
            || (down.contains(event->pos()) && (steps & QAbstractSpinBox::StepDownEnabled))) {
            d->arrowPressed = true;
            onButtonPressed();
        }
    }
    QAbstractSpinBox::mousePressEvent(event);
}

template<class SpinBox>
void KelAbstractSpinBox<SpinBox>::mouseReleaseEvent(QMouseEvent *event)
{
    QAbstractSpinBox::mouseReleaseEvent(event);
    if (d->arrowPressed) {
        d->arrowPressed = false;
        onButtonReleased();
    }
}

template<class SpinBox>
void KelAbstractSpinBox<SpinBox>::resizeEvent(QResizeEvent *event)
{
    setFrameSize(this->size());
    QAbstractSpinBox::resizeEvent(event);
}

template<class SpinBox>
void KelAbstractSpinBox<SpinBox>::paintEvent(QPaintEvent *)
{
    KelPaintContext ctx(this);
    paintFrame(ctx, d->stateAnimator);
    QStyleOptionSpinBox option;
    this->initStyleOption(&option);
    drawSpinBox(ctx, &option);
    if (KelPainting::dbgPaintCustom())
        paintDiagnostics(this, frameRect(), ctx, option);
}

template<class SpinBox>
void KelAbstractSpinBox<SpinBox>::onInvalidated()
{
    KelSpinBoxPainter::onInvalidated();
    this->lineEdit()->setContentsMargins(KelSpinBoxPainter::contentsMargins() + margins()
                                         + borderWidths());
    this->updateGeometry();
}

template class KelAbstractSpinBox<QSpinBox>;
