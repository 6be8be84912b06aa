#include "ui/subtitlesdialog.h"

#include "shared/settingsprovider.h"
#include "ui/overlaycontrols.h"
#include "ui/player/playerwidget.h"
#include "ui/style.h"
#include "ui/ui.h"
#include "ui/widgets/alignmentselector.h"
#include "ui/widgets/badgedbutton.h"
#include "ui/widgets/colorselector.h"
#include "ui/widgets/displayslider.h"
#include "ui/widgets/filepathselector.h"
#include "ui/widgets/fontscombo.h"
#include "widgets/kelbutton.h"
#include "widgets/kelframe.h"
#include "widgets/kellabel.h"

#include <QBoxLayout>
#include <QCoreApplication>

namespace {

constexpr int BackgroundButtonStyleId = Style::WT_Toggle_Large;
constexpr int BandAlpha = 150;
constexpr double ColouredBandAlpha = 0.6;

QString translate(const char *text)
{
    return QCoreApplication::translate("Dialog_Subtitles", text);
}

// Colours are compared by their RGB: a band keeps its colour at any alpha.
bool isBlack(const QColor &color)
{
    return (color.rgb() & RGB_MASK) == 0x000000;
}

bool isWhite(const QColor &color)
{
    return (color.rgb() & RGB_MASK) == 0xFFFFFF;
}

bool isBlackOrWhite(const QColor &color)
{
    return isBlack(color) || isWhite(color);
}

constexpr int SideBySideSpacing = 16;

// A caption at the left with its control in the same line.
QHBoxLayout *sideBySide(KelLabel *caption, QWidget *control,
                        Qt::Alignment controlAlignment = Qt::Alignment())
{
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(SideBySideSpacing);
    row->addWidget(caption, 0, Qt::AlignLeft);
    row->addWidget(control, 0, controlAlignment);
    return row;
}

} // namespace

class SubtitlesDialog::Private
{
public:
    explicit Private(SubtitlesDialog *q) : q(q) { }

    void buildControls();
    void connectControls();
    void applyColors();
    void updateColorLabel();
    void updateSaveButton();

    SubtitlesDialog *q;
    PipObjectPtr pipObject;
    KelLabel *fileLabel = nullptr;
    FilePathSelector *fileSelector = nullptr;
    KelLabel *fontLabel = nullptr;
    FontsCombo *fontsCombo = nullptr;
    KelLabel *sizeLabel = nullptr;
    DisplaySlider *sizeSlider = nullptr;
    KelLabel *opacityLabel = nullptr;
    DisplaySlider *opacitySlider = nullptr;
    KelLabel *colorLabel = nullptr;
    ColorSelector *colorSelector = nullptr;
    KelButton *backgroundButton = nullptr;
    KelLabel *locationLabel = nullptr;
    AlignmentSelector *alignmentSelector = nullptr;
};

void SubtitlesDialog::Private::buildControls()
{
    using namespace OverlayControls;
    fileLabel = label("FileLabel");
    fileSelector = OverlayControls::fileSelector([this] {
        auto *ui = dynamic_cast<Ui *>(kelUi());
        return ui ? ui->selectSubtitlesFile(pipObject->filePath()) : QString();
    });
    fontLabel = label("FontLabel");
    fontsCombo = OverlayControls::fontsCombo();
    sizeLabel = label("SizeLabel");
    sizeSlider = percentSlider("SizeSlider");
    opacityLabel = label("OpacityLabel");
    opacitySlider = percentSlider("OpacitySlider");
    colorLabel = label("ColorLabel");
    colorSelector = new ColorSelector;
    colorSelector->setObjectName(QStringLiteral("ColorSelector"));
    backgroundButton = new KelButton(BackgroundButtonStyleId);
    backgroundButton->setObjectName(QStringLiteral("BackgroundButton"));
    backgroundButton->setCheckable(true);
    backgroundButton->setIconPlacement(Qt::RightEdge);
    locationLabel = label("LocationLabel");
    alignmentSelector = new AlignmentSelector;
    alignmentSelector->setObjectName(QStringLiteral("AlignmentSelector"));

    auto *layout = new QVBoxLayout(q->rightBox());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    addRow(layout, fileLabel, FieldGap, fileSelector, RowGap);
    addRow(layout, fontLabel, FieldGap, fontsCombo, RowGap);
    addRow(layout, sizeLabel, SliderGap, sizeSlider, RowGap);
    addRow(layout, opacityLabel, SliderGap, opacitySlider, GroupGap);
    layout->addLayout(sideBySide(colorLabel, colorSelector, Qt::AlignRight));
    layout->addSpacing(GroupGap);
    layout->addWidget(backgroundButton);
    layout->addSpacing(GroupGap);
    layout->addLayout(sideBySide(locationLabel, alignmentSelector));
    layout->addStretch(1);

    OverlayControls::indent({fileLabel, fontLabel, sizeLabel, opacityLabel, colorLabel,
                             locationLabel},
                            {fileSelector, fontsCombo, backgroundButton});
}

void SubtitlesDialog::Private::connectControls()
{
    PipObject *pip = pipObject.data();
    QObject::connect(fileSelector, &FilePathSelector::filePathChanged, pip, &PipObject::setFilePath);
    QObject::connect(fileSelector, &FilePathSelector::filePathChanged, q,
                     [this] { updateSaveButton(); });
    QObject::connect(fontsCombo, &FontsCombo::familyChanged, pip, &PipObject::setFontFamily);
    QObject::connect(sizeSlider, &DisplaySlider::percentValueChanged, pip, &PipObject::setSize);
    QObject::connect(opacitySlider, &DisplaySlider::percentValueChanged, pip,
                     &PipObject::setOpacity);
    QObject::connect(backgroundButton, &KelButton::toggled, q, [this] { applyColors(); });
    QObject::connect(colorSelector, &ColorSelector::colorChanged, q, [this] { applyColors(); });
    QObject::connect(alignmentSelector, &AlignmentSelector::alignmentChanged, pip,
                     &PipObject::setAlignment);
}

void SubtitlesDialog::Private::applyColors()
{
    const QColor color = colorSelector->color();
    const bool background = backgroundButton->isChecked();
    colorSelector->setExtraColorsVisible(background);
    QColor text = color;
    QColor band = Qt::transparent;
    if (background) {
        if (isBlack(color)) {
            band = QColor(255, 255, 255, BandAlpha);
        } else if (isWhite(color)) {
            band = QColor(0, 0, 0, BandAlpha);
        } else {
            text = Qt::white;
            band = color;
            band.setAlphaF(ColouredBandAlpha);
        }
    } else if (!isBlackOrWhite(color)) {
        // Without a band only black and white text is offered; the change
        // comes back here.
        colorSelector->setColor(Qt::white);
        return;
    }
    pipObject->setBackgroundBrush(QBrush(band));
    pipObject->setForegroundBrush(QBrush(text));
    updateColorLabel();
}

void SubtitlesDialog::Private::updateColorLabel()
{
    colorLabel->setText(backgroundButton->isChecked() ? translate("Text style")
                                                      : translate("Text color"));
}

void SubtitlesDialog::Private::updateSaveButton()
{
    q->acceptButton()->setEnabled(!pipObject->filePath().isEmpty());
}

SubtitlesDialog::SubtitlesDialog(VideoItemPtr item, QWidget *parent)
    : VideoDialogBase(EditorMode, item, parent, QStringLiteral("SubtitlesDialog"), false),
      d(std::make_unique<Private>(this))
{
    d->buildControls();
    d->pipObject = item && item->subtitles()
            ? item->subtitles()->clone()
            : SettingsProvider::instance()->lastSubtitlesPipObject();
    playerWidget()->setPipFrame(d->pipObject, item ? item->watermark() : PipObjectPtr());
    d->connectControls();
    loadData();
    translateUi();
}

SubtitlesDialog::~SubtitlesDialog() = default;

PipObjectPtr SubtitlesDialog::pipObject() const
{
    return d->pipObject;
}

void SubtitlesDialog::loadData()
{
    const PipObjectPtr &pip = d->pipObject;
    const QBrush band = pip->backgroundBrush();
    const bool background = band.style() == Qt::SolidPattern && band.color().alpha() > 0;
    QColor shown = pip->foregroundBrush().color();
    if (background && !isBlackOrWhite(band.color())) {
        shown = band.color();
        shown.setAlpha(255);
    }
    d->fileSelector->setPath(pip->filePath());
    d->fontsCombo->setFamily(pip->fontFamily());
    d->sizeSlider->setPercentValue(pip->size());
    d->opacitySlider->setPercentValue(pip->opacity());
    d->colorSelector->setColorSilently(shown);
    d->colorSelector->setExtraColorsVisible(background);
    d->backgroundButton->setCheckedState(background);
    d->alignmentSelector->setAlignment(pip->alignment());
    d->updateSaveButton();
    d->updateColorLabel();
}

bool SubtitlesDialog::onAccept()
{
    if (!itemTakesEdits())
        return false;
    return OverlayControls::save(d->pipObject, item(), &SettingsProvider::storeLastSubtitles,
                                 &VideoItem::setSubtitles);
}

void SubtitlesDialog::translateUi()
{
    setTitle(translate("Add subtitles"));
    acceptButton()->setText(translate("Save"));
    rejectButton()->setText(translate("Cancel"));
    // The source text's spelling is kept: translations are keyed by it.
    d->fileLabel->setText(translate("Subtiles"));
    d->fileSelector->setPlaceholderText(translate("Click here to select file..."));
    d->fontLabel->setText(translate("Font"));
    d->sizeLabel->setText(translate("Size"));
    d->opacityLabel->setText(translate("Transparency"));
    d->opacitySlider->setSuffix(translate("%"));
    d->backgroundButton->setText(translate("Text background"));
    d->locationLabel->setText(translate("Location"));
    d->updateColorLabel();
    VideoDialogBase::translateUi();
}

#include "moc_subtitlesdialog.cpp"
