#pragma once

#include <QObject>
#include <QPointer>

class QScrollArea;
class QTimer;
class QWidget;

// Keeps hover states right while content moves under a still pointer:
// after scrolling or a layout change it sends leave and enter events to the
// widgets that the pointer left and now rests on. A child of its scroll
// area; GUI thread only.
class KelScrollAreaWatcher : public QObject
{
    Q_OBJECT

public:
    explicit KelScrollAreaWatcher(QScrollArea *area);
    ~KelScrollAreaWatcher() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *widgetAt(const QPoint &globalPos) const;
    void updateHover();

    QPointer<QScrollArea> m_area;
    QPointer<QWidget> m_hovered;
    QTimer *m_timer;
};
