#include "layouts/kelspacerorwidgetitem.h"

#include <QWidgetItem>

namespace {

// Qt's own widget item answers for the carried widget, so size policies,
// hidden widgets, windows and alignment behave exactly as elsewhere.
class CarriedItem : public QWidgetItem
{
public:
    CarriedItem(QWidget *widget, Qt::Alignment alignment) : QWidgetItem(widget)
    {
        setAlignment(alignment);
    }
};

} // namespace

KelSpacerOrWidgetItem::KelSpacerOrWidgetItem(int width, int height,
                                             QSizePolicy::Policy horizontalPolicy,
                                             QSizePolicy::Policy verticalPolicy)
    : QSpacerItem(width, height, horizontalPolicy, verticalPolicy)
{ }

void KelSpacerOrWidgetItem::setWidget(QWidget *widget)
{
    m_widget = widget;
}

QWidget *KelSpacerOrWidgetItem::widget()
{
    return m_widget;
}

QSpacerItem *KelSpacerOrWidgetItem::spacerItem()
{
    return m_widget ? nullptr : this;
}

QSize KelSpacerOrWidgetItem::sizeHint() const
{
    if (m_widget)
        return CarriedItem(m_widget, alignment()).sizeHint();
    return QSpacerItem::sizeHint();
}

QSize KelSpacerOrWidgetItem::minimumSize() const
{
    if (m_widget)
        return CarriedItem(m_widget, alignment()).minimumSize();
    return QSpacerItem::minimumSize();
}

QSize KelSpacerOrWidgetItem::maximumSize() const
{
    if (m_widget)
        return CarriedItem(m_widget, alignment()).maximumSize();
    return QSpacerItem::maximumSize();
}

Qt::Orientations KelSpacerOrWidgetItem::expandingDirections() const
{
    if (m_widget)
        return CarriedItem(m_widget, alignment()).expandingDirections();
    return QSpacerItem::expandingDirections();
}

bool KelSpacerOrWidgetItem::isEmpty() const
{
    if (m_widget)
        return CarriedItem(m_widget, alignment()).isEmpty();
    return QSpacerItem::isEmpty();
}

QRect KelSpacerOrWidgetItem::geometry() const
{
    if (m_widget)
        return CarriedItem(m_widget, alignment()).geometry();
    return QSpacerItem::geometry();
}

void KelSpacerOrWidgetItem::setGeometry(const QRect &rect)
{
    // Kept in any case: once the widget goes, the place is still known.
    QSpacerItem::setGeometry(rect);
    if (m_widget)
        CarriedItem(m_widget, alignment()).setGeometry(rect);
}

bool KelSpacerOrWidgetItem::hasHeightForWidth() const
{
    if (m_widget)
        return CarriedItem(m_widget, alignment()).hasHeightForWidth();
    return QSpacerItem::hasHeightForWidth();
}

int KelSpacerOrWidgetItem::heightForWidth(int width) const
{
    if (m_widget)
        return CarriedItem(m_widget, alignment()).heightForWidth(width);
    return QSpacerItem::heightForWidth(width);
}

QSizePolicy::ControlTypes KelSpacerOrWidgetItem::controlTypes() const
{
    if (m_widget)
        return CarriedItem(m_widget, alignment()).controlTypes();
    return QSpacerItem::controlTypes();
}
