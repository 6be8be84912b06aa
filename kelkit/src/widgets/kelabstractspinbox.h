#pragma once

#include "eventfilters/kelcanclearfocusonclickoutside.h"
#include "styles/kelstyleable.h"
#include "widgets/kelspinboxpainter.h"

#include <QList>
#include <QSpinBox>

#include <memory>

// A Qt spin box with a painted frame and arrows, a style id and keyboard
// and mouse hooks: Enter, Escape, leaving the field to the left or right,
// arrow press and release, focus. Derived classes implement the hooks and
// applyStyle(). Built for QSpinBox only. GUI thread only.
template<class SpinBox>
class KelAbstractSpinBox : public SpinBox,
                           public KelSpinBoxPainter,
                           public KelStyleable,
                           public KelCanClearFocusOnClickOutside
{
public:
    explicit KelAbstractSpinBox(int styleId = -1, QWidget *parent = nullptr);
    ~KelAbstractSpinBox() override;

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

    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void onInvalidated() override;

    QList<int> m_prevFieldKeys{Qt::Key_Left};
    QList<int> m_nextFieldKeys{Qt::Key_Right};

private:
    class Private;
    std::unique_ptr<Private> const d;
};

extern template class KelAbstractSpinBox<QSpinBox>;
