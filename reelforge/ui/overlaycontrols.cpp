#include "ui/overlaycontrols.h"

#include "styles/kelstyle.h"
#include "ui/widgets/displayslider.h"
#include "ui/widgets/fontscombo.h"
#include "widgets/kellabel.h"

namespace {

constexpr int LabelStyleId = 1059;
constexpr int FontsComboStyleId = 18;
constexpr int PercentSliderStyleId = 37;
constexpr int SpinBoxStyleId = 1064;
constexpr int IndentMetric = 1001;

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
