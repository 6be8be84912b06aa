#pragma once

#include "styles/kelstyleable.h"

#include <QMargins>
#include <QScrollArea>

#include <memory>

class KelAbstractScrollAreaShadows;
class KelWheelAnimator;

// The framework's scroll area: frameless, with a resizable content widget,
// edge shadows, smooth wheel scrolling and hover states that stay right
// while content moves under a still pointer. It reports its visibility and
// geometry by signals, tracks the visible part of its content widget, can
// take its size from the content (auto size) and scrolls to a child widget
// or rectangle, animated if asked. GUI thread only.
class KelScrollArea : public QScrollArea, public KelStyleable
{
    Q_OBJECT
    Q_PROPERTY(bool autoSizeEnabled READ isAutoSizeEnabled WRITE setAutoSizeEnabled NOTIFY
                       autoSizeEnabledChanged)
    Q_PROPERTY(QMargins scrollToMargins READ scrollToMargins WRITE setScrollToMargins)

public:
    KelScrollArea(int styleId, QWidget *parent = nullptr, bool noStyle = false);
    explicit KelScrollArea(QWidget *parent = nullptr, bool noStyle = false);
    ~KelScrollArea() override;

    void applyStyle() override;

    bool isAutoSizeEnabled() const;
    // While on, the area's size hints are its content's and follow the
    // content's resizing.
    void setAutoSizeEnabled(bool enabled);

    // Room kept around a target of scrollTo and scrollToRect.
    void setScrollToMargins(const QMargins &margins);
    QMargins scrollToMargins() const;

    KelAbstractScrollAreaShadows *shadows() const;
    KelWheelAnimator *wheelAnimator() const;

    // The part of the content widget shown, in its coordinates; null while
    // the area is hidden.
    QRect visibleWidgetRect() const;

    // Refuses, with a warning, widgets outside the content widget.
    void scrollTo(QWidget *widget, bool animated = false);
    // Scrolls the least that brings rect (content-widget coordinates, grown
    // by the scroll-to margins) into view.
    void scrollToRect(const QRect &rect, bool animated = false);

    // Runs the resize handling without a resize event.
    void refreshGeometry();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void showed();
    void hided();
    void visibilityChanged(bool visible);
    void moved(QPoint pos);
    void resized(QSize size);
    void geometryChanged(QRect geometry);
    void autoSizeEnabledChanged(bool value);
    void visibleWidgetRectChanged(QRect rc);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};
