#pragma once

#include "painting/kelbuttonpainter.h"
#include "styles/kelstyleable.h"
#include "widgets/kelwidget.h"

#include <memory>

class KelExclusiveButtonGroup;
class KelWidgetStateAnimator;

// The framework's one button: a widget painted by its own button painter,
// dressed by its style id, with its own interaction state (hovered,
// pressed, checkable, checked, window-blocked) fed to a state animator
// whose progress values blend the painter's state colours. clicked() and
// the reaction to setChecked() are posted to the event loop, so receivers
// never run inside the mouse event or the setter. Derived buttons override
// paint(). GUI thread only.
class KelButton : public KelWidget, public KelButtonPainter, public KelStyleable
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(bool checkable READ isCheckable WRITE setCheckable)
    Q_PROPERTY(bool checked READ isChecked WRITE setChecked NOTIFY toggled)
    Q_PROPERTY(bool autoExclusive READ isAutoExclusive WRITE setAutoExclusive)
    Q_PROPERTY(bool clickableWhenChecked READ isClickableWhenChecked WRITE setClickableWhenChecked)
    Q_PROPERTY(bool keepPressedOnDrag READ keepPressedOnDrag WRITE setKeepPressedOnDrag)

public:
    KelButton(int styleId, const QString &iconPath, QWidget *parent = nullptr, bool noStyle = false);
    explicit KelButton(int styleId = -1, QWidget *parent = nullptr, bool noStyle = false);
    ~KelButton() override;

    // The painter's meaning of these names, not the widget's.
    using KelButtonPainter::contentsMargins;
    using KelButtonPainter::font;
    using KelButtonPainter::setContentsMargins;
    using KelButtonPainter::setFont;
    using QWidget::repaint;

    void applyStyle() override;

    bool isCheckable() const;
    // Turning it off clears the checked state.
    void setCheckable(bool checkable);
    // Checkable and checked.
    bool isChecked() const;
    // Only for a checkable button; toggled() and the group follow from the
    // event loop, toggled() only when signals were not blocked at the call.
    void setChecked(bool checked);
    // As setChecked, without any signal; the group is told at once.
    void setCheckedState(bool checked);
    bool isPressed() const;
    bool isHovered() const;

    // A checked auto-exclusive button ignores presses and is not unchecked
    // by a click.
    bool isAutoExclusive() const;
    void setAutoExclusive(bool autoExclusive);
    // A checked auto-exclusive button still takes presses, and a checkable
    // one emits clicked() on release.
    bool isClickableWhenChecked() const;
    void setClickableWhenChecked(bool clickable);
    // While pressed, the button shows hovered and pressed wherever the
    // mouse moves.
    bool keepPressedOnDrag() const;
    void setKeepPressedOnDrag(bool keep);

    // Called by the exclusive group that takes the button in; the group
    // hears of every change of the checked state.
    void setButtonGroup(KelExclusiveButtonGroup *group);

    KelWidgetStateAnimator *stateAnimator() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

    // Paints the frame and then the content at the frame's opacity.
    virtual void paint(KelPaintContext &ctx);

signals:
    void clicked();
    void toggled(bool checked);
    void hovered();
    void leaved();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;

    void onGeometryChanged() override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};
