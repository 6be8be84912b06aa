#pragma once

#include <QObject>

// Gives every QMenu that becomes a child of the watched object (such as
// the context menu a line edit creates on demand) the framework's menu
// style. Styling waits for the event loop, since the menu is not fully
// constructed when it is added. Child of the watched object; GUI thread
// only.
class KelQMenuStyler : public QObject
{
    Q_OBJECT

public:
    KelQMenuStyler(QObject *watched, int menuStyleId);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_menuStyleId;
};
