#include "animators/kelvisibilityanimatable.h"

#include "painting/kelgraphicsopacityeffect.h"

#include <QDebug>
#include <QEvent>
#include <QWidget>

#include <cmath>

namespace {

const KelAnimationParams FadeParams
        = {QEasingCurve::OutCubic, 250, QEasingCurve::InCubic, 250, 0.0, 1.0};

bool isVisibleToParent(const QWidget *widget)
{
    return widget->isVisibleTo(widget->parentWidget());
}

// Ends a fade: a plain opacity effect goes. Derived effects such as the
// drop shadow are the widget's own look; they stay, opaque again, so that
// the widget shows fully when it is next shown by any means.
void dropFadeEffect(QWidget *widget)
{
    auto effect = qobject_cast<KelGraphicsOpacityEffect *>(widget->graphicsEffect());
    if (!effect)
        return;
    if (effect->metaObject() == &KelGraphicsOpacityEffect::staticMetaObject) {
        widget->setGraphicsEffect(nullptr);
        return;
    }
    effect->removeForceRepaint();
    effect->setOpacity(1.0);
}

} // namespace

KelVisibilityAnimatable::KelVisibilityAnimatable(QWidget *widget) : m_widget(widget) { }

KelVisibilityAnimatable::~KelVisibilityAnimatable()
{
    delete m_animator.data();
}

void KelVisibilityAnimatable::setVisibleAnimated(bool visible, bool animated)
{
    if (animated && !m_animator && m_widget)
        createAnimator();

    if (m_animator) {
        if (!animated) {
            m_animator->setValue(visible ? KelPropertyAnimator::End : KelPropertyAnimator::Start,
                                 false);
        } else if (visible) {
            // Shows the widget almost transparent, so the fade starts there.
            // A hidden widget may still read as opaque (a window is), so the
            // run is first put back to its start.
            if (m_widget && !isVisibleToParent(m_widget)) {
                m_animator->jumpToStart();
                m_animator->setProgress(0.001);
            }
            m_animator->animateForward();
        } else {
            m_animator->animateBackward();
        }
        return;
    }

    if (m_widget)
        m_widget->setVisible(visible);
    else
        qWarning() << "Can't change visibility, no base widget was setted";
}

void KelVisibilityAnimatable::showAnimated()
{
    setVisibleAnimated(true, true);
}

void KelVisibilityAnimatable::hideAnimated()
{
    setVisibleAnimated(false, true);
}

void KelVisibilityAnimatable::onShownAnimated() { }

KelVisibilityAnimatable::VisibilityAnimator *KelVisibilityAnimatable::visibilityAnimator() const
{
    return m_animator;
}

void KelVisibilityAnimatable::createAnimator()
{
    m_animator = new VisibilityAnimator(m_widget);
    QObject::connect(m_animator, &KelProgressAnimator::started, m_animator, [this] {
        if (!m_widget)
            return;
        if (auto effect = qobject_cast<KelGraphicsOpacityEffect *>(m_widget->graphicsEffect()))
            effect->installForceRepaint();
    });
    QObject::connect(m_animator, &KelProgressAnimator::finished, m_animator,
                     [this](KelPropertyAnimator::Pos pos) {
                         if (m_widget)
                             dropFadeEffect(m_widget);
                         if (pos == KelPropertyAnimator::End)
                             onShownAnimated();
                     });
}

KelVisibilityAnimatable::VisibilityAnimator::VisibilityAnimator(QWidget *target)
    : KelProgressAnimator(target, FadeParams), m_target(target)
{
    target->installEventFilter(this);
    const double opacity = readOpacityFromTarget();
    setProgress(opacity);
    if (qFuzzyCompare(opacity, 1.0))
        jumpToEnd();
    connect(this, &KelProgressAnimator::progressChanged, this,
            &VisibilityAnimator::onProgressChanged);
}

KelVisibilityAnimatable::VisibilityAnimator::~VisibilityAnimator() = default;

double KelVisibilityAnimatable::VisibilityAnimator::readOpacityFromTarget()
{
    if (!m_target)
        return 1.0;
    double opacity = 1.0;
    if (m_target->isWindow()) {
        opacity = m_target->windowOpacity();
    } else if (auto effect = qobject_cast<KelGraphicsOpacityEffect *>(m_target->graphicsEffect())) {
        opacity = effect->opacity();
    } else if (!m_target->graphicsEffect()) {
        opacity = isVisibleToParent(m_target) ? 1.0 : 0.0;
        (new KelGraphicsOpacityEffect(m_target))->setOpacity(opacity);
    } else {
        qCritical() << "Change opacity for" << m_target << "is not implemented";
        return 1.0;
    }
    if (opacity < 0.0 || opacity > 1.0) {
        qCritical() << "Opacity is out of range" << opacity << "for" << m_target;
        return 1.0;
    }
    return opacity;
}

void KelVisibilityAnimatable::VisibilityAnimator::writeOpacityToTarget(double opacity)
{
    if (!m_target)
        return;
    if (m_target->isWindow()) {
        m_target->setWindowOpacity(opacity);
        return;
    }
    auto effect = qobject_cast<KelGraphicsOpacityEffect *>(m_target->graphicsEffect());
    if (!effect && m_target->graphicsEffect()) {
        qCritical() << "Cant apply opacity for:" << m_target;
        return;
    }
    if (!effect)
        effect = new KelGraphicsOpacityEffect(m_target);
    effect->setOpacity(opacity);
}

void KelVisibilityAnimatable::VisibilityAnimator::onProgressChanged(double progress)
{
    if (!m_target)
        return;
    progress = qBound(0.0, progress, 1.0);
    writeOpacityToTarget(progress);
    if (std::abs(progress) <= 1e-12) {
        // A fade-in starting from 0 keeps the widget shown.
        if (!(isAnimating() && direction() == KelPropertyAnimator::End))
            m_target->hide();
    } else if (!isVisibleToParent(m_target)) {
        m_target->show();
    }
}

bool KelVisibilityAnimatable::VisibilityAnimator::eventFilter(QObject *watched, QEvent *event)
{
    // An explicit hide ends any fade-in.
    if (watched == m_target && event->type() == QEvent::HideToParent)
        jumpToStart();
    return KelProgressAnimator::eventFilter(watched, event);
}
