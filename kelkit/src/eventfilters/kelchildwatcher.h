#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QVector>

class QWidget;

// Reports child widgets of a root widget appearing, disappearing, being
// entered or left, optionally at any depth. Nothing is consumed.
// GUI thread only.
class KelChildWatcher : public QObject
{
    Q_OBJECT

public:
    enum Flag {
        WatchAdded = 1,
        WatchRemoved = 2,
        WatchEnter = 4,
        WatchLeave = 8,
        Recursive = 4096,
    };

    KelChildWatcher(int flags, QWidget *root, QObject *parent = nullptr);
    ~KelChildWatcher() override;

    // Forgets the old root and its children and watches the new one.
    void watch(QWidget *root);

signals:
    void childWidgetAdded(QWidget *child);
    void childWidgetRemoved(QWidget *child);
    void childWidgetEntered(QWidget *child);
    void childWidgetLeaved(QWidget *child);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchChild(QWidget *child);
    void unwatchChild(QObject *child);
    void forgetChild(QObject *child);
    void unwatchAll();

    int m_flags;
    QVector<int> m_eventTypes;
    QPointer<QWidget> m_root;
    QSet<QObject *> m_watched;
};
