#include "widgets/kelexclusivebuttongroup.h"

#include "widgets/kelbutton.h"
#include "widgets/keltabindicator.h"

#include <QDebug>
#include <QSignalBlocker>

namespace {

constexpr char UserDataProperty[] = "__kel_button_group_btn_user_data";

} // namespace

class KelExclusiveButtonGroup::Private
{
public:
    QList<QPointer<KelButton>> buttons;
    // The buttons' addresses, index by index: a button's destroyed() comes
    // from QWidget's destructor, when it may no longer be used as a button.
    QList<const QObject *> addresses;
    int buttonStyleId = -1;
    bool updating = false;
    QPointer<KelTabIndicator> tabIndicator;
};

KelExclusiveButtonGroup::KelExclusiveButtonGroup(int buttonStyleId, QObject *parent)
    : QObject(parent), d(std::make_unique<Private>())
{
    d->buttonStyleId = buttonStyleId;
}

KelExclusiveButtonGroup::KelExclusiveButtonGroup(QObject *parent)
    : KelExclusiveButtonGroup(-1, parent)
{ }

KelExclusiveButtonGroup::~KelExclusiveButtonGroup() = default;

KelButton *KelExclusiveButtonGroup::addButton(KelButton *button, const QVariant &userData)
{
    if (!button) {
        qCritical() << "Ignore trying to add nullptr button into" << this;
        return nullptr;
    }
    if (d->buttons.contains(button)) {
        qWarning() << "Ignore add button" << button << "into" << this
                   << "because it's already registered";
        return button;
    }
    button->setCheckable(true);
    button->setButtonGroup(this);
    button->setAutoExclusive(true);
    button->setProperty(UserDataProperty, userData);
    d->buttons.append(button);
    d->addresses.append(button);
    connect(button, &QObject::destroyed, this, [this](QObject *destroyed) {
        for (int i = d->buttons.size() - 1; i >= 0; --i) {
            if (d->buttons.at(i).isNull() || d->addresses.at(i) == destroyed) {
                d->buttons.removeAt(i);
                d->addresses.removeAt(i);
            }
        }
    });
    return button;
}

KelButton *KelExclusiveButtonGroup::createButton(const QVariant &userData, const QString &iconPath)
{
    return addButton(new KelButton(d->buttonStyleId, iconPath, nullptr, false), userData);
}

QList<QPointer<KelButton>> KelExclusiveButtonGroup::buttons() const
{
    return d->buttons;
}

int KelExclusiveButtonGroup::buttonStyleId() const
{
    return d->buttonStyleId;
}

KelButton *KelExclusiveButtonGroup::buttonByData(const QVariant &data) const
{
    for (const QPointer<KelButton> &button : qAsConst(d->buttons)) {
        if (button && buttonData(button) == data)
            return button;
    }
    return nullptr;
}

KelButton *KelExclusiveButtonGroup::checkedButton() const
{
    for (const QPointer<KelButton> &button : qAsConst(d->buttons)) {
        if (button && button->isChecked())
            return button;
    }
    return nullptr;
}

QVariant KelExclusiveButtonGroup::checkedData() const
{
    return buttonData(checkedButton());
}

QVariant KelExclusiveButtonGroup::buttonData(KelButton *button) const
{
    return button ? button->property(UserDataProperty) : QVariant();
}

void KelExclusiveButtonGroup::setCheckedData(const QVariant &data)
{
    KelButton *target = buttonByData(data);
    if (!target)
        return;
    if (!signalsBlocked()) {
        target->setChecked(true);
        return;
    }
    // Each button reports back into the group while the loop runs.
    const QList<QPointer<KelButton>> buttons = d->buttons;
    for (const QPointer<KelButton> &button : buttons) {
        if (button)
            button->setCheckedState(button == target);
    }
}

void KelExclusiveButtonGroup::setCheckedSilently(const QVariant &data)
{
    const QSignalBlocker blocker(this);
    setCheckedData(data);
}

void KelExclusiveButtonGroup::setTabIndicator(KelTabIndicator *indicator)
{
    if (d->tabIndicator == indicator)
        return;
    d->tabIndicator = indicator;
    if (indicator)
        indicator->setTabGeometry(false);
}

void KelExclusiveButtonGroup::setButtonChecked(KelButton *button, bool checked, bool silent)
{
    // The group's own re-checking reports back here.
    if (d->updating)
        return;
    const bool announce = !signalsBlocked() && !silent;
    if (!checked) {
        if (announce)
            emit toggled(nullptr, QVariant());
        return;
    }

    d->updating = true;
    const QList<QPointer<KelButton>> buttons = d->buttons;
    for (const QPointer<KelButton> &entry : buttons) {
        if (entry)
            entry->setCheckedState(entry == button);
    }
    d->updating = false;

    if (announce)
        emit toggled(button, buttonData(button));
    if (d->tabIndicator)
        d->tabIndicator->setTabGeometry(true);
}

#include "moc_kelexclusivebuttongroup.cpp"
