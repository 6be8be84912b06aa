#pragma once

#include "widgets/kelframe.h"

#include <memory>

class KelIconWidget;
class KelLabel;
class KelButton;
class QHBoxLayout;

// The caption row at the top of a window made with window buttons:
// application icon, a container on each side for the application's own
// caption widgets, the centred title and the minimize, maximize, restore
// and close buttons. The window treats the whole bar as caption (drag to
// move, double-click to maximize) except over its buttons. Spacers on both
// sides of the title keep it centred on the whole bar whatever the
// containers hold. A child of its window; GUI thread only.
class KelTitleBar : public KelFrame
{
    Q_OBJECT

public:
    // The bits of setButtons() and button().
    enum Button { MinimizeButton = 1, MaximizeButton = 2, CloseButton = 4 };

    explicit KelTitleBar(QWidget *window);
    ~KelTitleBar() override;

    KelIconWidget *appIcon() const;
    KelLabel *titleLabel() const;
    QHBoxLayout *leftWidgetsLayout() const;
    QHBoxLayout *rightWidgetsLayout() const;
    // 1 minimize, 2 maximize, 4 close; null for anything else.
    KelButton *button(int kind) const;

    // Which buttons show; maximize and restore share bit 2 and follow the
    // window's state.
    void setButtons(int mask);
    int buttons() const;

    // The buttons' tooltips in the current language.
    void retranslate();

    bool eventFilter(QObject *watched, QEvent *event) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};
