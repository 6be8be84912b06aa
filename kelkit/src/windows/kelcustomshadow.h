#pragma once

#include <QImage>
#include <QObject>

#include <memory>

class KelWindowFrame;
class QWidget;

namespace KelPlatform {
class LayeredShadowWindow;
}

// The shadow of a frameless window whose frame the system does not draw:
// a separate click-through window, as large as the window plus the shadow
// on every side, showing a blurred, coloured image of the window's outline.
// It follows the window's position, size, visibility, opacity and pixel
// ratio, stays hidden while the window is hidden, minimized or maximized,
// and fades in over 250 ms whenever it becomes visible. The shadow window
// exists only while a compositing manager runs.
// Made by the window's native utilities; GUI thread only.
class KelCustomShadow : public QObject
{
    Q_OBJECT

public:
    KelCustomShadow(QObject *parent, QWidget *window, KelWindowFrame *frame);
    ~KelCustomShadow() override;

    // Follows the window's native window: makes, replaces or drops the
    // shadow window.
    void updateShadowWindow();
    // Follows the window's geometry, visibility and state.
    void updateVisibility();

    // Null while there is none.
    KelPlatform::LayeredShadowWindow *shadowWindow() const;

    // The shadow of the frame's outline for a shadow window of size
    // (physical pixels) at the ratio: clear under the window itself.
    static QImage shadowImage(KelWindowFrame *frame, const QSize &size, double ratio);

private:
    class Private;
    std::unique_ptr<Private> const d;
};
