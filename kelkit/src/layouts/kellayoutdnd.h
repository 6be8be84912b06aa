#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>

#include <functional>
#include <memory>

class QLayout;
class QMimeData;
class QWidget;

// Drag and drop among the widgets of a QBoxLayout or KelFlowLayout. A local
// move carries the real widget: it leaves the layout and a drop indicator
// stands at the prospective place, so the layout itself shows the landing
// spot. External drags drop between the widgets. The results are reported
// by signals; the model is the user's business. GUI thread only.
class KelLayoutDnd : public QObject
{
    Q_OBJECT

public:
    using DropFilter = std::function<bool(const QMimeData *)>;

    explicit KelLayoutDnd(QObject *parent = nullptr);
    ~KelLayoutDnd() override;

    void setLayout(QLayout *layout);
    QLayout *layout() const;

    bool isLocalMoveEnabled() const;
    void setLocalMoveEnabled(bool enabled);
    bool isExternalDropEnabled() const;
    void setExternalDropEnabled(bool enabled);
    // Decides whether an external drag is accepted; empty accepts all.
    void setExternalDropFilter(const DropFilter &filter);
    // Hidden until a drag shows it; reparented to the layout's widget.
    void setDropIndicator(QWidget *indicator);
    QWidget *dropIndicator() const;

    bool isDropAllowed() const;

signals:
    void localMoveEnabledChanged(bool value);
    void externalDropEnabledChanged(bool value);
    void dragStarted(QWidget *w, QPoint hotPoint);
    void dragCursorMoved(QPoint globalCursorPos);
    void dropAllowedChanged(bool canDrop);
    void dragStopped();
    void dropIndicatorVisibilityChanged(bool visible);
    void dropIndicatorGeometryChanged(QRect geometry);
    // newIndex counts without the moved widget.
    void widgetMoved(QWidget *clipWidget, int oldIndex, int newIndex);
    void dropped(const QMimeData *mimeData, Qt::DropAction action, int row);

private:
    class Private;
    std::unique_ptr<Private> const d;
};
