#include "ui/trimdialog.h"

#include "core/mediatime.h"
#include "ui/player/playerwidget.h"
#include "ui/player/timeslider.h"
#include "ui/style.h"
#include "ui/widgets/badgedbutton.h"
#include "widgets/kelbutton.h"
#include "widgets/kelframe.h"

#include <QCoreApplication>

namespace {

constexpr int TrimSliderStyle = Style::WT_Slider_Trim;
constexpr qint64 MinimumTrim = MediaTime::ticksFromSeconds(1);
// A cut shorter than this at either end is no cut.
constexpr qint64 CutTolerance = MediaTime::ticksFromMilliseconds(5);
constexpr qint64 MinimumHandleDistance = 500;

QString translate(const char *text)
{
    return QCoreApplication::translate("Dialog_Trim", text);
}

} // namespace

TrimDialog::TrimDialog(VideoItemPtr item, QWidget *parent, bool audioOnly)
    : VideoDialogBase(TrimMode, std::move(item), parent,
                      audioOnly ? QString() : QStringLiteral("TrimDialog"), audioOnly)
{
    playerWidget()->setContentsMargins(0, 0, 0, 16);
    TimeSlider *slider = player();
    slider->setStyleId(TrimSliderStyle);
    connect(slider, &TimeSlider::valueChanged, this, &TrimDialog::updateSaveButton);
    // Moving a handle need not move the slider's value.
    connect(slider, &TimeSlider::timeTrimRangeChanged, this, &TrimDialog::updateSaveButton);
    loadData();
    translateUi();
    updateSaveButton();
}

TrimDialog::~TrimDialog() = default;

void TrimDialog::loadData()
{
    TimeSlider *slider = player();
    // The bubbles reach above the slider.
    slider->setSubcontrolsParent(contentWidget());
    const QPair<qint64, qint64> trim = item()->trim();
    slider->setTrimRange(trim.first, trim.second);
    slider->setTime(trim.first);
    slider->setTrimVisible(true);
    // The range was set while the handles were hidden.
    controls()->updateTrimTexts();
    slider->setMinTrimDuration(MinimumHandleDistance);
}

bool TrimDialog::onAccept()
{
    if (!itemTakesEdits())
        return false;
    const QPair<qint64, qint64> range = player()->trimRange();
    item()->setTrim(range.first, range.second);
    return true;
}

void TrimDialog::translateUi()
{
    setWindowTitle(translate("Trim"));
    acceptButton()->setText(translate("Trim"));
    rejectButton()->setText(translate("Cancel"));
    VideoDialogBase::translateUi();
}

void TrimDialog::updateSaveButton()
{
    const QPair<qint64, qint64> range = player()->trimRange();
    const qint64 duration = item()->duration();
    const bool cuts = range.first > CutTolerance || duration - range.second > CutTolerance;
    acceptButton()->setEnabled(range.second - range.first >= MinimumTrim && cuts);
}

#include "moc_trimdialog.cpp"
