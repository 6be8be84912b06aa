#pragma once

#include <QWidget>

#include <memory>

class QPoint;

// The floating picture of a dragged card. It follows the cursor through a
// global mouse watcher, shrinks from full size to 70 % while the grab point
// glides from where the card was taken to 16 pixels below its top centre,
// and darkens the picture where a drop is not allowed. A frameless window
// that takes no focus and no mouse input; one icon serves every drag.
// GUI thread only.
//
//     connect(dnd, &KelLayoutDnd::dragStarted, icon, &DragIcon::startDrag);
//     connect(dnd, &KelLayoutDnd::dropAllowedChanged, icon, &DragIcon::setDropAllowed);
//     connect(dnd, &KelLayoutDnd::dragStopped, icon, &DragIcon::finish);
class DragIcon : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double dropAllowedProgress READ dropAllowedProgress WRITE setDropAllowedProgress)
    Q_PROPERTY(double scale READ scale WRITE setScale)

public:
    explicit DragIcon(QWidget *parent = nullptr);
    ~DragIcon() override;

    // Takes a picture of card; hotSpot is the grab point in it.
    void startDrag(QWidget *card, const QPoint &hotSpot);
    void setDropAllowed(bool allowed);
    // Hides the icon and stops following the mouse.
    void finish();

    // 0: the picture as it is; 1: fully shaded as not droppable.
    double dropAllowedProgress() const;
    void setDropAllowedProgress(double progress);
    // 1.0 at the start of a drag, 0.7 once shrunk; 0.0 before any.
    double scale() const;
    void setScale(double scale);

    // The point of the icon held under the cursor.
    QPoint grabPoint() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void updateGeometry();

    class Private;
    std::unique_ptr<Private> d;
};
