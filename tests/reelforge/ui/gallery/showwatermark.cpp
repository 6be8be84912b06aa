// The watermark dialog for the X11 scenario: its type buttons, text field,
// box and top-right rotate ring, and Save; on close the item's watermark.

#include "datamodel/pip/pipobject.h"
#include "styles/kelstyle.h"
#include "ui/player/resizeroverlay.h"
#include "ui/style.h"
#include "ui/watermarkdialog.h"
#include "ui/widgets/badgedbutton.h"
#include "ui/widgets/buttonswitcher.h"
#include "ui/widgets/fontscombo.h"
#include "widgets/kelbutton.h"
#include "widgets/kelexclusivebuttongroup.h"

#include "showmode.h"

namespace {

// A point inside the top-right rotate ring, clear of the corner handle, in
// the overlay's coordinates.
QPointF ringPoint(const ResizerOverlay *overlay)
{
    const ResizerOverlay::Appearance look = overlay->appearance();
    const int inset = look.handleSize / 2 + look.handleOffset;
    const QRect r = overlay->screenSelection().toAlignedRect().adjusted(inset, inset, -inset,
                                                                        -inset);
    const int s = look.hitMargin + look.handleSize;
    const int h = s / 2;
    const QPointF corner(r.x() - h + r.width(), r.y() + h);
    QTransform turn;
    const QPointF centre = overlay->screenSelection().center();
    turn.translate(centre.x(), centre.y());
    turn.rotate(overlay->rotationAngle());
    turn.translate(-centre.x(), -centre.y());
    return turn.map(corner + QPointF(1.5 * s, -1.5 * s));
}

const bool registered = registerShowWindow("watermark", [](const ShowContext &context) {
    ShownWindow shown;
    if (!context.item)
        return shown;
    auto *dialog = new WatermarkDialog(context.item);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The main window makes the menu in the program.
    FontsCombo::initSharedMenu(dialog, Style::WT_PopupMenu_List, KelStyle::WT_PopupMenuButton,
                               Style::WT_LineEdit_Search_Underlined);
    dialog->show();
    shown.window = dialog;

    const QPointer<WatermarkDialog> guard(dialog);
    shown.points = [guard] {
        QVector<ShowPoint> points;
        if (!guard)
            return points;
        auto *types = guard->findChild<ButtonSwitcher *>(QStringLiteral("TypeSwitcher"));
        points << centreOf(QStringLiteral("text"),
                           types->group()->buttonByData(int(PipObject::TextWatermark)));
        points << centreOf(QStringLiteral("textedit"),
                           guard->findChild<QWidget *>(QStringLiteral("TextEdit")));
        const ResizerOverlay *overlay = guard->overlay();
        if (overlay->isVisible() && !overlay->screenSelection().isEmpty()) {
            points << ShowPoint{QStringLiteral("box"),
                                overlay->mapToGlobal(overlay->screenSelection().center().toPoint())};
            points << ShowPoint{QStringLiteral("ring"),
                                overlay->mapToGlobal(ringPoint(overlay).toPoint())};
        }
        points << centreOf(QStringLiteral("save"), guard->acceptButton());
        return points;
    };
    const VideoItemPtr item = context.item;
    shown.state = [item] {
        const PipObjectPtr watermark = item->watermark();
        if (!watermark)
            return QStringList{QStringLiteral("watermark none")};
        return QStringList{QStringLiteral("text %1").arg(watermark->text()),
                           QStringLiteral("angle %1").arg(watermark->angle()),
                           QStringLiteral("center %1 %2")
                                   .arg(watermark->centerPoint().x())
                                   .arg(watermark->centerPoint().y())};
    };
    return shown;
});

} // namespace
