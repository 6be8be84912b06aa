#pragma once

#include <QObject>
#include <QPoint>

// Reports every mouse move and left, right or middle button press that any
// window of the program gets, in client and non-client areas alike, at its
// global position in physical pixels. All live watchers share one source,
// which exists only while some watcher does. A slot may delete any
// watcher, the emitting one included. GUI thread only.
//
//     auto *watcher = new KelGlobalMouseWatcher(this);
//     connect(watcher, &KelGlobalMouseWatcher::mousePressed, this, &Popup::onPress);
class KelGlobalMouseWatcher : public QObject
{
    Q_OBJECT

public:
    explicit KelGlobalMouseWatcher(QObject *parent = nullptr);
    ~KelGlobalMouseWatcher() override;

signals:
    // Only when the position differs from the last one reported.
    void mouseMoved(QPoint rawGlobal1xPos);
    void mousePressed(QPoint rawGlobal1xPos, Qt::MouseButton button);
};

Q_DECLARE_METATYPE(Qt::MouseButton)
