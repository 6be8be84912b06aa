// "--show trim <clip>": the trim dialog as the queue opens it. Besides the
// buttons it prints the bubbles' centres, where each trim position stands
// on the slider, and where the slider's first and last time lie, so that a
// scenario can drag a handle to a time; "played 1 s" once playing gets there.

#include "showmode.h"

#include "kelui.h"
#include "ui/player/timeslider.h"
#include "ui/trimdialog.h"
#include "ui/ui.h"
#include "ui/widgets/badgedbutton.h"
#include "widgets/kelbutton.h"

#include <QApplication>
#include <QTimer>

namespace {

ShowPoint sliderPoint(const QString &name, TimeSlider *slider, int value)
{
    return {name, slider->mapToGlobal(slider->pointFromValue(value))};
}

ShownWindow showTrim(const ShowContext &context)
{
    ShownWindow shown;
    if (!context.item)
        return shown;
    static_cast<Ui *>(kelUi())->showTrimDialog(context.item);
    TrimDialog *dialog = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *trim = qobject_cast<TrimDialog *>(widget))
            dialog = trim;
    }
    if (!dialog)
        return shown;
    shown.window = dialog;
    // Once playing has reached 1 s, so that a scenario can pause there
    // instead of guessing the time.
    TimeSlider *slider = dialog->player();
    auto *watch = new QTimer(dialog);
    QObject::connect(watch, &QTimer::timeout, dialog, [slider, watch] {
        if (slider->sliderTime() < 10000000)
            return;
        watch->stop();
        printShowLine(QStringLiteral("played 1 s"));
    });
    watch->start(20);
    QPointer<TrimDialog> guard(dialog);
    shown.points = [guard] {
        QVector<ShowPoint> points;
        if (!guard)
            return points;
        TimeSlider *slider = guard->player();
        const QPair<int, int> trim = slider->KelSlider::trimRange();
        points << centreOf(QStringLiteral("play"),
                           guard->findChild<KelButton *>(QStringLiteral("PlayButton")))
               << centreOf(QStringLiteral("save"), guard->acceptButton())
               << centreOf(QStringLiteral("cancel"), guard->rejectButton())
               << centreOf(QStringLiteral("leftHandle"), slider->leftTrimHandle())
               << centreOf(QStringLiteral("rightHandle"), slider->rightTrimHandle())
               << sliderPoint(QStringLiteral("leftMark"), slider, trim.first)
               << sliderPoint(QStringLiteral("rightMark"), slider, trim.second)
               << sliderPoint(QStringLiteral("sliderStart"), slider, slider->minimum())
               << sliderPoint(QStringLiteral("sliderEnd"), slider, slider->maximum());
        return points;
    };
    const VideoItemPtr item = context.item;
    shown.state = [item] {
        const QPair<qint64, qint64> trim = item->trim();
        return QStringList{QStringLiteral("duration %1").arg(item->duration()),
                           QStringLiteral("trim %1 %2").arg(trim.first).arg(trim.second)};
    };
    return shown;
}

const bool registered = registerShowWindow("trim", showTrim);

} // namespace
