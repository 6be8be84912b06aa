#include "ui/progressbar.h"

#include "painting/kelpainting.h"
#include "shared/formatters.h"
#include "styles/kelstyle.h"
#include "ui/style.h"
#include "utils/kelstatecolors.h"
#include "widgets/keliconlabel.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

constexpr int BarHeight = 6;
constexpr int CornerRadius = 3;
// Room below the texts for the bar.
constexpr int BarRoom = 17;
constexpr int TrackColor = Style::CL_Gray_8;
constexpr int ProgressColor = Style::CL_Progress;
constexpr int PausedColor = Style::CL_Gray_5;
constexpr int FontSize = 14;
constexpr int NormalWeight = 50;
constexpr int BoldWeight = 63;

QString translate(const char *text)
{
    return QCoreApplication::translate("ProgressBar", text);
}

QBoxLayout *bareBox()
{
    auto *box = new QHBoxLayout;
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    return box;
}

bool isWhole(double value)
{
    return qFuzzyCompare(value, std::round(value));
}

} // namespace

class ProgressBar::Private
{
public:
    int barHeight = BarHeight;
    int cornerRadius = CornerRadius;
    QColor trackColor;
    QColor progressColor;
    QColor pausedColor;
    KelIconLabel *statusLabel = nullptr;
    KelIconLabel *percentLabel = nullptr;
    KelIconLabel *counterLabel = nullptr;
    bool importing = false;
    bool scheduled = false;
    QTime remaining;
};

ProgressBar::ProgressBar(QWidget *parent)
    : KelProgressBar(-1, parent, true), d(std::make_unique<Private>())
{
    d->statusLabel = new KelIconLabel(-1, this, true);
    d->percentLabel = new KelIconLabel(-1, this, true);
    d->counterLabel = new KelIconLabel(-1, this, true);
    // The two parts read as one text: "Remaining: 01:20", "2/5". Hugging
    // their texts keeps them together at the bar's ends.
    for (KelIconLabel *label : {d->statusLabel, d->counterLabel}) {
        label->setTextLayoutMode(1);
        label->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    }

    QBoxLayout *left = bareBox();
    left->addWidget(d->statusLabel, 1);
    left->addStretch();
    QBoxLayout *right = bareBox();
    right->addStretch();
    right->addWidget(d->counterLabel, 1);
    QBoxLayout *row = bareBox();
    row->setContentsMargins(0, 0, 0, BarRoom);
    row->addLayout(left, 1);
    row->addWidget(d->percentLabel, 0);
    row->addLayout(right, 1);
    setLayout(row);

    setTextVisible(false);
    setRange(0, 1000);
    setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);

    applyStyle();
    setImporting();
}

ProgressBar::~ProgressBar() = default;

void ProgressBar::applyStyle()
{
    applyStyleOf(kelStyle());
}

void ProgressBar::applyStyleOf(const KelStyle *style)
{
    const KelStateColors text(style->defaultTextColor());

    d->statusLabel->setTextColors(text);
    d->statusLabel->setSpacing(4);
    d->statusLabel->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    d->statusLabel->setFont(FontSize, NormalWeight);
    d->statusLabel->setSecondFont(FontSize, BoldWeight);

    d->percentLabel->setTextColors(text);
    d->percentLabel->setFont(FontSize, BoldWeight);

    d->counterLabel->setTextColors(text);
    d->counterLabel->setSpacing(0);
    d->counterLabel->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    d->counterLabel->setFont(FontSize, NormalWeight);
    d->counterLabel->setSecondTextColors(KelStateColors(style->defaultSecondTextColor()));

    d->barHeight = BarHeight;
    d->cornerRadius = CornerRadius;
    d->trackColor = style->color(TrackColor);
    d->progressColor = style->color(ProgressColor);
    d->pausedColor = style->color(PausedColor);
    update();
}

void ProgressBar::setImporting()
{
    d->importing = true;
    setEnabled(false);
    d->percentLabel->setText(QString());
    setState(Normal);
    refreshTexts();
}

void ProgressBar::setScheduled()
{
    d->importing = false;
    d->scheduled = true;
    setEnabled(false);
    setState(Normal);
    refreshTexts();
}

void ProgressBar::setProgress(int perMille)
{
    d->importing = false;
    d->scheduled = false;
    setEnabled(true);
    setState(Normal);
    setValue(perMille);
    d->percentLabel->setText(QStringLiteral("%1%").arg(perMille / 10));
    refreshTexts();
}

void ProgressBar::setPaused(bool paused)
{
    setState(paused ? Paused : Normal);
    refreshTexts();
    update();
}

void ProgressBar::setRemainingTime(const QTime &remaining)
{
    d->remaining = remaining;
    refreshTexts();
}

void ProgressBar::setCounter(int done, int total)
{
    if (total >= 1 && done <= total) {
        d->counterLabel->setText(QString::number(done));
        d->counterLabel->setSecondText(QStringLiteral("/%1").arg(total));
    } else {
        d->counterLabel->setText(QString());
        d->counterLabel->setSecondText(QString());
    }
}

KelIconLabel *ProgressBar::statusLabel() const
{
    return d->statusLabel;
}

KelIconLabel *ProgressBar::percentLabel() const
{
    return d->percentLabel;
}

KelIconLabel *ProgressBar::counterLabel() const
{
    return d->counterLabel;
}

void ProgressBar::translateUi()
{
    refreshTexts();
}

QSize ProgressBar::sizeHint() const
{
    return QSize(KelProgressBar::sizeHint().width(), layout()->sizeHint().height());
}

QSize ProgressBar::minimumSizeHint() const
{
    return QSize(KelProgressBar::minimumSizeHint().width(), layout()->minimumSize().height());
}

void ProgressBar::refreshTexts()
{
    QString status;
    QString detail;
    if (state() == Paused) {
        status = translate("Paused");
    } else if (d->importing) {
        status = translate("Importing...");
    } else if (d->scheduled) {
        status = translate("Scheduled");
    } else if (!d->remaining.isValid()) {
        status = translate("Calculating...");
    } else {
        status = translate("Remaining:");
        detail = formatTime(d->remaining);
    }
    d->statusLabel->setText(status);
    d->statusLabel->setSecondText(detail);
}

void ProgressBar::paintEvent(QPaintEvent *)
{
    QRectF bar = contentsRect();
    bar.setTop(bar.bottom() - d->barHeight);
    const double ratio = devicePixelRatioF();
    if (!isWhole(ratio))
        bar = KelPainting::snapRectToPixels(bar, ratio);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QPainterPath track;
    track.addRoundedRect(bar, d->cornerRadius, d->cornerRadius);
    painter.fillPath(track, d->trackColor);

    if (value() <= 0)
        return;
    const int range = maximum() - minimum();
    const double fraction = range == 0 ? 0.0 : double(value()) / range;
    painter.setClipPath(track);
    QRectF filled = bar;
    filled.setWidth(bar.width() * fraction);
    painter.fillRect(filled, state() == Paused ? d->pausedColor : d->progressColor);
}

#include "moc_progressbar.cpp"
