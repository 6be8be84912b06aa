#include "ui/servicepage_style.h"

#include "layouts/kelflowlayout.h"
#include "ui/progressbar.h"
#include "ui/style.h"
#include "widgets/kelbutton.h"
#include "widgets/kellabel.h"
#include "widgets/kelslider.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QTime>

namespace {

constexpr int SliderStyle = KelStyle::WT_Slider_Default;
constexpr int SliderWidth = 160;
constexpr int CheckBoxStyle = KelStyle::WT_CheckBox;
constexpr int ActivePerMille = 27;

// Dressed by the page's style, also after a theme switch re-applies the
// looks of every widget.
class StyleSampleSlider : public KelSlider
{
public:
    explicit StyleSampleSlider(const KelStyle *style)
        : KelSlider(SliderStyle, Qt::Horizontal, nullptr, true), m_style(style)
    {
        applyStyle();
    }

    void applyStyle() override { m_style->applySliderStyle(this, styleId()); }

private:
    const KelStyle *m_style;
};

class StyleSampleProgressBar : public ProgressBar
{
public:
    explicit StyleSampleProgressBar(const KelStyle *style) : m_style(style)
    {
        applyStyleOf(m_style);
    }

    void applyStyle() override { applyStyleOf(m_style); }

private:
    const KelStyle *m_style;
};

struct ButtonSample
{
    int styleId;
    const char *text;
};

struct ButtonRow
{
    const char *label;
    QList<ButtonSample> buttons;
};

} // namespace

ServicePage_Style::ServicePage_Style(Style *style, QWidget *parent)
    : KelServicePage_Style(style, parent), m_style(style)
{ }

ServicePage_Style::~ServicePage_Style() = default;

void ServicePage_Style::fillTextColors()
{
    auto *swatches = new KelFlowLayout(nullptr, 0);
    const struct
    {
        const char *name;
        int colorId;
    } named[] = {{"CL_Text_Dark", KelStyle::CL_Text_Dark},
                 {"CL_Text_Light", KelStyle::CL_Text_Light},
                 {"CL_Text_Link", KelStyle::CL_Text_Link},
                 {"CL_Text_Error", Style::CL_Text_Error},
                 {"CL_Accent", KelStyle::CL_Accent}};
    for (const auto &color : named)
        swatches->addWidget(addColorRow(QLatin1String(color.name), m_style->color(color.colorId)));
    swatches->addWidget(addColorRow(QString(), QColor(16, 195, 88)));
    formLayout()->addRow(makeLabel(QStringLiteral("Text colors:")), swatches);

    formLayout()->addRow(
            addColorLabel(QStringLiteral("kelStyle->defaultTextColor()"), QColor()),
            addColorRow(QStringLiteral(
                                "Depends on style->isDarkTheme(): CL_Text_Light or CL_Text_Dark"),
                        m_style->defaultTextColor()));
    formLayout()->addRow(addColorLabel(QStringLiteral("kelStyle->defaultSecondTextColor()"),
                                       QColor()),
                         addColorRow(QStringLiteral("Semitransparent DefaultTextColor"),
                                     m_style->defaultSecondTextColor()));
    formLayout()->addItem(makeSpacer());
}

void ServicePage_Style::fillBaseColors()
{
    auto *grid = new QGridLayout;
    // Transparent: the row shows the page's own background and its overlays.
    addOverlayRows(grid, QStringLiteral("CL_Window_Base"), Qt::transparent);
    addOverlayRows(grid, QStringLiteral("CL_Dialog_Base"), m_style->color(KelStyle::CL_Dialog_Base));
    addOverlayRows(grid, QStringLiteral("CL_PopupMenu_Base"),
                   m_style->color(KelStyle::CL_PopupMenu_Base));
    addOverlayRows(grid, QStringLiteral("CL_Button_Push_Base"),
                   m_style->color(KelStyle::CL_Button_Push_Base));
    addOverlayRows(grid, QStringLiteral("CL_Accent"), m_style->color(KelStyle::CL_Accent));
    formLayout()->addRow(makeLabel(QStringLiteral("Fill colors:")), grid);
    formLayout()->addItem(makeSpacer());
}

void ServicePage_Style::fillControls()
{
    const QList<ButtonRow> rows{
            {"WT_Button_Push_Gray_Filled:",
             {{Style::WT_Button_Push_Gray_Filled_36, "36px"},
              {Style::WT_Button_Push_Gray_Filled_40, "40px"},
              {Style::WT_Button_Push_Gray_Filled_48, "48px"},
              {Style::WT_Button_Push_Gray_Filled_56, "56px"}}},
            {"WT_Button_Push_Gray_Outline:", {{Style::WT_Button_Push_Gray_Outline_28, "28px"},
              {Style::WT_Button_Push_Gray_Outline_40, "40px"}}},
            {"WT_Button_Push_Accent_Outline:", {{Style::WT_Button_Push_Accent_Filled_40, "40px"},
              {Style::WT_Button_Push_Accent_Filled_48, "48px"},
              {Style::WT_Button_Push_Accent_Filled_56, "56px"}}},
            {"WT_Button_Push_Accent_Outline:", {{Style::WT_Button_Push_Accent_Outline_28, "28px"},
              {Style::WT_Button_Push_Accent_Outline_48, "48px"}}},
    };
    for (const ButtonRow &row : rows) {
        auto *flow = new KelFlowLayout(nullptr, 0);
        for (const ButtonSample &sample : row.buttons)
            flow->addWidget(makeButton(sample.styleId, QLatin1String(sample.text)));
        formLayout()->addRow(makeLabel(QLatin1String(row.label)), flow);
    }

    auto *slider = new StyleSampleSlider(m_style);
    slider->setFixedWidth(SliderWidth);
    slider->setValue(slider->maximum() / 2);
    formLayout()->addRow(makeLabel(QStringLiteral("WT_Slider_Default:")), slider);

    auto *importing = new StyleSampleProgressBar(m_style);
    importing->setImporting();
    formLayout()->addRow(makeLabel(QStringLiteral("Importing progress:")), importing);
    auto *queued = new StyleSampleProgressBar(m_style);
    queued->setScheduled();
    formLayout()->addRow(makeLabel(QStringLiteral("Queued progress:")), queued);

    QList<ProgressBar *> active;
    for (int i = 0; i < 3; ++i) {
        auto *bar = new StyleSampleProgressBar(m_style);
        bar->setObjectName(QStringLiteral("ActiveProgress%1").arg(i + 1));
        bar->setProgress(ActivePerMille);
        if (i >= 1)
            bar->setRemainingTime(QTime(0, 34, 52));
        if (i == 2)
            bar->setCounter(5, 12);
        formLayout()->addRow(makeLabel(QStringLiteral("Active progress %1:").arg(i + 1)), bar);
        active.append(bar);
    }

    KelButton *paused = makeButton(CheckBoxStyle, QStringLiteral("Progress paused"));
    paused->setCheckable(true);
    connect(paused, &KelButton::toggled, this, [active](bool on) {
        for (ProgressBar *bar : active)
            bar->setPaused(on);
    });
    formLayout()->addRow(paused);
}

#include "moc_servicepage_style.cpp"
