#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

class KelGlobalMouseWatcher;
class QWidget;

// Takes the keyboard focus away from its widget when a mouse button is
// pressed anywhere outside it, in any window of the program, title bars
// included. It watches the mouse only while the widget holds the focus of
// its window, and not while a popup has borrowed the focus. A window that
// merely loses activation keeps the watcher, because on X11 the window
// manager activates a clicked window before the press itself arrives.
// Child of the widget; GUI thread only.
class KelClearFocusOnClickFilter : public QObject
{
    Q_OBJECT

public:
    explicit KelClearFocusOnClickFilter(QWidget *widget);
    ~KelClearFocusOnClickFilter() override;

    // Null while the widget does not hold the focus of its window.
    KelGlobalMouseWatcher *watcher() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onMousePressed(const QPoint &devicePos);
    void watchMouse();
    void dropWatcherUnlessFocusHeld();
    void dropWatcher();

    QPointer<QWidget> m_widget;
    QPointer<KelGlobalMouseWatcher> m_watcher;
};
