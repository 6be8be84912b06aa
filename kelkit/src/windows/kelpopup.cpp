#include "windows/kelpopup.h"

#include "kelui.h"
#include "widgets/kelbutton.h"
#include "windows/kelnativewindowutils.h"
#include "windows/platform/popuppressreplay.h"
#include "windows/platform/systemmoveresize.h"

#include <QApplication>
#include <QCursor>
#include <QDebug>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QVector>

namespace {

// Popups that refuse to close are given up on after this many attempts.
constexpr int MaxCloseRounds = 1024;

QWidget *widgetUnderMouse()
{
    KelUi *ui = kelUi();
    return ui ? ui->widgetUnderMouse() : QApplication::widgetAt(QCursor::pos());
}

// Whether a press at the global position lands where the window moves or
// resizes: its caption or its frame.
bool isCaptionOrFrame(KelWindow *window, const QPointF &globalPos)
{
    const QPoint native = KelPlatform::toNativePosition(window->windowHandle(), globalPos);
    const KelNativeWindowUtils::HitZone zone = window->nativeWindowUtils()->hitTest(native.x(),
                                                                                    native.y());
    return zone != KelNativeWindowUtils::HitClient && zone != KelNativeWindowUtils::HitNone;
}

// Closes every popup, then hands the press that closed them on to the
// window under it where the platform does not. A press that left a popup
// open is not handed on: the open popup would get it again.
void closePopupsAndReplay(const QMouseEvent &press)
{
    KelPopup::closeActivePopups();
    if (QApplication::activePopupWidget() || KelPlatform::platformReplaysPopupPress())
        return;
    KelPlatform::replayPopupPress(press);
}

} // namespace

class KelPopup::Private
{
public:
    bool isWatched(const QWidget *widget) const;
    // Sends receiver a copy of the event with positions in its coordinates.
    // Takes the receiver's answer, or keeps the event's own when it did not
    // accept; false then, and for the popup itself or its children, which
    // Qt gives their events directly.
    bool forward(QWidget *receiver, QMouseEvent *event) const;
    void setTarget(QWidget *widget, Qt::MouseButton button);

    KelPopup *owner = nullptr;
    QList<QPointer<QWidget>> watchedWidgets;
    // When 0, Escape first closes every other open popup; nothing here
    // changes it.
    int escapeClosesOnlySelf = 1;
    QPointer<QWidget> target;
    // Buttons pressed through the popup and not released yet, in press
    // order.
    QVector<int> pressedButtons;
};

bool KelPopup::Private::isWatched(const QWidget *widget) const
{
    for (const QPointer<QWidget> &watched : watchedWidgets) {
        if (watched == widget)
            return true;
    }
    return false;
}

bool KelPopup::Private::forward(QWidget *receiver, QMouseEvent *event) const
{
    if (!receiver || receiver == owner || owner->isAncestorOf(receiver))
        return false;
    const QPointF global = event->screenPos();
    const QPointF local = global - QPointF(receiver->mapToGlobal(QPoint()));
    const QPointF inWindow = global - QPointF(receiver->window()->mapToGlobal(QPoint()));
    QMouseEvent copy(event->type(), local, inWindow, global, event->button(), event->buttons(),
                     event->modifiers(), event->source());
    copy.setTimestamp(event->timestamp());
    copy.setAccepted(false);
    QCoreApplication::sendEvent(receiver, &copy);
    if (copy.isAccepted())
        event->accept();
    return copy.isAccepted();
}

void KelPopup::Private::setTarget(QWidget *widget, Qt::MouseButton button)
{
    // Buttons of a target that went away are released by nobody.
    if (target != widget)
        pressedButtons.clear();
    target = widget;
    pressedButtons.append(button);
}

KelPopup::KelPopup(int styleId, WindowParams params, QWidget *parent, ShadowType shadow,
                   bool noStyle)
    : KelWindow(styleId, params | PopupWindow, parent, shadow, true, QString()),
      d(std::make_unique<Private>())
{
    d->owner = this;
    setMouseTracking(true);
    if (!noStyle)
        applyStyle();
}

KelPopup::~KelPopup() = default;

void KelPopup::addWatchedWidget(QWidget *w)
{
    d->watchedWidgets.append(w);
}

void KelPopup::removeWatchedWidget(QWidget *w)
{
    for (int i = 0; i < d->watchedWidgets.size(); ++i) {
        if (d->watchedWidgets.at(i) == w) {
            d->watchedWidgets.removeAt(i);
            return;
        }
    }
}

void KelPopup::closeActivePopups()
{
    for (int round = 0; round < MaxCloseRounds; ++round) {
        QWidget *popup = QApplication::activePopupWidget();
        if (!popup)
            return;
        popup->close();
    }
    if (QApplication::activePopupWidget())
        qWarning() << "Popups still open after" << MaxCloseRounds << "attempts to close them";
}

void KelPopup::mousePressEvent(QMouseEvent *event)
{
    const Qt::MouseButton button = event->button();
    // Qt hands a press that closed its popups on where the platform asks for
    // it; one this popup forwarded has arrived already.
    auto forwarded = [this, button](QWidget *receiver) {
        d->setTarget(receiver, button);
        setAttribute(Qt::WA_NoMouseReplay);
    };

    if (QWidget *grabber = QWidget::mouseGrabber()) {
        if (d->forward(grabber, event)) {
            forwarded(grabber);
            return;
        }
    }

    QWidget *under = widgetUnderMouse();
    if (!under) {
        closePopupsAndReplay(*event);
        return;
    }
    if (d->isWatched(under)) {
        forwarded(under);
        d->forward(under, event);
        return;
    }

    QWidget *window = under->window();
    if (!window || dynamic_cast<KelPopup *>(window))
        return;
    auto *kelWindow = qobject_cast<KelWindow *>(window);
    if (!kelWindow || !isCaptionOrFrame(kelWindow, event->screenPos())) {
        closePopupsAndReplay(*event);
        return;
    }
    // The window gets the press once the popups are gone, and moves or
    // resizes from it.
    const QMouseEvent press(*event);
    QTimer::singleShot(0, qApp, [press] { closePopupsAndReplay(press); });
}

void KelPopup::mouseReleaseEvent(QMouseEvent *event)
{
    if (!d->target) {
        event->ignore();
        return;
    }
    d->pressedButtons.removeAll(event->button());
    const QPointer<QWidget> former = d->target;
    if (d->pressedButtons.isEmpty())
        d->target = nullptr;
    d->forward(former, event);
}

void KelPopup::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Qt sends the double click in place of the second press: its release
    // must follow it, as a press's does.
    const Qt::MouseButton button = event->button();
    QWidget *grabber = QWidget::mouseGrabber();
    if (d->forward(grabber, event)) {
        d->setTarget(grabber, button);
        return;
    }
    QWidget *under = widgetUnderMouse();
    if (under && d->isWatched(under)) {
        d->setTarget(under, button);
        d->forward(under, event);
    }
}

void KelPopup::mouseMoveEvent(QMouseEvent *event)
{
    if (d->target)
        d->forward(d->target, event);
    else
        d->forward(QWidget::mouseGrabber(), event);
    KelWindow::mouseMoveEvent(event);
}

void KelPopup::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel)) {
        if (!d->escapeClosesOnlySelf)
            closeActivePopups();
        close();
        event->accept();
    }
    KelWindow::keyPressEvent(event);
}

void KelPopup::showEvent(QShowEvent *event)
{
    // Opened during a press on its button: the release ends that click.
    auto *button = qobject_cast<KelButton *>(parentWidget());
    if (button && button->isPressed()) {
        d->pressedButtons.clear();
        d->target = button;
        if (QGuiApplication::mouseButtons() & Qt::LeftButton)
            d->pressedButtons.append(Qt::LeftButton);
    }
    KelWindow::showEvent(event);
}

void KelPopup::hideEvent(QHideEvent *event)
{
    KelWindow::hideEvent(event);
    const QPointer<QWidget> target = d->target;
    d->target = nullptr;
    if (!target) {
        d->pressedButtons.clear();
        return;
    }
    // The popup took the presses; their releases would never come.
    const QPoint global = QCursor::pos();
    const QPoint local = target->mapFromGlobal(global);
    const QPoint inWindow = target->window()->mapFromGlobal(global);
    const Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    const Qt::KeyboardModifiers modifiers = QGuiApplication::keyboardModifiers();
    while (!d->pressedButtons.isEmpty() && target) {
        const auto button = Qt::MouseButton(d->pressedButtons.takeLast());
        QMouseEvent release(QEvent::MouseButtonRelease, local, inWindow, global, button, buttons,
                            modifiers);
        QCoreApplication::sendEvent(target, &release);
    }
    d->pressedButtons.clear();
}
