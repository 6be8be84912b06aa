#include "eventfilters/kelfunctionfilter.h"

KelFunctionFilter::KelFunctionFilter(Function function, QObject *parent)
    : QObject(parent), m_function(std::move(function))
{ }

KelFunctionFilter::~KelFunctionFilter() = default;

bool KelFunctionFilter::eventFilter(QObject *watched, QEvent *event)
{
    return m_function(watched, event);
}

#include "moc_kelfunctionfilter.cpp"
