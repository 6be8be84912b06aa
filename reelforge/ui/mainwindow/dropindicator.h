#pragma once

#include "styles/kelstyleable.h"

#include <QWidget>

#include <memory>

// Feedback for files dragged over the queue. In Placard mode it covers the
// empty queue with a dashed frame and "Drag & Drop file here", and, once
// given a hint point, an arrow up to the Add file button; in Marker mode
// it is the dashed, lightly filled box that shows where dropped rows land.
// Transparent for the mouse. GUI thread only.
//
//     auto *placard = new DropIndicator(DropIndicator::Placard, list);
//     placard->setHintPoint(header->addButtonAnchor());
class DropIndicator : public QWidget, public KelStyleable
{
    Q_OBJECT

public:
    enum Mode { Placard = 0, Marker = 1 };
    Q_ENUM(Mode)

    DropIndicator(int mode, QWidget *parent = nullptr);
    ~DropIndicator() override;

    int mode() const;
    // The arrow points at this global position, raised to 18 pixels below
    // the contents' top; no arrow is drawn before the first call.
    void setHintPoint(const QPoint &globalPos);
    QPoint hintPoint() const;

    void translateUi();
    void applyStyle() override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintHint(QPainter &painter, double dpr);

    class Private;
    std::unique_ptr<Private> d;
};
