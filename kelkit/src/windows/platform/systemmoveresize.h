#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>
#include <memory>

class QWidget;
class QWindow;

namespace KelPlatform {

// The width in physical pixels of the band along a frameless window's
// edges in which a press resizes it.
int resizeBandWidth(double devicePixelRatio);

// The window's rectangle in physical screen pixels.
QRect nativeWindowRect(const QWindow *window);

// A global position in logical pixels turned into physical screen pixels
// on the window's screen.
QPoint toNativePosition(const QWindow *window, const QPointF &globalPos);

// Moves and resizes a frameless window the way a native frame would. An
// event filter on the window's QWindow asks the zone function for the
// zone under each mouse event before any child widget sees it:
// - hovering a resize band shows the band's cursor;
// - a left press in a band starts a resize;
// - a left press in the caption is kept from the widgets, and a move of
//   more than 4 pixels (Manhattan) with the button held starts a move;
// - a double-click in the caption toggles maximized when the window has
//   the maximize button hint;
// - every other zone goes to the widgets untouched.
// The window manager does the move or resize when it can; otherwise it is
// done here, following the mouse within the window's size limits until the
// release. The finished signals follow the release; for a move or resize
// the window manager runs, which takes the mouse away from the window,
// they follow the first press, release or Enter at the window, or a poll
// of the pointer finding the left button up.
// A child of the window's native utilities; GUI thread only.
class SystemMoveResize : public QObject
{
    Q_OBJECT

public:
    // Answers a zone of KelNativeWindowUtils::HitZone for a position in
    // physical screen pixels.
    using ZoneFunction = std::function<int(const QPoint &nativePos)>;

    SystemMoveResize(QWidget *window, ZoneFunction zoneAt, QObject *parent = nullptr);
    ~SystemMoveResize() override;

    // Follows the window's current native window; call when it changes.
    void attach();

    // Starts a move now, as if the caption had been dragged; false when the
    // window is hidden or a move or resize is running already.
    bool startMove();

    bool isMoveInProgress() const;
    bool isResizeInProgress() const;

signals:
    void moveStarted();
    void moveFinished();
    void resizeStarted();
    void resizeFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace KelPlatform
