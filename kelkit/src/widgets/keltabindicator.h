#pragma once

#include <QColor>
#include <QWidget>

#include <memory>

class KelExclusiveButtonGroup;

// An overlay over the frame that holds a group's buttons: draws a rounded
// bar under the checked button (or as high as it) and slides it when the
// check moves, the leading edge faster than the trailing one, so the bar
// stretches towards its new place first. Follows the frame's geometry and
// the buttons'. It is a child of the frame, or of an ancestor of the frame
// given as parent, so that it can be drawn over the frame's siblings.
// GUI thread only.
class KelTabIndicator : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)

public:
    enum Shape {
        // A bar along the bottom edge of the frame, half of it clipped.
        Underline,
        // A bar as high as the checked button.
        FullHeight,
    };
    Q_ENUM(Shape)

    KelTabIndicator(QWidget *frame, KelExclusiveButtonGroup *group, QWidget *parent = nullptr);
    KelTabIndicator(QWidget *frame, KelExclusiveButtonGroup *group, Shape shape,
                    QWidget *parent = nullptr);
    ~KelTabIndicator() override;

    Shape shape() const;

    QColor color() const;
    void setColor(const QColor &color);

    // Places the bar under the group's checked button.
    void setTabGeometry(bool animated);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};
