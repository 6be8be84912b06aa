#include "layouts/kellayoutreplacer.h"

#include "layouts/kelflowlayout.h"

#include <QBoxLayout>
#include <QDebug>
#include <QMap>
#include <QPointer>

class KelLayoutReplacer::Private
{
public:
    int currentId = -1;
    QMap<int, QPointer<QLayout>> layouts;
};

KelLayoutReplacer::KelLayoutReplacer(QObject *parent)
    : QObject(parent), d(std::make_unique<Private>())
{ }

KelLayoutReplacer::~KelLayoutReplacer()
{
    // Layouts in use belong to their box layout, the others to us; one
    // with no owner at all would leak.
    for (auto it = d->layouts.cbegin(); it != d->layouts.cend(); ++it) {
        QLayout *layout = it.value();
        if (!layout || layout->parent())
            continue;
        qCritical() << layout << "with id" << it.key() << "has no parent!";
        delete layout;
    }
}

void KelLayoutReplacer::registerLayout(int id, QLayout *layout)
{
    d->layouts.insert(id, layout);
}

QLayout *KelLayoutReplacer::layout() const
{
    return d->layouts.value(d->currentId);
}

int KelLayoutReplacer::currentLayoutId() const
{
    return d->currentId;
}

void KelLayoutReplacer::setCurrentLayoutId(int id)
{
    if (id == d->currentId)
        return;
    // A registered layout that was deleted can't be selected either.
    if (!d->layouts.value(id)) {
        qWarning() << id << "is not registered and can't be selected as current!";
        return;
    }

    const int oldId = d->currentId;
    if (oldId == -1) {
        emit currentLayoutIdAboutToChange(id, oldId);
        d->currentId = id;
        for (auto it = d->layouts.cbegin(); it != d->layouts.cend(); ++it) {
            if (it.key() != id && it.value())
                it.value()->setParent(this);
        }
        emit currentLayoutIdChanged(id, oldId);
        return;
    }

    QLayout *current = layout();
    auto *parentBox = current ? qobject_cast<QBoxLayout *>(current->parent()) : nullptr;
    if (!parentBox) {
        qWarning("Current implementation will replace layouts only placed in parent QBoxLayout. "
                 "Add support for replacing in widget or any other layout type if you need "
                 "this.");
        qFatal("Replace layout inside anything except of QBoxLayout is not implemented");
        return;
    }

    emit currentLayoutIdAboutToChange(id, oldId);

    QList<QLayoutItem *> items;
    while (QLayoutItem *item = current->takeAt(0))
        items.append(item);

    const int index = parentBox->indexOf(current);
    parentBox->removeItem(current);
    current->setParent(this);
    d->currentId = id;
    QLayout *next = layout();
    next->setParent(nullptr);
    parentBox->insertLayout(index, next, 0);
    for (QLayoutItem *item : qAsConst(items))
        next->addItem(item);

    emit currentLayoutIdChanged(id, oldId);
}

void KelLayoutReplacer::insertItem(int index, QLayoutItem *item)
{
    QLayout *current = layout();
    if (auto *box = qobject_cast<QBoxLayout *>(current)) {
        box->insertItem(index, item);
    } else if (auto *flow = qobject_cast<KelFlowLayout *>(current)) {
        flow->insertItem(index, item);
    } else {
        qWarning() << "Trying to insert item into" << current;
        qFatal("Insert item is not implemented");
    }
}

void KelLayoutReplacer::insertWidget(int index, QWidget *widget)
{
    QLayout *current = layout();
    if (auto *box = qobject_cast<QBoxLayout *>(current)) {
        box->insertWidget(index, widget);
    } else if (auto *flow = qobject_cast<KelFlowLayout *>(current)) {
        flow->insertWidget(index, widget);
    } else {
        qWarning() << "Trying to insert widget into" << current;
        qFatal("Insert widget is Not implemented");
    }
}

void KelLayoutReplacer::moveItems(int start, int end, int destination)
{
    QLayout *current = layout();
    if (start < 0 || !current)
        return;

    // Taken back to front, so each re-insertion at one index restores the
    // block's order.
    QList<QLayoutItem *> taken;
    for (int i = end; i >= start; --i) {
        if (QLayoutItem *item = current->takeAt(i))
            taken.append(item);
    }
    if (start < destination)
        destination -= taken.size();
    for (QLayoutItem *item : qAsConst(taken))
        insertItem(destination, item);
}

#include "moc_kellayoutreplacer.cpp"
