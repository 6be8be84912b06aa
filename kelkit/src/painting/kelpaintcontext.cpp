#include "painting/kelpaintcontext.h"

#include "painting/kelbuttonpainter.h"
#include "painting/kelicon.h"
#include "painting/kelpainting.h"

#include <QDebug>
#include <QHash>
#include <QStyleOption>
#include <QWidget>

#include <cmath>

namespace {

constexpr double Epsilon = 1e-12;

// Open contexts by device, counting nested ones.
QHash<const QPaintDevice *, int> &openContexts()
{
    static QHash<const QPaintDevice *, int> contexts;
    return contexts;
}

QString deviceName(QPaintDevice *device)
{
    if (device->devType() == QInternal::Widget) {
        auto *widget = static_cast<QWidget *>(device);
        // A button is best known by what it shows.
        if (auto *button = dynamic_cast<KelButtonPainter *>(widget)) {
            if (!button->text().isEmpty())
                return button->text();
            if (button->icon() && !button->icon()->path().isEmpty())
                return button->icon()->path();
        }
        const QString name = widget->objectName();
        if (!name.isEmpty())
            return name;
    }
    return QStringLiteral("0x%1").arg(quintptr(device), 8, 16, QLatin1Char('0'));
}

// A logical coordinate of a device whose origin lies at the device
// position offset, snapped to a whole device pixel and given back relative
// to the origin rounded the same way.
double snapAt(double value, double offset, double ratio)
{
    return (std::round(offset + value * ratio) - std::round(offset)) / ratio;
}

} // namespace

KelPaintContext::KelPaintContext(QPaintDevice *device)
{
    if (device)
        begin(device);
    setUp(device ? QRectF(0, 0, device->width(), device->height()) : QRectF());
}

KelPaintContext::KelPaintContext(QPainter *painter, const QStyleOption *option)
    : m_externalPainter(painter)
{
    setUp(option ? QRectF(option->rect) : QRectF());
}

KelPaintContext::~KelPaintContext()
{
    if (!m_device)
        return;
    if (KelPainting::dbgPaintKelPaintContext())
        paintDiagnostics();
    auto &contexts = openContexts();
    auto it = contexts.find(m_device);
    if (it != contexts.end() && --it.value() <= 0)
        contexts.erase(it);
    painter()->restore();
}

QPainter *KelPaintContext::painter()
{
    return m_externalPainter ? m_externalPainter : this;
}

double KelPaintContext::devicePixelRatio() const
{
    return m_devicePixelRatio;
}

QRectF KelPaintContext::rect() const
{
    return m_rect;
}

void KelPaintContext::setUp(const QRectF &rect)
{
    QPainter *p = painter();
    QPaintDevice *device = p ? p->device() : nullptr;
    if (!device) {
        qWarning() << "Trying to init null device painter!";
        return;
    }
    p->save();
    m_devicePixelRatio = device->devicePixelRatioF();
    const double ratio = m_devicePixelRatio;
    QRectF r = rect;
    if (std::abs(ratio - std::trunc(ratio)) > Epsilon) {
        // Move the origin onto a device pixel, then each edge onto the
        // device pixel its place on the device rounds to. That is where
        // the widget's clip ends too; rounding the size on its own may
        // land one pixel past it and cut the last row or column.
        const QTransform transform = p->deviceTransform();
        const double dx = transform.dx();
        const double dy = transform.dy();
        p->translate((std::round(dx) - dx) / ratio, (std::round(dy) - dy) / ratio);
        r.setCoords(snapAt(rect.left(), dx, ratio), snapAt(rect.top(), dy, ratio),
                    snapAt(rect.right(), dx, ratio), snapAt(rect.bottom(), dy, ratio));
    }
    m_rect = r;

    m_device = device;
    auto &contexts = openContexts();
    auto it = contexts.find(device);
    if (it != contexts.end()) {
        qWarning() << "KelPaintContext: Recursive context creation detected for"
                   << deviceName(device);
        ++it.value();
    } else {
        contexts.insert(device, 1);
    }
}

void KelPaintContext::paintDiagnostics()
{
    QPainter *p = painter();
    const double u = 1.0 / m_devicePixelRatio;
    const QRectF r = m_rect;
    const double strip = 6 * u;
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);

    const QColor blue = KelPainting::diagBlue();
    const QColor green = KelPainting::diagGreen();
    p->fillRect(QRectF(r.left(), r.top(), strip, u), blue);
    p->fillRect(QRectF(r.left(), r.top(), u, strip), blue);
    p->fillRect(QRectF(r.right() - strip, r.bottom() - u, strip, u), blue);
    p->fillRect(QRectF(r.right() - u, r.bottom() - strip, u, strip), blue);
    p->fillRect(QRectF(r.right() - strip, r.top(), strip, u), green);
    p->fillRect(QRectF(r.right() - u, r.top(), u, strip), green);
    p->fillRect(QRectF(r.left(), r.bottom() - u, strip, u), green);
    p->fillRect(QRectF(r.left(), r.bottom() - strip, u, strip), green);

    const QColor red = KelPainting::diagRed();
    const double square = 2 * u;
    p->fillRect(QRectF(r.left(), r.top(), square, square), red);
    p->fillRect(QRectF(r.right() - square, r.top(), square, square), red);
    p->fillRect(QRectF(r.left(), r.bottom() - square, square, square), red);
    p->fillRect(QRectF(r.right() - square, r.bottom() - square, square, square), red);

    p->setOpacity(0.3);
    p->setPen(QPen(red, u));
    p->drawLine(r.topLeft(), r.bottomRight());
    p->drawLine(r.topRight(), r.bottomLeft());
    p->restore();
}
