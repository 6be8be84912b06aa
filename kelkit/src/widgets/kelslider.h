#pragma once

#include "styles/kelstyleable.h"

#include <QAbstractSlider>
#include <QColor>
#include <QPair>

#include <memory>

class KelButton;
class KelPaintContext;

// The framework's slider. Its position is shown by a real child button, the
// position handle, and it can carry two more buttons, the left and right
// trim handles, that select a sub-range of the slider's range. The trim
// handles are created on first use. All values are plain ints in the
// slider's range. By default the handle glides to values set from outside,
// a groove press holds the slider down until the release, and the groove
// runs the full contents rect.
//
//     auto *slider = new KelSlider(KelStyle::WT_Slider_Default, Qt::Horizontal, parent);
//     slider->setClickMode(KelSlider::ClickMovesValue);
//
// GUI thread only.
class KelSlider : public QAbstractSlider, public KelStyleable
{
    Q_OBJECT
    Q_PROPERTY(bool trimVisible READ isTrimVisible WRITE setTrimVisible)
    Q_PROPERTY(bool trimEnabled READ isTrimEnabled WRITE setTrimEnabled)
    Q_PROPERTY(int minTrimDuration READ minTrimDuration WRITE setMinTrimDuration)
    Q_PROPERTY(QColor handleColor READ handleColor WRITE setHandleColor)
    Q_PROPERTY(QSize handleSize READ handleSize WRITE setHandleSize)
    Q_PROPERTY(bool animated READ isAnimated WRITE setAnimated)
    Q_PROPERTY(int clickMode READ clickMode WRITE setClickMode)

public:
    // Construction options, combined as an int.
    enum Option {
        NoOptions = 0,
        // The position handle jumps to values set from outside instead of
        // gliding there, as a slider that follows playback needs.
        NoHandleGlide = 1,
        // The style is not applied at construction.
        NoStyle = 2,
    };
    Q_ENUM(Option)

    // What a press on the groove does (setClickMode).
    enum ClickMode {
        // The slider is held down until the release (the default).
        ClickHoldsDown = 0,
        // The value moves at once, even without tracking.
        ClickMovesValue = 1,
    };
    Q_ENUM(ClickMode)

    // How far the groove reaches (setGrooveInsetMode).
    enum GrooveInsetMode {
        // The full contents rect (the default).
        GrooveFull = 0,
        // Inset at both ends by half the position handle's width.
        GrooveInset = 1,
        // As GrooveInset while the trim handles are shown.
        GrooveInsetWhileTrimmed = 2,
    };
    Q_ENUM(GrooveInsetMode)

    // Values of setHoverTracking with an effect of their own; other values
    // track nothing.
    enum HoverTrackingMode {
        // Marks the value under the cursor.
        HoverMark = -2,
        NoHoverTracking = -1,
        // Also draws the active groove part while the value is the minimum.
        HoverActiveAtMinimum = 1,
    };
    Q_ENUM(HoverTrackingMode)

    KelSlider(int styleId, Qt::Orientation orientation, QWidget *parent = nullptr,
              bool noStyle = false);
    KelSlider(int styleId, Qt::Orientation orientation, QWidget *parent, int options);
    explicit KelSlider(Qt::Orientation orientation, QWidget *parent = nullptr, bool noStyle = false);
    ~KelSlider() override;

    virtual int valueFromPoint(const QPoint &point) const;
    virtual QPoint pointFromValue(int value) const;

    KelButton *positionHandle() const;
    KelButton *leftTrimHandle();
    KelButton *rightTrimHandle();
    // Both trim handles exist and are shown.
    bool hasTrimHandles() const;
    // The slider of a handle, or null for any other widget.
    static KelSlider *sliderOfHandle(QWidget *handle);

    bool isTrimVisible() const;
    void setTrimVisible(bool visible);
    // While set (the default) and the trim handles are shown, the position
    // is kept inside the trim range by every drag, press and key move.
    bool isTrimEnabled() const;
    void setTrimEnabled(bool enabled);
    // Orders and clamps the values to the range; the minimum trim duration
    // is not enforced here.
    void setTrimRange(int a, int b);
    QPair<int, int> trimRange();
    int minTrimDuration() const;
    void setMinTrimDuration(int duration);
    // The point of a handle that stands on its value and that the cursor
    // drags; (-1, -1) is the handle's centre.
    void setLeftTrimHotSpot(const QPoint &hotSpot);
    void setRightTrimHotSpot(const QPoint &hotSpot);
    // Moves the trim handles to newParent (the slider when null), which must
    // be the slider or one of its ancestors, so they can be drawn outside it.
    void setSubcontrolsParent(QWidget *newParent);

    void setValueSilently(int value);

    void setGrooveColors(const QColor &groove, const QColor &active);
    // A GrooveInsetMode; other values: no inset.
    void setGrooveInsetMode(int mode);
    void setGrooveGeometry(int thickness, int second);
    // The groove's thickness; the second metric stays.
    void setGrooveHeight(int height);
    // Insets the groove from the contents rect: along it at both ends and
    // across it on both sides.
    void setGrooveMargins(int along, int across);
    // Keeps the handles' travel this far inside the contents rect.
    void setHandleMargin(int margin);
    // The position handle's colour, with the style's hover and press
    // overlays; an invalid colour leaves the style's background.
    QColor handleColor() const;
    void setHandleColor(const QColor &color);
    // The position handle's size, as for a horizontal slider (a vertical
    // one turns it), and its corner radius, by default half its smaller
    // side; an invalid size leaves the handle's size alone.
    QSize handleSize() const;
    void setHandleSize(const QSize &size, int radius = -1);
    void setTrimColors(const QColor &active, const QColor &groove);
    // Whether the position handle glides to values set from outside.
    bool isAnimated() const;
    void setAnimated(bool animated);
    // A ClickMode; ClickHoldsDown by default.
    int clickMode() const;
    void setClickMode(int mode);
    // A HoverTrackingMode; 0 by default.
    void setHoverTracking(int mode);
    // The coordinate of the hover mark along the groove, -1 for none.
    int hoverMark() const;

    void applyStyle() override;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

signals:
    void lowerTrimPressed(int value);
    void lowerTrimMoved(int value);
    void lowerTrimReleased(int value);
    void lowerTrimChanged(int value);
    void upperTrimPressed(int value);
    void upperTrimMoved(int value);
    void upperTrimReleased(int value);
    void upperTrimChanged(int value);
    void hovered();
    void leaved();

protected:
    virtual void paintGroove(KelPaintContext &ctx, const QRect &groove, const QColor &grooveColor,
                             const QRect &active, const QColor &activeColor);

    void sliderChange(SliderChange change) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};
