#pragma once

#include <QColor>
#include <QWidget>

#include <memory>

class KelExclusiveButtonGroup;

// An overlay over the parent that holds a group's buttons: draws a rounded
// bar under the checked button (or as high as it) and slides it when the
// check moves, the leading edge faster than the trailing one, so the bar
// stretches towards its new place first. Follows the parent's size and the
// buttons' geometry. GUI thread only.
class KelTabIndicator : public QWidget
{
    Q_OBJECT

public:
    KelTabIndicator(QWidget *parent, KelExclusiveButtonGroup *group, bool fullHeight = false);
    ~KelTabIndicator() override;

    QColor color() const;
    void setColor(const QColor &color);

    // Places the bar under the group's checked button.
    void setTabGeometry(bool animated);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};
