#pragma once

#include <QGraphicsEffect>

#include <memory>

// Draws its widget with an opacity and, while the opacity is below 1,
// displaced towards a slide edge by (1 - opacity) x the slide distance.
// Unless told otherwise it switches itself off at full opacity, so an opaque
// widget pays nothing for it. During fades it can cache the widget's picture
// and force the scroll areas inside to repaint instead of scrolling by
// blitting. GUI thread only.
class KelGraphicsOpacityEffect : public QGraphicsEffect
{
    Q_OBJECT

public:
    // Installs itself on widget, which then owns it.
    explicit KelGraphicsOpacityEffect(QWidget *widget);
    ~KelGraphicsOpacityEffect() override;

    QWidget *widget() const;

    double opacity() const;
    // Clamped to 0..1.
    void setOpacity(double opacity);

    Qt::Edge slideEdge() const;
    void setSlideEdge(Qt::Edge edge);
    // 0 means no sliding.
    int slideDistance() const;
    void setSlideDistance(int distance);

    bool disableAtFullOpacity() const;
    void setDisableAtFullOpacity(bool disable);

    // Caches the widget's picture and puts pass-through effects on the
    // viewports and scroll bars of the scroll areas inside, for the length
    // of a fade.
    void installForceRepaint();
    void removeForceRepaint();

protected:
    void draw(QPainter *painter) override;

    // The widget's picture (cached while force-repaint is installed) and
    // its position in device coordinates.
    QPixmap takeSourcePixmap(PixmapPadMode mode, QPoint *offset);
    QPointF slideDisplacement() const;

private:
    class ForceRepaintEffect;
    class Private;
    std::unique_ptr<Private> d;
};
