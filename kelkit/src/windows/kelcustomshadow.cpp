#include "windows/kelcustomshadow.h"

#include "animators/kelprogressanimator.h"
#include "windows/kelwindowframe.h"
#include "windows/platform/compositingmanager.h"
#include "windows/platform/layeredshadowwindow.h"
#include "windows/platform/systemmoveresize.h"

#include <QPainter>
#include <QPointer>
#include <QVector>
#include <QWidget>
#include <QWindow>

// Qt Widgets' exported blur of the shadow filters.
Q_DECL_IMPORT void qt_blurImage(QPainter *p, QImage &blurImage, qreal radius, bool quality,
                                bool alphaOnly, int transposed = 0);

namespace {

constexpr int FadeInMs = 250;

} // namespace

class KelCustomShadow::Private
{
public:
    // What the shadow window shows now.
    struct LayeredWindowInfo
    {
        bool visible = false;
        double devicePixelRatio = 1.0;
        QPair<int, int> anchorPlacement{0, 0};
        QRect rect;
        QImage image;
        double fadeProgress = 0.0;
        double windowOpacity = 1.0;
    };

    QRect shadowRect() const;
    void destroyShadowWindow();
    void updateLayeredWindow(bool visible, const QRect &rect, double ratio);
    void rebuild();
    void reapply();

    QPointer<QWidget> window;
    QPointer<KelWindowFrame> frame;
    KelProgressAnimator *fade = nullptr;
    // To the owner's opacity, visibility and state.
    QVector<QMetaObject::Connection> ownerConnections;
    QPointer<QWindow> owner;
    std::unique_ptr<KelPlatform::LayeredShadowWindow> shadowWindow;
    LayeredWindowInfo info;
};

QRect KelCustomShadow::Private::shadowRect() const
{
    const QRect windowRect = KelPlatform::nativeWindowRect(owner);
    const int grow = frame ? qRound(frame->shadowRadius() * owner->devicePixelRatio()) : 0;
    return windowRect.adjusted(-grow, -grow, grow, grow);
}

void KelCustomShadow::Private::destroyShadowWindow()
{
    for (const QMetaObject::Connection &connection : qAsConst(ownerConnections))
        QObject::disconnect(connection);
    ownerConnections.clear();
    shadowWindow.reset();
    owner = nullptr;
    info = LayeredWindowInfo();
    fade->jumpToStart();
}

void KelCustomShadow::Private::updateLayeredWindow(bool visible, const QRect &rect, double ratio)
{
    const bool ratioChanged = !qFuzzyCompare(ratio, info.devicePixelRatio);
    const QPair<int, int> anchor = frame ? frame->anchorPlacement() : qMakePair(0, 0);
    const bool anchorChanged = anchor != info.anchorPlacement;
    const bool moved = rect.topLeft() != info.rect.topLeft();
    const bool resized = rect.size() != info.rect.size();
    const bool shown = visible != info.visible;
    if (!ratioChanged && !anchorChanged && !moved && !resized && !shown)
        return;
    info.visible = visible;
    info.devicePixelRatio = ratio;
    info.anchorPlacement = anchor;
    info.rect = rect;
    if (visible && (shown || resized || info.image.isNull()))
        rebuild();
    else if (ratioChanged || anchorChanged)
        rebuild();
    else
        reapply();
}

void KelCustomShadow::Private::rebuild()
{
    info.image = shadowImage(frame, info.rect.size(), info.devicePixelRatio);
    if (shadowWindow)
        shadowWindow->setImage(info.image);
    reapply();
}

void KelCustomShadow::Private::reapply()
{
    if (!shadowWindow || info.image.isNull())
        return;
    shadowWindow->setNativeGeometry(info.rect);
    shadowWindow->setAlpha(info.windowOpacity * info.fadeProgress);
}

KelCustomShadow::KelCustomShadow(QObject *parent, QWidget *window, KelWindowFrame *frame)
    : QObject(parent), d(std::make_unique<Private>())
{
    d->window = window;
    d->frame = frame;
    d->fade = new KelProgressAnimator(this,
                                      {QEasingCurve::InQuad, FadeInMs, QEasingCurve::Linear, 0,
                                       QVariant(0.0), QVariant(1.0)});
    connect(d->fade, &KelProgressAnimator::progressChanged, this, [this](double progress) {
        d->info.fadeProgress = progress;
        d->reapply();
    });
    if (frame) {
        connect(frame, &KelWindowFrame::shadowColorChanged, this, [this] {
            if (d->shadowWindow)
                d->rebuild();
        });
    }
    if (window && window->windowHandle() && window->windowHandle()->handle())
        updateShadowWindow();
}

KelCustomShadow::~KelCustomShadow()
{
    for (const QMetaObject::Connection &connection : qAsConst(d->ownerConnections))
        QObject::disconnect(connection);
}

void KelCustomShadow::updateShadowWindow()
{
    QWindow *handle = d->window ? d->window->windowHandle() : nullptr;
    if (!KelPlatform::isCompositingManagerRunning() || !d->frame || !handle) {
        if (d->shadowWindow)
            d->destroyShadowWindow();
        return;
    }
    if (handle != d->owner || !d->shadowWindow) {
        d->destroyShadowWindow();
        d->owner = handle;
        d->ownerConnections = {
                connect(handle, &QWindow::opacityChanged, this,
                        [this](qreal opacity) {
                            d->info.windowOpacity = opacity;
                            d->reapply();
                        }),
                // The widget hears of a show before its native window is shown.
                connect(handle, &QWindow::visibleChanged, this, &KelCustomShadow::updateVisibility),
                connect(handle, &QWindow::windowStateChanged, this,
                        &KelCustomShadow::updateVisibility),
        };
        d->shadowWindow = std::make_unique<KelPlatform::LayeredShadowWindow>(handle);
        d->info.windowOpacity = handle->opacity();
    }
    updateVisibility();
}

void KelCustomShadow::updateVisibility()
{
    if (!d->owner || !d->shadowWindow)
        return;
    QWindow *owner = d->owner;
    const Qt::WindowStates state = owner->windowStates();
    const bool visible = owner->isVisible()
            && !(state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    d->updateLayeredWindow(visible, d->shadowRect(), owner->devicePixelRatio());
    if (d->shadowWindow->isVisible() == visible)
        return;
    if (visible) {
        d->fade->animateForward();
        d->shadowWindow->show();
    } else {
        d->fade->animateBackward();
        d->shadowWindow->hide();
    }
}

KelPlatform::LayeredShadowWindow *KelCustomShadow::shadowWindow() const
{
    return d->shadowWindow.get();
}

QImage KelCustomShadow::shadowImage(KelWindowFrame *frame, const QSize &size, double ratio)
{
    if (!frame || size.isEmpty())
        return QImage();
    const double s = frame->shadowRadius() * ratio;
    const QRectF outlineRect(s, s, size.width() - 2 * s, size.height() - 2 * s);
    const QPainterPath path = frame->outline(outlineRect.size(), ratio)
                                      .translated(outlineRect.topLeft());

    QImage shape(size, QImage::Format_ARGB32_Premultiplied);
    shape.fill(0);
    {
        QPainter painter(&shape);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillPath(path.translated(0, frame->shadowOffset() * ratio), Qt::black);
    }

    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(0);
    {
        QPainter painter(&image);
        qt_blurImage(&painter, shape, s, false, true);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), frame->shadowColor());
    }
    if (image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillPath(path, Qt::transparent);
    }
    return image;
}

#include "moc_kelcustomshadow.cpp"
