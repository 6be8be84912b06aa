#pragma once

#include "datamodel/pip/pipobject.h"
#include "datamodel/videoitem.h"
#include "widgets/kelwidget.h"

#include <QRect>
#include <QWeakPointer>

#include <memory>

class PipFrame;
class playercore;

// The preview's frame view: the player's current picture scaled into the
// contents rect, centred, with the subtitles and the watermark being edited
// painted over it at the player's time less the item's trim start. A left
// click that moves less than 5 pixels emits clicked(). Holds the player
// weakly: the dialog owns it.
//
//     auto *view = new PlayerWidget(item, player.toWeakRef(), dialog);
//     view->setPipFrame(nullptr, item->watermark());
//
// GUI thread only.
class PlayerWidget : public KelWidget
{
    Q_OBJECT

public:
    PlayerWidget(VideoItemPtr item, QWeakPointer<playercore> player, QWidget *parent = nullptr);
    ~PlayerWidget() override;

    QRect frameRect() const;
    // Either may be null; the painters of both are replaced.
    void setPipFrame(PipObjectPtr subtitles, PipObjectPtr watermark);
    // The painters; null without their object, replaced by setPipFrame().
    PipFrame *subtitlesFrame() const;
    PipFrame *watermarkFrame() const;

signals:
    void frameRectChanged(QRect value);
    void clicked();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};
