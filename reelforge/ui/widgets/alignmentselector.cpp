#include "ui/widgets/alignmentselector.h"

#include "ui/style.h"
#include "widgets/kelbutton.h"
#include "widgets/kelexclusivebuttongroup.h"

#include <QHBoxLayout>

namespace {

constexpr int ButtonStyleId = Style::WT_Button_Alignment;

struct Choice
{
    Qt::Alignment alignment;
    const char *icon;
};

const Choice Choices[] = {
        {Qt::AlignBottom, ":/svg/align_bottom.svg"},
        {Qt::AlignVCenter, ":/svg/align_middle.svg"},
        {Qt::AlignTop, ":/svg/align_top.svg"},
};

} // namespace

class AlignmentSelector::Private
{
public:
    KelExclusiveButtonGroup *group = nullptr;
};

AlignmentSelector::AlignmentSelector(QWidget *parent)
    : QWidget(parent), d(std::make_unique<Private>())
{
    d->group = new KelExclusiveButtonGroup(ButtonStyleId, this);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    for (const Choice &choice : Choices) {
        KelButton *button = d->group->createButton(int(choice.alignment), choice.icon);
        layout->addWidget(button);
    }
    connect(d->group, &KelExclusiveButtonGroup::toggled, this,
            [this](KelButton *button, const QVariant &data) {
                if (button)
                    emit alignmentChanged(Qt::Alignment(data.toInt()));
            });
}

AlignmentSelector::~AlignmentSelector() = default;

Qt::Alignment AlignmentSelector::alignment() const
{
    return Qt::Alignment(d->group->checkedData().toInt());
}

void AlignmentSelector::setAlignment(Qt::Alignment alignment)
{
    d->group->setCheckedData(int(alignment));
}

#include "moc_alignmentselector.cpp"
