#include "eventfilters/kelcanclearfocusonclickoutside.h"

#include "eventfilters/kelclearfocusonclickfilter.h"

KelCanClearFocusOnClickOutside::KelCanClearFocusOnClickOutside(QWidget *widget) : m_widget(widget)
{ }

KelCanClearFocusOnClickOutside::~KelCanClearFocusOnClickOutside() = default;

void KelCanClearFocusOnClickOutside::setClearFocusOnClickOutside(bool enable)
{
    if (enable == !m_filter.isNull() || !m_widget)
        return;
    if (enable)
        m_filter = new KelClearFocusOnClickFilter(m_widget);
    else
        delete m_filter;
}
