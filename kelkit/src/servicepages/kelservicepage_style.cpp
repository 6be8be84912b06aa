#include "servicepages/kelservicepage_style.h"

#include "styles/kelstyle.h"
#include "utils/kelcolorutils.h"
#include "utils/kelstatecolors.h"
#include "widgets/kelbutton.h"
#include "widgets/keliconlabel.h"
#include "widgets/kellabel.h"

#include <QGridLayout>
#include <QSpacerItem>

namespace {

const int RowLabelStyleId = KelStyle::WT_Label_Row;
const int WindowColorRole = KelStyle::CL_Window_Base;
const QMargins ColorLabelMargins(8, 4, 8, 4);
const int SwatchSpacing = 8;

// Dressed by the page's style rather than the current one, also when the
// style manager re-applies the looks after a theme switch.
class StyleSampleButton : public KelButton
{
public:
    StyleSampleButton(const KelStyle *style, int styleId, const QString &iconPath)
        : KelButton(styleId, iconPath, nullptr, true), m_style(style), m_iconPath(iconPath)
    {
        applyStyle();
    }

    void applyStyle() override { m_style->applyButtonStyle(this, styleId(), m_iconPath); }

private:
    const KelStyle *m_style;
    QString m_iconPath;
};

class StyleSampleLabel : public KelLabel
{
public:
    StyleSampleLabel(const KelStyle *style, const QColor &textColor = QColor())
        : KelLabel(RowLabelStyleId), m_style(style), m_textColor(textColor)
    {
        applyStyle();
    }

    void applyStyle() override
    {
        m_style->applyLabelStyle(this, styleId());
        if (m_textColor.isValid())
            KelUtils::setTextColor(this, m_textColor);
    }

private:
    const KelStyle *m_style;
    QColor m_textColor;
};

KelIconLabel *makeSwatch(const KelStyle *style, const QString &text, const QColor &color)
{
    auto *swatch = new KelIconLabel(-1, nullptr);
    swatch->setText(text);
    swatch->setBackground(KelStateColors(color));
    swatch->setTextColors(KelStateColors(style->textColorFor(color)));
    swatch->setContentsMargins(ColorLabelMargins);
    swatch->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return swatch;
}

} // namespace

class KelServicePage_Style::Private
{
public:
    KelStyle *style = nullptr;

    KelLabel *colorLabel(const QString &text, const QColor &color) const
    {
        auto *label = new StyleSampleLabel(style,
                                           color.isValid() ? color : style->defaultTextColor());
        label->setText(text);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setContentsMargins(ColorLabelMargins);
        return label;
    }
};

KelServicePage_Style::KelServicePage_Style(KelStyle *style, QWidget *parent)
    : KelServicePage(parent), d(std::make_unique<Private>())
{
    setObjectName(QStringLiteral("Style"));
    d->style = style;
}

KelServicePage_Style::~KelServicePage_Style() = default;

void KelServicePage_Style::refresh()
{
    KelUtils::setBackgroundColor(this, d->style->color(WindowColorRole));
    setAutoFillBackground(true);
    fillTextColors();
    fillBaseColors();
    fillExtra();
    fillControls();
}

void KelServicePage_Style::fillTextColors() { }

void KelServicePage_Style::fillBaseColors() { }

void KelServicePage_Style::fillExtra() { }

void KelServicePage_Style::fillControls() { }

KelStyle *KelServicePage_Style::style() const
{
    return d->style;
}

KelButton *KelServicePage_Style::makeButton(int styleId, const QString &text,
                                            const QString &iconPath)
{
    auto *button = new StyleSampleButton(d->style, styleId, iconPath);
    button->setText(text);
    return button;
}

KelLabel *KelServicePage_Style::makeLabel(const QString &text)
{
    auto *label = new StyleSampleLabel(d->style);
    label->setText(text);
    return label;
}

KelLabel *KelServicePage_Style::addColorRow(const QString &name, const QColor &color)
{
    return d->colorLabel(name + QLatin1Char('(') + color.name(QColor::HexRgb) + QLatin1Char(')'),
                         color);
}

KelLabel *KelServicePage_Style::addColorLabel(const QString &text, const QColor &color)
{
    return d->colorLabel(text, color);
}

void KelServicePage_Style::addOverlayRows(QGridLayout *grid, const QString &name,
                                          const QColor &color)
{
    const KelStyle *style = d->style;
    const QColor base = KelUtils::blendColors(style->color(WindowColorRole), color);
    const struct
    {
        const char *name;
        QColor overlay;
    } overlays[] = {
            {"LightestOverlay", QColor(255, 255, 255, 60)},
            {"LighterOverlay", QColor(255, 255, 255, 30)},
            {"DarkerOverlay", QColor(0, 0, 0, 24)},
            {"DarkestOverlay", QColor(0, 0, 0, 46)},
            {"HoverOverlay", style->hoverOverlayColor(base)},
            {"PressedOverlay", style->pressedOverlayColor(base)},
    };
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(0);
    // An empty grid still counts one row.
    const int row = grid->count() == 0 ? 0 : grid->rowCount();
    grid->addWidget(makeSwatch(style, name, base), row, 0);
    grid->addItem(new QSpacerItem(SwatchSpacing, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), row,
                  1);
    int column = 2;
    for (const auto &overlay : overlays) {
        const QColor shown = KelUtils::blendColors(base, overlay.overlay);
        KelIconLabel *swatch = makeSwatch(style, shown.name(QColor::HexRgb), shown);
        swatch->setObjectName(QLatin1String(overlay.name));
        grid->addWidget(swatch, row, column++);
    }
}

#include "moc_kelservicepage_style.cpp"
