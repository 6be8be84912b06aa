#include "ui/widgets/buttonswitcher.h"

#include "widgets/kelbutton.h"
#include "widgets/kelexclusivebuttongroup.h"

#include <QHBoxLayout>

ButtonSwitcher::ButtonSwitcher(int frameStyleId, int buttonStyleId, QWidget *parent)
    : KelFrame(frameStyleId, parent), m_group(new KelExclusiveButtonGroup(buttonStyleId, this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(3);
    connect(m_group, &KelExclusiveButtonGroup::toggled, this,
            [this](KelButton *button, const QVariant &data) {
                if (button)
                    emit toggled(data);
            });
}

ButtonSwitcher::~ButtonSwitcher() = default;

KelExclusiveButtonGroup *ButtonSwitcher::group() const
{
    return m_group;
}

KelButton *ButtonSwitcher::addButton(const QVariant &userData)
{
    KelButton *button = m_group->createButton(userData);
    layout()->addWidget(button);
    return button;
}

#include "moc_buttonswitcher.cpp"
