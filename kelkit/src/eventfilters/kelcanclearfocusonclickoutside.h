#pragma once

#include <QPointer>
#include <QWidget>

class KelClearFocusOnClickFilter;

// Mixin of editable widgets whose keyboard focus a click anywhere outside
// them may take away, once enabled; the click filter that does so attaches
// to the widget kept here. Off by default. GUI thread only.
class KelCanClearFocusOnClickOutside
{
public:
    explicit KelCanClearFocusOnClickOutside(QWidget *widget);
    virtual ~KelCanClearFocusOnClickOutside();

    void setClearFocusOnClickOutside(bool enable);

private:
    Q_DISABLE_COPY(KelCanClearFocusOnClickOutside)

    QPointer<QWidget> m_widget;
    // The click filter while one is attached.
    QPointer<KelClearFocusOnClickFilter> m_filter;
};
