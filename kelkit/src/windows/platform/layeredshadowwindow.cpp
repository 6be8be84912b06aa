#include "windows/platform/layeredshadowwindow.h"

#include <QPainter>
#include <QScreen>
#include <QVariant>

namespace KelPlatform {

LayeredShadowWindow::LayeredShadowWindow(QWindow *owner)
{
    setObjectName(QStringLiteral("KelCustomShadowWindow"));
    setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput
             | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint);
    QSurfaceFormat translucent = format();
    translucent.setAlphaBufferSize(8);
    setFormat(translucent);
    setProperty("_q_showWithoutActivating", true);
    if (owner) {
        setScreen(owner->screen());
        setTransientParent(owner);
    }
}

LayeredShadowWindow::~LayeredShadowWindow() = default;

QImage LayeredShadowWindow::image() const
{
    return m_image;
}

void LayeredShadowWindow::setImage(const QImage &image)
{
    m_image = image;
    update();
}

QRect LayeredShadowWindow::nativeGeometry() const
{
    return m_nativeGeometry;
}

void LayeredShadowWindow::setNativeGeometry(const QRect &rect)
{
    m_nativeGeometry = rect;
    QWindow *owner = transientParent();
    const QScreen *ownerScreen = owner ? owner->screen() : screen();
    const double ratio = owner ? owner->devicePixelRatio() : devicePixelRatio();
    const QPointF origin = ownerScreen ? QPointF(ownerScreen->geometry().topLeft()) : QPointF();
    const QPointF topLeft = origin + (QPointF(rect.topLeft()) - origin) / ratio;
    const QRect logical(topLeft.toPoint(),
                        QSize(qRound(rect.width() / ratio), qRound(rect.height() / ratio)));
    if (geometry() != logical)
        setGeometry(logical);
}

double LayeredShadowWindow::alpha() const
{
    return m_alpha;
}

void LayeredShadowWindow::setAlpha(double alpha)
{
    alpha = qBound(0.0, alpha, 1.0);
    if (qFuzzyCompare(alpha + 1.0, m_alpha + 1.0))
        return;
    m_alpha = alpha;
    update();
}

void LayeredShadowWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(QPoint(0, 0), size()), Qt::transparent);
    if (m_image.isNull() || m_alpha <= 0.0)
        return;
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setOpacity(m_alpha);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), size()), m_image);
}

} // namespace KelPlatform

#include "moc_layeredshadowwindow.cpp"
