#pragma once

#include <QPointer>
#include <QWidget>

// Mixin of editable widgets whose keyboard focus a click anywhere outside
// them may take away; the application-wide click filter that does so
// attaches to the widget kept here. GUI thread only.
class KelCanClearFocusOnClickOutside
{
public:
    explicit KelCanClearFocusOnClickOutside(QWidget *widget);
    virtual ~KelCanClearFocusOnClickOutside();

private:
    Q_DISABLE_COPY(KelCanClearFocusOnClickOutside)

    QPointer<QWidget> m_widget;
    // The click filter while one is attached.
    QPointer<QObject> m_filter;
};
