#pragma once

#include "animators/kelwidgetstateanimator.h"
#include "eventfilters/kelcanclearfocusonclickoutside.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "styles/kelstyleable.h"
#include "widgets/kelqmenustyler.h"
#include "widgets/kelspinboxpainter.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QList>
#include <QMouseEvent>
#include <QStyleOptionSpinBox>

// A Qt spin box with a painted frame and arrows, a style id and keyboard
// and mouse hooks: Enter, Escape, leaving the field to the left or right,
// arrow press and release, focus. Derived classes implement the hooks and
// applyStyle(). GUI thread only.
template<class SpinBox>
class KelAbstractSpinBox : public SpinBox,
                           public KelSpinBoxPainter,
                           public KelStyleable,
                           public KelCanClearFocusOnClickOutside
{
public:
    explicit KelAbstractSpinBox(int styleId = -1, QWidget *parent = nullptr)
        : SpinBox(parent), KelSpinBoxPainter(this), KelStyleable(styleId),
          KelCanClearFocusOnClickOutside(this)
    {
        new KelQMenuStyler(this->lineEdit(), 41);
        m_stateAnimator = new KelWidgetStateAnimator(2, this);
        m_stateAnimator->setWidget(this);
        QMargins margins = this->lineEdit()->textMargins();
        margins.setLeft(margins.left() - 2);
        this->lineEdit()->setTextMargins(margins);
    }

    // The frame painter's meaning of these names, not the widget's.
    using KelSpinBoxPainter::contentsMargins;
    using KelSpinBoxPainter::setContentsMargins;
    using QWidget::repaint;

protected:
    virtual void onEnterPressed() { }
    virtual void onEscPressed() { }
    virtual void onPrevWidgetRequested() { }
    virtual void onNextWidgetRequested() { }
    virtual void onButtonPressed() { }
    virtual void onButtonReleased() { }
    virtual void onFocused(Qt::FocusReason) { }
    virtual void onFocusLost() { }

    bool event(QEvent *event) override
    {
        const bool result = SpinBox::event(event);
        if (event->type() == QEvent::FocusIn)
            onFocused(static_cast<QFocusEvent *>(event)->reason());
        else if (event->type() == QEvent::FocusOut)
            onFocusLost();
        return result;
    }

    void keyPressEvent(QKeyEvent *event) override
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

    void mousePressEvent(QMouseEvent *event) override
    {
        const auto steps = this->stepEnabled();
        if (event->button() == Qt::LeftButton
            && this->buttonSymbols() != QAbstractSpinBox::NoButtons
            && steps != QAbstractSpinBox::StepNone) {
            QStyleOptionSpinBox option;
            this->initStyleOption(&option);
            QStyle *style = this->style();
            const QRect up = style->subControlRect(QStyle::CC_SpinBox, &option,
                                                   QStyle::SC_SpinBoxUp, this);
            const QRect down = style->subControlRect(QStyle::CC_SpinBox, &option,
                                                     QStyle::SC_SpinBoxDown, this);
            if ((up.contains(event->pos()) && (steps & QAbstractSpinBox::StepUpEnabled))
                || (down.contains(event->pos()) && (steps & QAbstractSpinBox::StepDownEnabled))) {
                m_arrowPressed = true;
                onButtonPressed();
            }
        }
        QAbstractSpinBox::mousePressEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QAbstractSpinBox::mouseReleaseEvent(event);
        if (m_arrowPressed) {
            m_arrowPressed = false;
            onButtonReleased();
        }
    }

    void resizeEvent(QResizeEvent *event) override
    {
        setFrameSize(this->size());
        QAbstractSpinBox::resizeEvent(event);
    }

    void paintEvent(QPaintEvent *) override
    {
        KelPaintContext ctx(this);
        paintFrame(ctx, m_stateAnimator);
        QStyleOptionSpinBox option;
        this->initStyleOption(&option);
        drawSpinBox(ctx, &option);
        if (KelPainting::dbgPaintCustom())
            paintDiagnostics(ctx, option);
    }

    void onInvalidated() override
    {
        KelSpinBoxPainter::onInvalidated();
        this->lineEdit()->setContentsMargins(KelSpinBoxPainter::contentsMargins() + margins()
                                             + borderWidths());
        this->updateGeometry();
    }

    QList<int> m_prevFieldKeys{Qt::Key_Left};
    QList<int> m_nextFieldKeys{Qt::Key_Right};

private:
    void paintDiagnostics(KelPaintContext &ctx, const QStyleOptionSpinBox &option)
    {
        const QStyle *style = this->style();
        KelPainting::diagPaintRect(&ctx, QRectF(this->rect()), KelPainting::diagRed());
        KelPainting::diagPaintRect(&ctx, QRectF(frameRect()), KelPainting::diagMagenta());
        for (QStyle::SubControl control :
             {QStyle::SC_SpinBoxEditField, QStyle::SC_SpinBoxUp, QStyle::SC_SpinBoxDown}) {
            const QRect rect = style->subControlRect(QStyle::CC_SpinBox, &option, control, this);
            KelPainting::diagPaintRect(&ctx, QRectF(rect), KelPainting::diagBlue());
        }
    }

    KelWidgetStateAnimator *m_stateAnimator = nullptr;
    bool m_arrowPressed = false;
};
