#include "layouts/layoututils.h"

#include "layouts/kelflowlayout.h"

#include <QBoxLayout>
#include <QDebug>

namespace LayoutUtils {

void insertWidget(QLayout *layout, int index, QWidget *widget)
{
    if (auto *box = qobject_cast<QBoxLayout *>(layout)) {
        box->insertWidget(index, widget);
    } else if (auto *flow = qobject_cast<KelFlowLayout *>(layout)) {
        flow->insertWidget(index, widget);
    } else {
        qWarning() << "Trying to insert widget into" << layout;
        qFatal("Insert widget is Not implemented");
    }
}

} // namespace LayoutUtils
