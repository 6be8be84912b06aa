#include "eventfilters/kelcanclearfocusonclickoutside.h"

KelCanClearFocusOnClickOutside::KelCanClearFocusOnClickOutside(QWidget *widget) : m_widget(widget)
{ }

KelCanClearFocusOnClickOutside::~KelCanClearFocusOnClickOutside() = default;
