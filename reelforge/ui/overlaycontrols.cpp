#include "ui/overlaycontrols.h"

#include "styles/kelstyle.h"
#include "ui/style.h"
#include "ui/widgets/displayslider.h"
#include "ui/widgets/fontscombo.h"
#include "widgets/kellabel.h"

namespace {

constexpr int LabelStyleId = Style::WT_Label_Form;
constexpr int FontsComboStyleId = KelStyle::WT_ComboBox;
constexpr int PercentSliderStyleId = KelStyle::WT_Slider_Default;
constexpr int SpinBoxStyleId = Style::WT_SpinBox_Compact;
constexpr int IndentMetric = Style::M_Inset;

} // namespace

namespace OverlayControls {

KelLabel *label(const char *objectName)
{
    auto *caption = new KelLabel(LabelStyleId);
    caption->setObjectName(QLatin1String(objectName));
    return caption;
}

DisplaySlider *percentSlider(const char *objectName)
{
    auto *slider = new DisplaySlider(1, 100, PercentSliderStyleId, SpinBoxStyleId);
    slider->setObjectName(QLatin1String(objectName));
    slider->setSuffix(QStringLiteral("%"));
    return slider;
}

FontsCombo *fontsCombo()
{
    auto *combo = new FontsCombo(FontsComboStyleId);
    combo->setObjectName(QStringLiteral("FontsCombo"));
    return combo;
}

FilePathSelector *fileSelector(const FilePathSelector::FileChooser &chooser)
{
    auto *selector = new FilePathSelector;
    selector->setObjectName(QStringLiteral("FileSelector"));
    selector->setFileChooser(chooser);
    return selector;
}

int indent()
{
    return kelStyle()->metric(IndentMetric);
}

} // namespace OverlayControls
