#pragma once

#include "styles/kelstyleable.h"
#include "widgets/kelwidget.h"

#include <memory>

class KelNativeWindowUtils;
class KelTitleBar;
class KelWindowFrame;

// The base of every top-level window of the framework: a frameless window
// that paints its own background and border from its KelWindowFrame, puts
// a title bar with window buttons on top (WindowButtons) and the
// application's content in centralWidget(), and moves, resizes and
// maximizes through its native utilities. It remembers its geometry in the
// settings under its object name followed by "_Geometry" (restored when it
// is made, saved by saveWindowGeometry()), follows screen and pixel-ratio
// changes, shows itself by a placement strategy, is darkened while a modal
// child blocks it, and toggles the hidden maintenance mode when the access
// word is typed with exactly Ctrl+Alt held.
//
//     auto *window = new KelWindow(KelStyle::WT_Window,
//                                  KelWindow::Movable | KelWindow::Resizable
//                                          | KelWindow::WindowButtons,
//                                  nullptr, KelWindow::Default, false,
//                                  QStringLiteral("ToolsWindow"));
//     new QVBoxLayout(window->centralWidget());
//     window->showWithStrategy(KelWindow::CursorScreen);
//
// GUI thread only.
class KelWindow : public KelWidget, public KelStyleable
{
    Q_OBJECT

public:
    enum WindowParam {
        Movable = 1,
        Resizable = 2,
        MinimizeButton = 4,
        MaximizeButton = 8,
        // A title bar with window buttons, the close button at least.
        WindowButtons = 16,
        // A side bar left of the content.
        SideBarLayout = 32,
        PopupWindow = 64,
    };
    Q_DECLARE_FLAGS(WindowParams, WindowParam)
    Q_FLAG(WindowParams)

    enum ShadowType {
        // A shadow window of our own.
        Custom_D2D_Compatible = 0,
        // The desktop draws frame and shadow, when it can.
        DWM_API = 1,
        Not_Set = 2,
        // The UI object's default.
        Default = 3,
    };
    Q_ENUM(ShadowType)

    enum ShowStrategy { NoChange = 0, CenteredOnParent = 1, CursorPos = 2, CursorScreen = 3 };
    Q_ENUM(ShowStrategy)

    // deferStyle: the subclass applies the style once its own parts exist.
    KelWindow(int styleId, WindowParams params, QWidget *parent = nullptr,
              ShadowType shadowType = Default, bool deferStyle = false,
              const QString &objectName = QString());
    // Style id WT_Window.
    explicit KelWindow(WindowParams params, QWidget *parent = nullptr,
                       ShadowType shadowType = Default, bool deferStyle = false,
                       const QString &objectName = QString());
    ~KelWindow() override;

    QWidget *centralWidget() const;
    // Null without WindowButtons.
    KelTitleBar *titleBar() const;
    // Null without SideBarLayout.
    QWidget *sideBar() const;
    KelWindowFrame *windowFrame() const;
    KelNativeWindowUtils *nativeWindowUtils() const;
    WindowParams params() const;
    // The shadow type in force: the one asked for, resolved.
    ShadowType shadowType() const;

    void setTitle(const QString &title);
    void setStaysOnTop(bool on);
    void setShowWithoutActivating(bool on);
    void setShowInTaskbar(bool on);
    // showWithStrategy() raises the window and takes the focus even from
    // another application.
    void setForceActivation(bool on);
    // A move or resize by the user is running.
    bool isInSizeMoveLoop() const;

    // Covers the window with the blocked overlay while a modal child blocks
    // it; off removes the overlay.
    void setBlocked(bool on);

    bool hasSavedGeometry() const;
    // Empty without an object name or a stored value.
    QByteArray savedGeometry() const;
    virtual void restoreSavedGeometry();
    // Stores nothing for a window that was never shown.
    virtual void saveWindowGeometry();
    virtual void centerOnScreen();

    // A hidden window is placed on the size it settles on before it is
    // shown, and placed again should showing change that size.
    void showWithStrategy(ShowStrategy strategy);
    void showAnimated();
    // durationMs -1: the style's fade duration.
    void setVisibleAnimated(bool visible, bool animated, int durationMs = -1);
    void fadeOut();
    // durationMs -1: the style's geometry animation duration.
    void animateGeometry(const QRect &geometry, bool animated, int durationMs = -1);
    // Places the window beside anchor on edge (a Qt::Edge), aligned along
    // it, and shows it; when there is no room there it takes the opposite
    // edge. An alignment across the edge counts along it: for a side edge
    // AlignLeft is AlignTop and AlignRight AlignBottom, for the top and
    // bottom edges the reverse. Returns the requested edge when it fitted,
    // else the opposite.
    int placeBesideRect(const QRect &anchor, int edge, int alignment, bool animated,
                        const QPoint &offset = QPoint(), int step = 1);
    // The size the window takes when shown: its settled size hint within
    // its limits, the height following the width when it depends on it.
    QSize preferredShowSize();

    virtual void translateUi();

    void setVisible(bool visible) override;
    bool hasHeightForWidth() const override;
    void applyStyle() override;

signals:
    void hovered();
    void leaved();
    void moveByUserStarted();
    void moveByUserFinished();
    void resizeByUserStarted();
    void resizeByUserFinished();
    void devicePixelRatioChanged(double newDpr, double oldDpr);

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, long *result) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(KelWindow::WindowParams)
