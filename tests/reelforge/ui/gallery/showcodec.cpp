// "--show codec [clip]": the output file settings of the clip's item.

#include "showmode.h"

#include "datamodel/codecinfo.h"
#include "ui/targetcodecdialog.h"
#include "ui/widgets/badgedbutton.h"
#include "ui/widgets/formatscombo.h"
#include "ui/widgets/resolutionscombo.h"
#include "widgets/kelbutton.h"

namespace {

ShownWindow showCodec(const ShowContext &context)
{
    ShownWindow shown;
    if (!context.item)
        return shown;
    // Shown rather than run, so that the event loop here drives it.
    auto *dialog = new TargetCodecDialog(context.item);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->showWithStrategy(KelWindow::CenteredOnParent);
    shown.window = dialog;
    QPointer<TargetCodecDialog> guard(dialog);
    shown.points = [guard] {
        QVector<ShowPoint> points;
        if (guard) {
            points << centreOf(QStringLiteral("format"), guard->formatsCombo())
                   << centreOf(QStringLiteral("resolution"), guard->resolutionsCombo())
                   << centreOf(QStringLiteral("save"), guard->acceptButton())
                   << centreOf(QStringLiteral("cancel"), guard->rejectButton());
        }
        return points;
    };
    const VideoItemPtr item = context.item;
    shown.state = [item] {
        const CodecInfo &target = *item->targetCodecInfo();
        return QStringList{QStringLiteral("format %1").arg(target.format()),
                           QStringLiteral("resolution %1x%2")
                                   .arg(target.resolution().width())
                                   .arg(target.resolution().height())};
    };
    return shown;
}

const bool registered = registerShowWindow("codec", showCodec);

} // namespace
