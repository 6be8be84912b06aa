#include "widgets/kelwidget.h"

#include <QFocusEvent>
#include <QMoveEvent>

KelWidget::KelWidget(QWidget *parent, Qt::WindowFlags flags) : QWidget(parent, flags) { }

KelWidget::~KelWidget() = default;

bool KelWidget::event(QEvent *event)
{
    const bool result = QWidget::event(event);
    switch (event->type()) {
    case QEvent::FocusIn:
        emit focused(static_cast<QFocusEvent *>(event)->reason());
        break;
    case QEvent::FocusOut:
        emit focusLost();
        break;
    case QEvent::ShowToParent:
        emit visibilityToParentChanged(true);
        emit showedToParent();
        break;
    case QEvent::HideToParent:
        emit visibilityToParentChanged(false);
        emit hidedToParent();
        break;
    case QEvent::EnabledChange:
        emit enabledChanged(isEnabled());
        break;
    default:
        break;
    }
    return result;
}

void KelWidget::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    emit visibilityChanged(true);
    emit showed();
}

void KelWidget::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    emit visibilityChanged(false);
    emit hided();
}

void KelWidget::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    emit moved(event->pos());
    emit geometryChanged(geometry());
}

void KelWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit resized(size());
    emit geometryChanged(geometry());
}

#include "moc_kelwidget.cpp"
