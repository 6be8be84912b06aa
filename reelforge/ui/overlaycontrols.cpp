#include "ui/overlaycontrols.h"

#include "painting/kelframepainter.h"
#include "shared/settingsprovider.h"
#include "styles/kelstyle.h"
#include "ui/style.h"
#include "ui/widgets/displayslider.h"
#include "ui/widgets/fontscombo.h"
#include "widgets/kellabel.h"

#include <QBoxLayout>

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

void addRow(QBoxLayout *column, KelLabel *caption, int gap, QWidget *control, int after)
{
    column->addWidget(caption);
    column->addSpacing(gap);
    column->addWidget(control);
    if (after > 0)
        column->addSpacing(after);
}

void indent(std::initializer_list<QWidget *> contents,
            std::initializer_list<KelFramePainter *> frames)
{
    const QMargins indented(kelStyle()->metric(IndentMetric), 0, 0, 0);
    for (QWidget *widget : contents)
        widget->setContentsMargins(indented);
    for (KelFramePainter *frame : frames)
        frame->setMargins(indented);
}

bool save(const PipObjectPtr &copy, const VideoItemPtr &item, Remember remember, Attach attach)
{
    (SettingsProvider::instance()->*remember)(copy);
    if (item)
        (item.data()->*attach)(copy);
    return true;
}

} // namespace OverlayControls
