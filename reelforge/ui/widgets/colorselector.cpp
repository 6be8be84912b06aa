#include "ui/widgets/colorselector.h"

#include "styles/kelstyle.h"
#include "ui/style.h"
#include "widgets/kelbutton.h"
#include "widgets/kelexclusivebuttongroup.h"

#include <QHBoxLayout>

namespace {

constexpr int ButtonStyleId = Style::WT_Button_ColorSwatch;
const QRgb Colors[] = {0xFFFFFF, 0x000000, 0xE0657B, 0x3188EF};
constexpr int FirstExtraColor = KelStyle::CL_Window_Base;

QColor opaque(const QColor &color)
{
    QColor result = color.toRgb();
    result.setAlpha(255);
    return result;
}

} // namespace

class ColorSelector::Private
{
public:
    KelExclusiveButtonGroup *group = nullptr;
    QList<KelButton *> extraButtons;
};

ColorSelector::ColorSelector(QWidget *parent) : QWidget(parent), d(std::make_unique<Private>())
{
    d->group = new KelExclusiveButtonGroup(ButtonStyleId, this);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    for (int i = 0; i < int(sizeof(Colors) / sizeof(Colors[0])); ++i) {
        const QColor color(Colors[i]);
        KelButton *button = d->group->createButton(color, QStringLiteral(":/svg/circle.svg"));
        // The style leaves the icon colours alone, so the tint survives
        // theme switches.
        button->setIconColors(KelStateColors(color));
        QSizePolicy policy = button->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        button->setSizePolicy(policy);
        layout->addWidget(button);
        if (i >= FirstExtraColor)
            d->extraButtons.append(button);
    }
    connect(d->group, &KelExclusiveButtonGroup::toggled, this,
            [this](KelButton *button, const QVariant &data) {
                if (button)
                    emit colorChanged(data.value<QColor>());
            });
}

ColorSelector::~ColorSelector() = default;

QColor ColorSelector::color() const
{
    return d->group->checkedData().value<QColor>();
}

void ColorSelector::setColor(const QColor &color)
{
    d->group->setCheckedData(opaque(color));
}

void ColorSelector::setColorSilently(const QColor &color)
{
    d->group->setCheckedSilently(opaque(color));
}

void ColorSelector::setExtraColorsVisible(bool visible)
{
    for (KelButton *button : qAsConst(d->extraButtons))
        button->setVisible(visible);
}

#include "moc_colorselector.cpp"
