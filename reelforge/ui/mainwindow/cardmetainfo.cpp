#include "ui/mainwindow/cardmetainfo.h"

#include "core/appservices.h"
#include "datamodel/codecinfo.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "shared/formattables.h"
#include "shared/formatters.h"
#include "styles/kelstyle.h"
#include "ui/mainwindow/cardresources.h"
#include "ui/style.h"
#include "ui/widgets/compressionlevelcombo.h"
#include "ui/widgets/formatscombo.h"
#include "ui/widgets/resolutionscombo.h"
#include "widgets/kelbutton.h"
#include "widgets/keliconlabel.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QPainter>

namespace {

const QString FormatIcon = QStringLiteral(":/svg/meta-format.svg");
const QString MusicIcon = QStringLiteral(":/svg/meta-format-music.svg");
const QString Blank = QStringLiteral(" ");

constexpr int CellStyle = Style::WT_Card_Cell;

bool isAudioFormat(const QString &format)
{
    const FormatTables *tables = appServices().formatTables;
    return tables && tables->outputAudioFormats().contains(format);
}

bool hasAudio(const CodecInfo &codec)
{
    return codec.samplerate() >= 1 && codec.channelCount() >= 1;
}

} // namespace

class CardMetainfo::Private
{
public:
    int mode = Source;
    bool placeholder = true;
    // In the order format, resolution, duration, size or compression.
    QVector<QWidget *> cells;
    QVector<KelButtonPainter *> painters;
    // The source block's labels.
    QVector<KelIconLabel *> labels;
    // The target block's controls.
    FormatsCombo *formats = nullptr;
    ResolutionsCombo *resolutions = nullptr;
    KelButton *duration = nullptr;
    CompressionLevelCombo *compression = nullptr;

    KelButtonPainter *formatCell() const { return painters.value(0); }
};

CardMetainfo::CardMetainfo(int mode, QWidget *parent)
    : KelFrame(Style::WT_Frame_Outlined, parent), d(std::make_unique<Private>())
{
    initCardResources();
    d->mode = mode == Target ? Target : Source;

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(2);

    auto addCell = [this, grid](QWidget *widget, KelButtonPainter *painter, int row, int column,
                                const char *icon) {
        painter->setIcon(icon);
        grid->addWidget(widget, row, column);
        d->cells.append(widget);
        d->painters.append(painter);
    };

    if (d->mode == Source) {
        static const char *const icons[] = {":/svg/meta-format.svg", ":/svg/meta-resolution.svg",
                                            ":/svg/meta-duration.svg", ":/svg/meta-filesize.svg"};
        for (int i = 0; i < 4; ++i) {
            auto *label = new KelIconLabel(CellStyle, this);
            d->labels.append(label);
            addCell(label, label, i / 2, i % 2, icons[i]);
        }
        setEnabled(false);
    } else {
        d->formats = new FormatsCombo(CellStyle, this);
        d->resolutions = new ResolutionsCombo(CellStyle, this);
        d->duration = new KelButton(CellStyle, this);
        d->compression = new CompressionLevelCombo(CellStyle, this);
        addCell(d->formats, d->formats, 0, 0, ":/svg/meta-format.svg");
        addCell(d->resolutions, d->resolutions, 0, 1, ":/svg/meta-resolution.svg");
        addCell(d->duration, d->duration, 1, 0, ":/svg/meta-duration.svg");
        addCell(d->compression, d->compression, 1, 1, ":/svg/meta-filesize.svg");
        connect(d->duration, &KelButton::clicked, this, &CardMetainfo::trimClicked);
        connect(this, &KelWidget::enabledChanged, this, &CardMetainfo::refresh);
        setEnabled(false);
    }
    updateTexts();
}

CardMetainfo::~CardMetainfo() = default;

int CardMetainfo::mode() const
{
    return d->mode;
}

bool CardMetainfo::isPlaceholder() const
{
    return d->placeholder;
}

void CardMetainfo::refresh()
{
    if (d->mode == Target && isEnabled())
        d->compression->translateUi();
}

void CardMetainfo::videoItemAttached(VideoItemPtr item)
{
    VideoItem *it = item.data();
    CodecInfo *source = item->sourceCodecInfo().data();
    CodecInfo *target = item->targetCodecInfo().data();
    addConnection(connect(it, &VideoItem::stateChanged, this,
                          [this](VideoItem::State state) { onStateChanged(state); }));

    if (d->mode == Source) {
        // A history item shows its output's facts instead.
        addConnection(connect(it, &VideoItem::stateChanged, this, &CardMetainfo::updateTexts));
        addConnection(connect(source, &CodecInfo::formatChanged, this, &CardMetainfo::updateTexts));
        addConnection(
                connect(source, &CodecInfo::resolutionChanged, this, &CardMetainfo::updateTexts));
        addConnection(connect(source, &CodecInfo::bitrateChanged, this, &CardMetainfo::updateTexts));
    } else {
        const bool audio = isAudioFormat(target->format());
        d->compression->setEnabled(!audio);
        d->resolutions->setEnabled(!audio);
        addConnection(connect(target, &CodecInfo::formatChanged, this, &CardMetainfo::updateTexts));
        addConnection(
                connect(target, &CodecInfo::resolutionChanged, this, &CardMetainfo::updateTexts));
        addConnection(connect(target, &CodecInfo::bitrateChanged, this, &CardMetainfo::updateTexts));
        addConnection(connect(target, &CodecInfo::qualityChanged, this, &CardMetainfo::updateTexts));
        addConnection(
                connect(d->formats, &FormatsCombo::formatClicked, target, &CodecInfo::setFormat));
        addConnection(connect(d->resolutions, &ResolutionsCombo::resolutionClicked, target,
                              &CodecInfo::setResolution));
        addConnection(connect(d->compression, &CompressionLevelCombo::compressionLevelClicked, it,
                              &VideoItem::setCompressionLevel));
        addConnection(connect(it, &VideoItem::stateChanged, this, &CardMetainfo::updateTexts));
        addConnection(connect(it, &VideoItem::trimChanged, this, &CardMetainfo::updateTexts));
        if (audio)
            d->formatCell()->setIcon(MusicIcon);
        addConnection(connect(target, &CodecInfo::formatChanged, this,
                              &CardMetainfo::onTargetFormatChanged));
        addConnection(connect(source, &CodecInfo::resolutionChanged, this,
                              &CardMetainfo::onSourceResolutionChanged));
        // The sizes on offer follow the source from the start, not only
        // from its next change.
        onSourceResolutionChanged();
    }
    onStateChanged(item->state());
    updateTexts();
}

void CardMetainfo::videoItemDetached()
{
    setEnabled(false);
}

void CardMetainfo::onStateChanged(int state)
{
    const VideoItemPtr item = videoItem();
    setEnabled(d->mode == Target && item
               && (state == VideoItem::Imported || state == VideoItem::ConvertFailed));
    const bool placeholder = state == VideoItem::Importing || state == VideoItem::ImportFailed;
    if (placeholder == d->placeholder)
        return;
    d->placeholder = placeholder;
    updateTexts();
    update();
}

void CardMetainfo::updateTexts()
{
    const VideoItemPtr item = videoItem();
    if (d->placeholder || !item) {
        if (d->mode == Source) {
            for (KelIconLabel *label : qAsConst(d->labels))
                label->setText(Blank);
        } else {
            d->formats->setFormat(Blank);
            d->resolutions->setResolution(QSize());
            d->duration->setText(Blank);
            d->compression->setText(Blank);
        }
        return;
    }

    const CodecInfo &source = *item->sourceCodecInfo();
    const CodecInfo &target = *item->targetCodecInfo();
    if (d->mode == Source && item->state() == VideoItem::History) {
        // A history card shows the file that was written, from the item's
        // stored target: the same before and after a restart, whenever the
        // output's probe ends.
        const bool video = item->writesVideo();
        d->labels[0]->setText(formatNameUpper(target.format()));
        d->labels[1]->setText(video ? formatResolution(target.resolution()) : Blank);
        d->labels[2]->setText(formatDuration(item->trimmedDuration()));
        const QFileInfo output(item->targetFilePath());
        d->labels[3]->setText(output.isFile() ? formatFileSize(output.size()) : Blank);
        d->formatCell()->setIcon(video ? FormatIcon : MusicIcon);
        return;
    }
    if (d->mode == Source) {
        d->labels[0]->setText(formatNameUpper(source.format()));
        d->labels[1]->setText(formatResolution(source.resolution()));
        d->labels[2]->setText(formatDuration(item->duration()));
        d->labels[3]->setText(formatFileSize(item->sourceFileInfo().size()));
        d->formatCell()->setIcon(source.resolution().isEmpty() ? MusicIcon : FormatIcon);
        return;
    }

    const bool audio = hasAudio(source);
    const bool video = !source.resolution().isEmpty();
    int filter = 0;
    if (audio && video)
        filter = FormatsCombo::AllFormats;
    else if (video)
        filter = FormatsCombo::VideoFormats;
    else if (audio)
        filter = FormatsCombo::AudioFormats;
    d->formats->setFormatsFilter(filter);
    d->formats->setFormat(target.format());
    // A target without a picture has no frame size, whatever size the
    // record still carries from the source.
    d->resolutions->setResolution(item->writesVideo() ? target.resolution() : QSize());
    d->duration->setText(formatDuration(item->trimmedDuration()));
    const VideoItem::State state = item->state();
    if (state == VideoItem::Imported || state == VideoItem::ConvertFailed)
        d->compression->setLevel(item->compressionLevel());
}

void CardMetainfo::onTargetFormatChanged(const QString &format)
{
    const VideoItemPtr item = videoItem();
    if (!item)
        return;
    const bool audio = isAudioFormat(format);
    const bool noVideoSource = item->sourceCodecInfo()->resolution().isEmpty();
    const bool noVideoCodec = item->targetCodecInfo()->videoCodecName().isEmpty();
    d->formatCell()->setIcon(audio ? MusicIcon : FormatIcon);
    if (noVideoCodec || !item->writesVideo())
        d->resolutions->setResolution(QSize());
    else
        d->resolutions->setResolution(item->targetCodecInfo()->resolution());
    const bool editable = !audio && !noVideoSource && !noVideoCodec;
    d->resolutions->setEnabled(editable);
    d->compression->setEnabled(editable);
}

void CardMetainfo::onSourceResolutionChanged()
{
    const VideoItemPtr item = videoItem();
    if (!item)
        return;
    d->resolutions->fill(item->sourceCodecInfo()->resolution(), item->rotation() % 180 != 0);
}

void CardMetainfo::paintEvent(QPaintEvent *event)
{
    KelFrame::paintEvent(event);
    if (!d->placeholder)
        return;
    KelPaintContext ctx(this);
    QPainter *painter = ctx.painter();
    painter->setPen(Qt::NoPen);
    painter->setBrush(kelStyle()->color(Style::CL_Gray_8));
    painter->setRenderHint(QPainter::Antialiasing);
    for (QWidget *cell : qAsConst(d->cells)) {
        const QRectF bar
                = KelPainting::snapRectToPixels(QRectF(cell->geometry()).adjusted(32, 9, -32, -9),
                                                ctx.devicePixelRatio());
        if (!bar.isEmpty())
            painter->drawRoundedRect(bar, 2, 2);
    }
}

#include "moc_cardmetainfo.cpp"
