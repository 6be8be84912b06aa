#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>

class QWidget;

// Follows one widget without subclassing it and reports changes of its
// visibility, parent and geometry. Mode 0 reports the local geometry,
// mode 1 the geometry in the coordinates of the widget's window, mode 2 the
// geometry on the screen; modes 1 and 2 also watch the window. It reports
// nothing at construction, so the first change of any kind is reported, and
// it consumes no event. A child of the watched widget; GUI thread only.
class KelGeometryWatcher : public QObject
{
    Q_OBJECT

public:
    enum Mode { LocalGeometry = 0, WindowGeometry = 1, ScreenGeometry = 2 };

    KelGeometryWatcher(QWidget *widget, int mode);
    ~KelGeometryWatcher() override;

signals:
    void visibilityChanged(bool value);
    void geometryChanged(QRect value);
    void windowGeometryChanged(QRect value);
    void screenGeometryChanged(QRect value);
    void parentWidgetChanged(QWidget *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateGeometry();
    void updateVisibility();
    void updateParent();
    void rewatchWindow();

    bool m_initialized = false;
    int m_mode;
    QPointer<QWidget> m_widget;
    QPointer<QWidget> m_watchedWindow;
    QPointer<QWidget> m_parent;
    bool m_visible = false;
    QRect m_geometry;
    QRect m_windowGeometry;
    QRect m_screenGeometry;
};
