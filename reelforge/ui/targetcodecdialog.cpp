#include "ui/targetcodecdialog.h"

#include "core/appservices.h"
#include "datamodel/codecinfo.h"
#include "shared/formattables.h"
#include "styles/kelstyle.h"
#include "ui/style.h"
#include "ui/widgets/badgedbutton.h"
#include "ui/widgets/formatscombo.h"
#include "ui/widgets/resolutionscombo.h"
#include "widgets/kelbutton.h"
#include "widgets/kelframe.h"
#include "widgets/kellabel.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QVBoxLayout>

namespace {

constexpr int DialogStyle = KelStyle::WT_Dialog;
constexpr int ShadowStyle = KelStyle::WT_PopupMenu;
constexpr int LabelStyle = Style::WT_Label_Form;
constexpr int ComboStyle = KelStyle::WT_ComboBox;

QString translate(const char *text)
{
    return QCoreApplication::translate("Dialog_Codec", text);
}

bool isAudioFormat(const QString &format)
{
    const FormatTables *tables = appServices().formatTables;
    return tables && tables->outputAudioFormats().contains(format);
}

} // namespace

class TargetCodecDialog::Private
{
public:
    VideoItemPtr item;
    KelLabel *formatLabel = nullptr;
    FormatsCombo *formatsCombo = nullptr;
    KelLabel *resolutionLabel = nullptr;
    ResolutionsCombo *resolutionsCombo = nullptr;
};

TargetCodecDialog::TargetCodecDialog(VideoItemPtr item, QWidget *parent)
    : AbstractDialog(DialogStyle, Movable, parent, ShadowType(ShadowStyle)),
      d(std::make_unique<Private>())
{
    d->item = std::move(item);
    d->formatLabel = new KelLabel(LabelStyle, this);
    d->formatsCombo = new FormatsCombo(ComboStyle, this);
    d->resolutionLabel = new KelLabel(LabelStyle, this);
    d->resolutionsCombo = new ResolutionsCombo(ComboStyle, this);

    auto *form = new QFormLayout;
    form->setContentsMargins(0, 0, 0, 0);
    form->setVerticalSpacing(20);
    form->addRow(d->formatLabel, d->formatsCombo);
    form->addRow(d->resolutionLabel, d->resolutionsCombo);
    auto *column = new QVBoxLayout(contentWidget());
    column->setContentsMargins(32, 0, 32, 0);
    column->setSpacing(12);
    column->addLayout(form);
    column->addSpacing(100);

    connect(d->formatsCombo, &FormatsCombo::formatClicked, this,
            &TargetCodecDialog::enableResolutions);
    loadData();
    translateUi();
}

TargetCodecDialog::~TargetCodecDialog() = default;

void TargetCodecDialog::loadData()
{
    const CodecInfo &target = *d->item->targetCodecInfo();
    d->formatsCombo->setFormat(target.format());
    // The chosen entry, not the stored spelling: "MP3" is an audio format too.
    const QString shown = d->formatsCombo->format();
    enableResolutions(shown.isEmpty() ? target.format() : shown);
    // The source's size is the one marked original; the target's is chosen.
    d->resolutionsCombo->fill(d->item->sourceCodecInfo()->resolution(),
                              d->item->rotation() % 180 != 0);
    d->resolutionsCombo->setResolution(target.resolution());
}

bool TargetCodecDialog::onAccept()
{
    CodecInfo &target = *d->item->targetCodecInfo();
    // Without a current entry the stored value stays.
    const QString format = d->formatsCombo->format();
    if (!format.isEmpty())
        target.setFormat(format);
    const QSize resolution = d->resolutionsCombo->resolution();
    if (resolution.isValid())
        target.setResolution(resolution);
    return true;
}

void TargetCodecDialog::translateUi()
{
    setWindowTitle(translate("Output video file settings"));
    d->formatLabel->setText(translate("Output format:"));
    d->resolutionLabel->setText(translate("Resolution:"));
    rejectButton()->setText(translate("Cancel"));
    acceptButton()->setText(translate("Save"));
    KelWindow::translateUi();
}

FormatsCombo *TargetCodecDialog::formatsCombo() const
{
    return d->formatsCombo;
}

ResolutionsCombo *TargetCodecDialog::resolutionsCombo() const
{
    return d->resolutionsCombo;
}

void TargetCodecDialog::enableResolutions(const QString &format)
{
    d->resolutionsCombo->setEnabled(!isAudioFormat(format));
}

#include "moc_targetcodecdialog.cpp"
