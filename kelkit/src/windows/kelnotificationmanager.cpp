#include "windows/kelnotificationmanager.h"

#include "kelui.h"
#include "styles/kelstyle.h"
#include "utils/kelfontutils.h"
#include "widgets/kelbutton.h"
#include "widgets/kellabel.h"
#include "windows/kelnativewindowutils.h"
#include "windows/kelwindow.h"

#include <QApplication>
#include <QDebug>
#include <QGridLayout>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace {

constexpr int ToastWindowStyleId = KelStyle::WT_Notification;
constexpr int CloseButtonStyleId = KelStyle::WT_Button_Icon;
constexpr int CloseIconId = KelStyle::IC_Close;
constexpr int FadeDurationMetric = KelStyle::M_FadeDuration;
constexpr int GridHorizontalSpacingMetric = KelStyle::M_Notification_HSpacing;
constexpr int GridVerticalSpacingMetric = KelStyle::M_Notification_VSpacing;
constexpr int TitleFontMetric = KelStyle::M_Notification_TitleFontSize;
constexpr int TextFontMetric = KelStyle::M_Notification_TextFontSize;
constexpr int ScreenDistanceMarginsId = KelStyle::MG_Notification_ScreenDistance;
constexpr int ContentMarginsId = KelStyle::MG_Notification_Content;
// A toast slides in from this far below its place.
constexpr int SlideDistance = 32;
constexpr int DefaultMessageDurationMs = 5000;

int nextNotificationId()
{
    static int lastId = 0;
    return ++lastId;
}

KelLabel *makeLabel(QWidget *parent, const QString &text, int fontMetric)
{
    auto *label = new KelLabel(parent);
    label->setText(text);
    label->setWordWrap(true);
    KelUtils::setWidgetFont(label, kelStyle()->metric(fontMetric), QFont::Normal,
                            KelUtils::defaultFontFamily());
    return label;
}

} // namespace

class KelNotificationManager::Private
{
public:
    struct Notification
    {
        int id = 0;
        QPointer<KelWindow> window;
        QPointer<KelLabel> title;
        QPointer<KelLabel> text;
        QPointer<QTimer> hideTimer;
        QPoint pressPosition;
        bool pressed = false;
        // Where the toast comes to rest; it is still sliding while its
        // window is elsewhere.
        QRect place;
    };

    Notification *find(int id) const;
    Notification *find(const QObject *window) const;
    void create(int id, const QString &title, const QString &text, int durationSeconds);
    void show(Notification *notification);
    int stackTop(int bottom) const;
    void remove(int id);

    KelNotificationManager *q = nullptr;
    std::vector<std::unique_ptr<Notification>> notifications;
};

KelNotificationManager::Private::Notification *KelNotificationManager::Private::find(int id) const
{
    for (const auto &notification : notifications) {
        if (notification->id == id)
            return notification.get();
    }
    return nullptr;
}

KelNotificationManager::Private::Notification *KelNotificationManager::Private::find(
        const QObject *window) const
{
    for (const auto &notification : notifications) {
        if (notification->window == window)
            return notification.get();
    }
    return nullptr;
}

void KelNotificationManager::Private::create(int id, const QString &title, const QString &text,
                                             int durationSeconds)
{
    auto notification = std::make_unique<Notification>();
    notification->id = id;

    auto *window = new KelWindow(ToastWindowStyleId, KelWindow::WindowParams(), nullptr,
                                 KelWindow::Custom_D2D_Compatible, false,
                                 QStringLiteral("KelNotificationWindow_%1").arg(id));
    notification->window = window;
    KelNativeWindowUtils::setStaysOnTop(window, true);
    KelNativeWindowUtils::setShowWithoutActivating(window, true);
    KelNativeWindowUtils::setShowInTaskbar(window, false);
    window->setAttribute(Qt::WA_DeleteOnClose);
    // A toast going away must never end the program.
    window->setAttribute(Qt::WA_QuitOnClose, false);
    window->setFocusPolicy(Qt::NoFocus);
    window->installEventFilter(q);

    QWidget *central = window->centralWidget();
    notification->title = makeLabel(central, title, TitleFontMetric);
    notification->text = makeLabel(central, text, TextFontMetric);

    const int displayMs = durationSeconds >= 1 ? durationSeconds * 1000 : messageDuration();
    auto *timer = new QTimer(window);
    timer->setObjectName(QStringLiteral("KelNotificationHideTimer"));
    timer->setSingleShot(true);
    timer->setInterval(kelStyle()->metric(FadeDurationMetric) + displayMs);
    notification->hideTimer = timer;

    auto *close = new KelButton(CloseButtonStyleId, kelStyle()->iconPath(CloseIconId), central);
    close->setObjectName(QStringLiteral("KelNotificationCloseButton"));
    close->setContentsMargins(QMargins(2, 2, 2, 2));
    close->setColorizeIcon(true);

    auto *grid = new QGridLayout(central);
    grid->setContentsMargins(kelStyle()->margins(ContentMarginsId));
    grid->setHorizontalSpacing(kelStyle()->metric(GridHorizontalSpacingMetric));
    grid->setVerticalSpacing(kelStyle()->metric(GridVerticalSpacingMetric));
    grid->addWidget(notification->title, 0, 0);
    grid->addWidget(close, 0, 1, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(notification->text, 1, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    connect(close, &KelButton::clicked, q, [this, id] { q->hide(id); });
    connect(notification->text, &QLabel::linkActivated, q, [this, id](const QString &link) {
        qDebug() << "Notification id:" << id << "Link activated:" << link
                 << "Emit linkActivated() and hide notification";
        if (KelUi *ui = kelUi())
            ui->openLink(link);
        q->hide(id);
    });
    connect(window, &KelWidget::showed, timer, [id, timer] {
        qDebug() << "Notification id:" << id << "Timer start:" << timer->interval();
        timer->start();
    });
    connect(timer, &QTimer::timeout, q, [this, id] {
        qDebug() << "Notification id:" << id << "Timeout";
        q->hide(id);
    });
    connect(window, &KelWidget::hided, q, [this, id] {
        qDebug() << "Notification id:" << id << "Window hided, remove notification";
        remove(id);
    });

    notifications.push_back(std::move(notification));
    qDebug() << "Notification created. Id:" << id;
}

int KelNotificationManager::Private::stackTop(int bottom) const
{
    int top = bottom;
    for (const auto &notification : notifications) {
        const KelWindow *window = notification->window;
        if (!window || !window->isVisible())
            continue;
        // A toast counts where it rests, also while it slides in, so toasts
        // shown in quick succession do not overlap. Its window's position is
        // no measure: while the window manager takes the window in, it can
        // report one far from the toast's.
        top = std::min(top, notification->place.isValid() ? notification->place.top() : window->y());
    }
    return top;
}

void KelNotificationManager::Private::show(Notification *notification)
{
    KelWindow *window = notification->window;
    if (!window || window->isVisible())
        return;
    qDebug() << "Notification id:" << notification->id << "Show";
    window->resize(window->preferredShowSize());
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        window->showAnimated();
        return;
    }
    const QRect available = screen->availableGeometry();
    const QMargins margins = kelStyle()->margins(ScreenDistanceMarginsId);
    QRect place(QPoint(), window->size());
    place.moveRight(available.right() - margins.right());
    place.moveBottom(stackTop(available.bottom()) - margins.bottom());
    notification->place = place;
    window->setGeometry(place.translated(0, SlideDistance));
    window->showAnimated();
    window->animateGeometry(place, true);
}

void KelNotificationManager::Private::remove(int id)
{
    const auto found = std::find_if(notifications.begin(), notifications.end(),
                                    [id](const auto &n) { return n->id == id; });
    if (found == notifications.end())
        return;
    const QPointer<KelWindow> window = (*found)->window;
    notifications.erase(found);
    if (window)
        window->close();
}

KelNotificationManager::KelNotificationManager(QObject *parent)
    : QObject(parent), d(std::make_unique<Private>())
{
    d->q = this;
    qDebug() << "Instance created";
}

KelNotificationManager::~KelNotificationManager()
{
    QList<QPointer<KelWindow>> windows;
    for (const auto &notification : d->notifications)
        windows.prepend(notification->window);
    for (const QPointer<KelWindow> &window : windows) {
        if (window) {
            window->removeEventFilter(this);
            window->close();
        }
    }
}

int KelNotificationManager::showNotification(const QString &title, const QString &text,
                                             int durationSeconds)
{
    const int id = nextNotificationId();
    d->create(id, title, text, durationSeconds);
    d->show(d->find(id));
    return id;
}

void KelNotificationManager::hide(int notificationId)
{
    Private::Notification *notification = d->find(notificationId);
    if (!notification || !notification->window || !notification->window->isVisible())
        return;
    qDebug() << "Notification id:" << notificationId << "hide";
    notification->window->fadeOut();
}

int KelNotificationManager::messageDuration()
{
    return DefaultMessageDurationMs;
}

bool KelNotificationManager::eventFilter(QObject *watched, QEvent *event)
{
    Private::Notification *notification = d->find(watched);
    if (!notification)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Enter:
        if (notification->hideTimer)
            notification->hideTimer->stop();
        break;
    case QEvent::Leave:
        if (notification->hideTimer)
            notification->hideTimer->start();
        break;
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && mouse->buttons() == Qt::LeftButton) {
            notification->pressPosition = mouse->globalPos();
            notification->pressed = true;
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || !notification->pressed)
            break;
        notification->pressed = false;
        const int distance = (mouse->globalPos() - notification->pressPosition).manhattanLength();
        if (distance < QApplication::startDragDistance()) {
            const int id = notification->id;
            emit clicked(id);
            hide(id);
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

#include "moc_kelnotificationmanager.cpp"
