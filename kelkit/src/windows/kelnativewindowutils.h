#pragma once

#include <QList>
#include <QObject>
#include <QSize>

#include <memory>

class KelCustomShadow;
class KelWindowFrame;
class QWidget;

// Gives a frameless window the behaviour of one with a native frame: the
// window moves, resizes and maximizes through zones computed from its title
// bar, its size limits and a resize band along its edges, and the start
// and end of moves and resizes made by the user are reported. It owns the
// window's frame description and, when the window has no frame drawn by the
// system, the custom shadow. The static operations take any widget and act
// on its window.
// A child and event filter of the window; GUI thread only.
class KelNativeWindowUtils : public QObject
{
    Q_OBJECT

public:
    // The zone under a point of the window.
    enum HitZone {
        HitNone = 0,
        HitClient = 1,
        HitCaption = 2,
        HitLeft = 3,
        HitTop = 4,
        HitRight = 5,
        HitBottom = 6,
        HitTopLeft = 7,
        HitTopRight = 8,
        HitBottomLeft = 9,
        HitBottomRight = 10,
    };
    Q_ENUM(HitZone)

    explicit KelNativeWindowUtils(QWidget *window);
    ~KelNativeWindowUtils() override;

    void setResizable(bool resizable);
    void setMovable(bool movable);
    // The desktop draws frame and shadow: no custom shadow is made.
    void setUseDwmShadow(bool on);
    bool usesDwmShadow() const;
    // The caption widget: pressing it moves the window, double-clicking it
    // maximizes, except over its registered client-area widgets.
    void setTitleBar(QWidget *titleBar);
    // Null and registered widgets are ignored.
    void addClientAreaWidget(QWidget *widget);
    void addClientAreaWidgets(const QList<QWidget *> &widgets);

    KelWindowFrame *windowFrame() const;
    // Null unless a shadow window is shown for the window.
    KelCustomShadow *customShadow() const;
    // The client area in physical pixels.
    QSize clientSize() const;
    bool isSystemMoveInProgress() const;
    // A move or resize by the user is running.
    bool isInSizeMoveLoop() const;

    // The zone at a point given in physical screen pixels.
    HitZone hitTest(int x, int y) const;

    // Messages of the native window system that need an answer of the
    // window; none does on X11.
    bool nativeEvent(const QByteArray &eventType, void *message, long *result);
    bool eventFilter(QObject *watched, QEvent *event) override;

    static void startSystemMove(QWidget *widget);
    // Logs and returns when the window has no native window yet.
    static void forcedActivateWindow(QWidget *widget);
    static void setStaysOnTop(QWidget *widget, bool on);
    static void setShowWithoutActivating(QWidget *widget, bool on);
    static void setShowInTaskbar(QWidget *widget, bool on);
    // Whether the desktop draws frames and shadows of frameless windows;
    // never on X11, where the custom shadow stands in.
    static bool isDwmCompositionEnabled();
    // Whether the system is Windows 10 of at least the build (-1: any build)
    // or later: never here, so the fixes for those Windows versions stay off.
    static bool isWindows10OrGreater(int build = -1);

signals:
    void moveByUserStarted();
    void moveByUserFinished();
    void resizeByUserStarted();
    void resizeByUserFinished();

private:
    class Private;
    std::unique_ptr<Private> d;
};
