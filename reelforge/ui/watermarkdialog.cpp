#include "ui/watermarkdialog.h"

#include "datamodel/pip/pipframe.h"
#include "shared/settingsprovider.h"
#include "styles/kelstyle.h"
#include "ui/overlaycontrols.h"
#include "ui/player/playerwidget.h"
#include "ui/player/resizeroverlay.h"
#include "ui/style.h"
#include "ui/ui.h"
#include "ui/widgets/badgedbutton.h"
#include "ui/widgets/buttonswitcher.h"
#include "ui/widgets/displayslider.h"
#include "ui/widgets/filepathselector.h"
#include "ui/widgets/fontscombo.h"
#include "widgets/kelbutton.h"
#include "widgets/kelexclusivebuttongroup.h"
#include "widgets/kelframe.h"
#include "widgets/kellabel.h"
#include "widgets/kellineedit.h"

#include <QBoxLayout>
#include <QCoreApplication>

namespace {

constexpr int OverlayStyleId = Style::WT_ResizerOverlay;
constexpr int SwitcherStyleId = Style::WT_Frame_Panel;
constexpr int SwitcherButtonStyleId = Style::WT_Button_Segment_34;
constexpr int TextEditStyleId = KelStyle::WT_LineEdit;
constexpr int AngleSliderStyleId = Style::WT_Slider_Line;
constexpr int SpinBoxStyleId = Style::WT_SpinBox_Compact;
constexpr int CentralMinimumHeight = 580;
// Move, the four rotate rings and the four corners; the edges would lose
// the watermark's aspect.
constexpr int OverlayOperations = ResizerOverlay::Move | ResizerOverlay::Rotate
        | ResizerOverlay::Corners;
constexpr int OverlayExtent = 10;
constexpr int SwitcherGap = 9;

QString translate(const char *text)
{
    return QCoreApplication::translate("Dialog_Watermark", text);
}

QRectF scaled(const QRectF &rect, qreal factor)
{
    return QRectF(rect.topLeft() * factor, rect.size() * factor);
}

} // namespace

class WatermarkDialog::Private
{
public:
    explicit Private(WatermarkDialog *q) : q(q) { }

    void buildControls();
    void connectControls();
    void onPropertyChanged(PipObject::Property property, const QVariant &value);
    void showTypeBox();
    void updateSaveButton();
    void showAngle(int angle);
    void placeOverlay();
    void syncBox(bool showResizer, const QRectF &rect);
    void writeBox(const QRectF &rect);

    WatermarkDialog *q;
    PipObjectPtr pipObject;
    QWidget *imageBox = nullptr;
    QWidget *textBox = nullptr;
    ResizerOverlay *overlay = nullptr;
    ButtonSwitcher *typeSwitcher = nullptr;
    KelLabel *fileLabel = nullptr;
    FilePathSelector *fileSelector = nullptr;
    KelLabel *textLabel = nullptr;
    KelLineEdit *textEdit = nullptr;
    KelLabel *fontLabel = nullptr;
    FontsCombo *fontsCombo = nullptr;
    KelLabel *sizeLabel = nullptr;
    DisplaySlider *sizeSlider = nullptr;
    KelLabel *opacityLabel = nullptr;
    DisplaySlider *opacitySlider = nullptr;
    KelLabel *locationLabel = nullptr;
    ButtonSwitcher *locationSwitcher = nullptr;
    KelLabel *angleLabel = nullptr;
    DisplaySlider *angleSlider = nullptr;
    // The painter's last report while the box was being dragged.
    bool boxReportPending = false;
    bool pendingShowResizer = false;
    QRectF pendingRect;
};

void WatermarkDialog::Private::buildControls()
{
    typeSwitcher = new ButtonSwitcher(SwitcherStyleId, SwitcherButtonStyleId);
    typeSwitcher->setObjectName(QStringLiteral("TypeSwitcher"));
    typeSwitcher->addButton(int(PipObject::ImageWatermark));
    typeSwitcher->addButton(int(PipObject::TextWatermark));

    using namespace OverlayControls;
    fileLabel = label("FileLabel");
    fileSelector = OverlayControls::fileSelector([this] {
        auto *ui = dynamic_cast<Ui *>(kelUi());
        return ui ? ui->selectWatermarkFile(pipObject->filePath()) : QString();
    });
    textLabel = label("TextLabel");
    textEdit = new KelLineEdit(TextEditStyleId);
    textEdit->setObjectName(QStringLiteral("TextEdit"));
    fontLabel = label("FontLabel");
    fontsCombo = OverlayControls::fontsCombo();
    sizeLabel = label("SizeLabel");
    sizeSlider = percentSlider("SizeSlider");
    opacityLabel = label("OpacityLabel");
    opacitySlider = percentSlider("OpacitySlider");
    locationLabel = label("LocationLabel");
    locationSwitcher = new ButtonSwitcher(SwitcherStyleId, SwitcherButtonStyleId);
    locationSwitcher->setObjectName(QStringLiteral("LocationSwitcher"));
    locationSwitcher->addButton(int(PipObject::Free));
    locationSwitcher->addButton(int(PipObject::Tile));
    angleLabel = label("AngleLabel");
    angleSlider = new DisplaySlider(-90, 90, AngleSliderStyleId, SpinBoxStyleId);
    angleSlider->setObjectName(QStringLiteral("AngleSlider"));
    angleSlider->setSuffix(QStringLiteral("°"));

    imageBox = new QWidget;
    imageBox->setObjectName(QStringLiteral("ImageBox"));
    auto *image = new QVBoxLayout(imageBox);
    image->setContentsMargins(0, 0, 0, 0);
    image->setSpacing(0);
    addRow(image, fileLabel, FieldGap, fileSelector, RowGap);

    textBox = new QWidget;
    textBox->setObjectName(QStringLiteral("TextBox"));
    auto *text = new QVBoxLayout(textBox);
    text->setContentsMargins(0, 0, 0, 0);
    text->setSpacing(0);
    addRow(text, textLabel, FieldGap, textEdit, RowGap);
    addRow(text, fontLabel, FieldGap, fontsCombo, RowGap);

    auto *layout = new QVBoxLayout(q->rightBox());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(typeSwitcher);
    layout->addSpacing(RowGap);
    layout->addWidget(imageBox);
    layout->addWidget(textBox);
    addRow(layout, sizeLabel, SliderGap, sizeSlider, RowGap);
    addRow(layout, opacityLabel, SliderGap, opacitySlider, GroupGap);
    addRow(layout, locationLabel, SwitcherGap, locationSwitcher, RowGap);
    addRow(layout, angleLabel, SliderGap, angleSlider);
    layout->addStretch(1);

    OverlayControls::indent({typeSwitcher, fileLabel, textLabel, fontLabel, sizeLabel, opacityLabel,
                             locationLabel, angleLabel, locationSwitcher},
                            {typeSwitcher, textEdit, fileSelector, fontsCombo, locationSwitcher});

    overlay = new ResizerOverlay(OverlayStyleId, q);
    overlay->setObjectName(QStringLiteral("CropResizer"));
    overlay->setKeepAspect(true);
    overlay->setAllowedOperations(OverlayOperations);
    overlay->setAngleRange(-90, 90);
}

void WatermarkDialog::Private::connectControls()
{
    PipObject *pip = pipObject.data();
    QObject::connect(typeSwitcher, &ButtonSwitcher::toggled, pip, [pip](const QVariant &value) {
        pip->setType(PipObject::Type(value.toInt()));
    });
    QObject::connect(fileSelector, &FilePathSelector::filePathChanged, pip, &PipObject::setFilePath);
    QObject::connect(fileSelector, &FilePathSelector::filePathChanged, q,
                     [this] { updateSaveButton(); });
    QObject::connect(textEdit, &QLineEdit::textEdited, pip, &PipObject::setText);
    QObject::connect(textEdit, &QLineEdit::textEdited, q, [this] { updateSaveButton(); });
    QObject::connect(fontsCombo, &FontsCombo::familyChanged, pip, &PipObject::setFontFamily);
    QObject::connect(sizeSlider, &DisplaySlider::percentValueChanged, pip, &PipObject::setSize);
    QObject::connect(opacitySlider, &DisplaySlider::percentValueChanged, pip,
                     &PipObject::setOpacity);
    QObject::connect(locationSwitcher, &ButtonSwitcher::toggled, pip, [pip](const QVariant &value) {
        pip->setLocation(PipObject::Location(value.toInt()));
    });
    QObject::connect(angleSlider, &DisplaySlider::intValueChanged, q, [this](int angle) {
        pipObject->setAngle(angle);
        showAngle(angle);
    });
    QObject::connect(pip, &PipObject::propertyChanged, q,
                     [this](PipObject::Property property, const QVariant &value) {
                         onPropertyChanged(property, value);
                     });

    PlayerWidget *view = q->playerWidget();
    QObject::connect(view, &KelWidget::resized, q, [this] { placeOverlay(); });
    QObject::connect(view, &PlayerWidget::frameRectChanged, q, [this] { placeOverlay(); });
    QObject::connect(overlay, &ResizerOverlay::rotationAngleChanged, q, [this](double degrees) {
        const int angle = qRound(degrees);
        pipObject->setAngle(angle);
        showAngle(angle);
    });
    // Both ways are queued: each side answers the other's report from the
    // event loop, never inside its own change.
    QObject::connect(
            overlay, &ResizerOverlay::relativeSelectionChanged, q,
            [this](const QRectF &rect) { writeBox(rect); }, Qt::QueuedConnection);
    if (PipFrame *frame = view->watermarkFrame()) {
        QObject::connect(
                frame, &PipFrame::pixelGeometryChanged, q,
                [this](bool showResizer, const QRectF &rect) { syncBox(showResizer, rect); },
                Qt::QueuedConnection);
    }
    QObject::connect(overlay, &ResizerOverlay::changeFinished, q, [this] {
        if (!boxReportPending)
            return;
        boxReportPending = false;
        syncBox(pendingShowResizer, pendingRect);
    });
}

void WatermarkDialog::Private::onPropertyChanged(PipObject::Property property, const QVariant &value)
{
    switch (property) {
    case PipObject::Property::Type:
        showTypeBox();
        updateSaveButton();
        break;
    case PipObject::Property::Size:
        sizeSlider->setPercentValueSilently(value.toDouble());
        break;
    case PipObject::Property::Angle:
        showAngle(value.toInt());
        break;
    default:
        break;
    }
}

void WatermarkDialog::Private::showTypeBox()
{
    const bool text = pipObject->type() == PipObject::TextWatermark;
    textBox->setVisible(text);
    imageBox->setVisible(!text);
}

void WatermarkDialog::Private::updateSaveButton()
{
    const QString value = pipObject->type() == PipObject::TextWatermark
            ? pipObject->text().trimmed()
            : pipObject->filePath();
    q->acceptButton()->setEnabled(!value.isEmpty());
}

void WatermarkDialog::Private::showAngle(int angle)
{
    angleSlider->setIntValueSilently(angle);
    overlay->setRotationAngleQuiet(angle);
}

void WatermarkDialog::Private::placeOverlay()
{
    PlayerWidget *view = q->playerWidget();
    const QPoint origin = view->mapTo(q, QPoint(0, 0));
    overlay->setGeometry(0, 0, origin.x() + OverlayExtent + view->width(),
                         origin.y() + OverlayExtent + view->height());
    overlay->setWorkingRect(QRectF(view->frameRect().translated(origin)));
    overlay->raise();
}

// The painter measures in device pixels of the picture, the box editor in
// logical pixels.
void WatermarkDialog::Private::syncBox(bool showResizer, const QRectF &rect)
{
    if (overlay->isChanging()) {
        boxReportPending = true;
        pendingShowResizer = showResizer;
        pendingRect = rect;
        return;
    }
    // An empty box has no aspect ratio to keep.
    const bool shown = showResizer && !rect.isEmpty();
    overlay->setVisible(shown);
    if (!shown)
        return;
    const QRectF box = scaled(rect, 1.0 / q->devicePixelRatioF());
    overlay->setAspectRatio(box.width() / box.height());
    overlay->setRelativeSelectionQuiet(box);
}

void WatermarkDialog::Private::writeBox(const QRectF &rect)
{
    if (PipFrame *frame = q->playerWidget()->watermarkFrame())
        frame->writePixelGeometry(scaled(rect, q->devicePixelRatioF()));
}

WatermarkDialog::WatermarkDialog(VideoItemPtr item, QWidget *parent)
    : VideoDialogBase(EditorMode, item, parent, QStringLiteral("WatermarkDialog"), false),
      d(std::make_unique<Private>(this))
{
    d->buildControls();
    d->pipObject = item && item->watermark()
            ? item->watermark()->clone()
            : SettingsProvider::instance()->lastWatermarkPipObject();
    playerWidget()->setPipFrame(item ? item->subtitles() : PipObjectPtr(), d->pipObject);
    d->connectControls();
    loadData();
    translateUi();
    centralWidget()->setMinimumHeight(CentralMinimumHeight);
}

WatermarkDialog::~WatermarkDialog() = default;

PipObjectPtr WatermarkDialog::pipObject() const
{
    return d->pipObject;
}

ResizerOverlay *WatermarkDialog::overlay() const
{
    return d->overlay;
}

void WatermarkDialog::loadData()
{
    const PipObjectPtr &pip = d->pipObject;
    d->typeSwitcher->group()->setCheckedSilently(int(pip->type()));
    d->fileSelector->setPath(pip->filePath());
    d->textEdit->setText(pip->text());
    d->fontsCombo->setFamily(pip->fontFamily());
    d->opacitySlider->setPercentValue(pip->opacity());
    d->locationSwitcher->group()->setCheckedSilently(int(pip->location()));
    d->showTypeBox();
    d->updateSaveButton();
    d->sizeSlider->setPercentValueSilently(pip->size());
    d->angleSlider->setIntValueSilently(pip->angle());
    d->overlay->setRotationAngleQuiet(pip->angle());
}

bool WatermarkDialog::onAccept()
{
    if (!itemTakesEdits())
        return false;
    return OverlayControls::save(d->pipObject, item(), &SettingsProvider::storeLastWatermark,
                                 &VideoItem::setWatermark);
}

void WatermarkDialog::translateUi()
{
    setTitle(translate("Add watermark"));
    acceptButton()->setText(translate("Save"));
    rejectButton()->setText(translate("Cancel"));
    const QList<QPointer<KelButton>> types = d->typeSwitcher->group()->buttons();
    types.at(0)->setText(translate("Image"));
    types.at(1)->setText(translate("Text"));
    d->fileLabel->setText(translate("Watermark"));
    d->fileSelector->setPlaceholderText(translate("Click here to select file..."));
    d->textLabel->setText(translate("Watermark text"));
    d->textEdit->setPlaceholderText(translate("Add your text here"));
    d->fontLabel->setText(translate("Font"));
    d->sizeLabel->setText(translate("Size"));
    d->opacityLabel->setText(translate("Transparency"));
    d->locationLabel->setText(translate("Location"));
    const QList<QPointer<KelButton>> locations = d->locationSwitcher->group()->buttons();
    locations.at(0)->setText(translate("Free"));
    locations.at(1)->setText(translate("Tiled"));
    d->angleLabel->setText(translate("Angle"));
    VideoDialogBase::translateUi();
}

#include "moc_watermarkdialog.cpp"
