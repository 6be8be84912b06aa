#include "ui/mainwindow/dropindicator.h"

#include "painting/kelpainting.h"
#include "styles/kelstyle.h"
#include "ui/style.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

const char Context[] = "MainWindow_CardsArea";
constexpr int AccentColorId = KelStyle::CL_Accent;
constexpr int BackgroundColorId = Style::CL_List_Base;
constexpr double Radius = 8;
constexpr int HintTopOffset = 18;
const QSize HintBox(59, 70);
const QPoint HintTextOffset(17, 7);

} // namespace

class DropIndicator::Private
{
public:
    int mode = Placard;
    QColor accentColor;
    QColor backgroundColor;
    QString dropText;
    QPoint hintPoint;
    QString hintText;
};

DropIndicator::DropIndicator(int mode, QWidget *parent)
    : QWidget(parent), KelStyleable(-1), d(new Private)
{
    d->mode = mode;
    setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont font(QStringLiteral("Segoe UI"));
    font.setPixelSize(20);
    font.setWeight(57);
    setFont(font);
    applyStyle();
    translateUi();
    setObjectName(QStringLiteral("DropIndicator"));
}

DropIndicator::~DropIndicator() = default;

int DropIndicator::mode() const
{
    return d->mode;
}

void DropIndicator::setHintPoint(const QPoint &globalPos)
{
    QPoint point = mapFromGlobal(globalPos);
    point.setY(contentsRect().top() + HintTopOffset);
    d->hintPoint = point;
    update();
}

QPoint DropIndicator::hintPoint() const
{
    return d->hintPoint;
}

void DropIndicator::translateUi()
{
    d->dropText = QCoreApplication::translate(Context, "Drag & Drop file here");
    d->hintText = QCoreApplication::translate(Context, "Add files here");
    update();
}

void DropIndicator::applyStyle()
{
    if (KelStyle *style = kelStyle()) {
        d->accentColor = style->color(AccentColorId);
        d->backgroundColor = style->color(BackgroundColorId);
    }
    update();
}

QSize DropIndicator::minimumSizeHint() const
{
    return {100, 100};
}

void DropIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const double dpr = devicePixelRatioF();
    const QRectF rect = KelPainting::snapRectToPixels(contentsRect(), dpr);
    painter.fillRect(rect, d->backgroundColor);

    QPen pen(d->accentColor, std::round(dpr) / dpr, Qt::CustomDashLine, Qt::SquareCap);
    pen.setDashPattern({8, 8});
    painter.setPen(pen);
    if (d->mode == Marker) {
        QColor fill = d->accentColor;
        fill.setAlphaF(0.1);
        painter.setBrush(fill);
    } else {
        painter.setBrush(Qt::NoBrush);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawRoundedRect(rect, Radius, Radius);
    if (d->mode != Placard)
        return;

    painter.setPen(d->accentColor);
    painter.setFont(font());
    painter.drawText(rect, Qt::AlignCenter, d->dropText);
    if (!d->hintPoint.isNull())
        paintHint(painter, dpr);
}

void DropIndicator::paintHint(QPainter &painter, double dpr)
{
    const QRectF box = KelPainting::snapRectToPixels(QRectF(d->hintPoint, HintBox), dpr);
    painter.drawText(box.bottomRight() + HintTextOffset, d->hintText);

    QPainterPath arrow(box.topLeft());
    arrow.cubicTo(QPointF(box.left(), box.center().y()), box.bottomLeft(), box.bottomRight());
    const QPointF tip = d->hintPoint;
    arrow.moveTo(tip + QPointF(-12, 16));
    arrow.lineTo(tip);
    arrow.lineTo(tip + QPointF(12, 16));

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(d->accentColor, std::ceil(2 * dpr) / dpr, Qt::SolidLine, Qt::SquareCap,
                        Qt::MiterJoin));
    painter.drawPath(arrow);
}

#include "moc_dropindicator.cpp"
