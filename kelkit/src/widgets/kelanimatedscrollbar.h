#pragma once

#include "utils/kelstatecolors.h"
#include "widgets/kelscrollbar.h"

#include <memory>

class ScrollBarProxyStyle;

// A scroll bar laid over the edge of a scroll area, or beside its content,
// that widens while the pointer rests on it and narrows again after the
// pointer has left. It is shown only while there is something to scroll.
// A child of its container; GUI thread only.
class KelAnimatedScrollBar : public KelScrollBar
{
    Q_OBJECT

public:
    enum Placement {
        SideBySide = 1,
        Overlay = 2,
    };

    // Puts a bar on each orientation the area does not switch off (vertical
    // first), unless the area has a framework bar already. Side by side,
    // the content keeps room for the bars.
    static void installOn(int styleId, QAbstractScrollArea *area, bool sideBySide = false);

    KelAnimatedScrollBar(int styleId, QWidget *container, int placement,
                         Qt::Orientation orientation, QAbstractScrollArea *area,
                         bool noStyle = false);
    ~KelAnimatedScrollBar() override;

    int placement() const;
    ScrollBarProxyStyle *proxyStyle() const;

    void setGrooveColor(const QColor &color);
    void setHandleColors(const KelStateColors &colors);

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};
