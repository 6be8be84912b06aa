#include "servicepages/kelservicepage_painting.h"

#include "kelapplication.h"
#include "kelsettings.h"
#include "painting/kelpainting.h"
#include "styles/kelstyle.h"
#include "widgets/kellabel.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QVBoxLayout>

namespace {

struct PaintSwitch
{
    const char *key;
    const char *text;
    const char *group;
    bool (*get)();
    void (*set)(bool);
};

// In page order; the groups follow each other.
const PaintSwitch Switches[] = {
        {"DbgPaintKelPaintContext", "KelPaintContext (draw 1 screen pixel corners)",
         "DPI mismatch:", KelPainting::dbgPaintKelPaintContext,
         KelPainting::setDbgPaintKelPaintContext},
        {"DbgPaintKelFrame",
         "KelFramePainter (KelFrame, KelLineEdit, KelSpinBox etc, KelButton's frame)",
         "KelFramePainter:", KelPainting::dbgPaintKelFrame, KelPainting::setDbgPaintKelFrame},
        {"DbgPaintKelButton", "KelButtonPainter (KelButton's content (text, icon, arrow))",
         "KelFramePainter:", KelPainting::dbgPaintKelButton, KelPainting::setDbgPaintKelButton},
        {"DbgPaintKelLabel", "KelLabel", "Static widgets:", KelPainting::dbgPaintKelLabel,
         KelPainting::setDbgPaintKelLabel},
        {"DbgPaintKelIconWidget", "DbgPaintKelIconWidget", "Static widgets:",
         KelPainting::dbgPaintKelIconWidget, KelPainting::setDbgPaintKelIconWidget},
        {"DbgPaintKelDelimiter", "KelDelimiter", "Static widgets:",
         KelPainting::dbgPaintKelDelimiter, KelPainting::setDbgPaintKelDelimiter},
        {"DbgPaintNonDwmResizer", "Non-DWM Resizer", "Window decorations:",
         KelPainting::dbgPaintNonDwmResizer, KelPainting::setDbgPaintNonDwmResizer},
        {"DbgPaintNonDwmShadow", "Non-DWM Shadow (comboboxes, old windows theme w/o DWM)",
         "Window decorations:", KelPainting::dbgPaintNonDwmShadow,
         KelPainting::setDbgPaintNonDwmShadow},
        {"DbgPaintCustom", "App specific custom widgets", "Other:", KelPainting::dbgPaintCustom,
         KelPainting::setDbgPaintCustom},
};

const int RowLabelStyleId = KelStyle::WT_Label_Row;

KelSettings *settings()
{
    auto *app = dynamic_cast<KelApplication *>(QCoreApplication::instance());
    return app ? app->settings() : nullptr;
}

} // namespace

KelServicePage_Painting::KelServicePage_Painting(QWidget *parent) : KelServicePage(parent)
{
    setObjectName(QStringLiteral("Painting"));
    if (KelSettings *store = settings()) {
        for (const PaintSwitch &paintSwitch : Switches)
            paintSwitch.set(store->value(QLatin1String(paintSwitch.key), false).toBool());
    }

    QVBoxLayout *group = nullptr;
    const char *groupLabel = nullptr;
    for (const PaintSwitch &paintSwitch : Switches) {
        if (!groupLabel || qstrcmp(groupLabel, paintSwitch.group) != 0) {
            groupLabel = paintSwitch.group;
            auto *label = new KelLabel(RowLabelStyleId, widget());
            label->setText(QLatin1String(groupLabel));
            group = new QVBoxLayout;
            formLayout()->addRow(label, group);
        }
        addCheckBoxRow(group, QLatin1String(paintSwitch.text), paintSwitch.get(),
                       [paintSwitch](bool on) {
                           paintSwitch.set(on);
                           if (KelSettings *store = settings())
                               store->setValue(QLatin1String(paintSwitch.key), on);
                       });
    }
}

KelServicePage_Painting::~KelServicePage_Painting() = default;

#include "moc_kelservicepage_painting.cpp"
