#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

class QMouseEvent;
class QWidget;

// Repairs hover enter and leave events that frameless windows lose: on
// every mouse move a window gets, the widget under the cursor is entered
// and the previously hovered one left when Qt has not done so, and a leave
// that arrives while the cursor is still inside the hovered widget is
// undone on the next pass of the event loop. It filters the hovered
// widget's events and never consumes one. A child of the UI object; GUI
// thread only.
class HoverLeaveWorkaround : public QObject
{
    Q_OBJECT

public:
    explicit HoverLeaveWorkaround(QObject *parent = nullptr);
    ~HoverLeaveWorkaround() override;

    void onMouseMove(QObject *receiver, QMouseEvent *event);

    // The global position of the last move a window got.
    bool hasPosition() const;
    QPoint lastPosition() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setHovered(QWidget *widget);
    void undoPendingLeave();

    bool m_hasPosition = false;
    QPoint m_lastPosition;
    QPointer<QWidget> m_hovered;
    QPointer<QWidget> m_pendingLeave;
    QTimer m_timer;
};
