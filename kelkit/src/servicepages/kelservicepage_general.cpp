#include "servicepages/kelservicepage_general.h"

#include "eventfilters/kelglobalmousewatcher.h"
#include "styles/kelstyle.h"
#include "widgets/kelbutton.h"
#include "widgets/kellabel.h"

#include <QApplication>
#include <QCursor>
#include <QFormLayout>
#include <QTimer>
#include <QWindow>

#include <csignal>

namespace {

const int RowLabelStyleId = KelStyle::WT_Label_Row;
const int ValueStyleId = KelStyle::WT_Label;
const int WindowReadoutsIntervalMs = 500;

QString boldPoint(const QPoint &point)
{
    return QStringLiteral("[<b>%1</b>; <b>%2</b>]").arg(point.x()).arg(point.y());
}

} // namespace

class KelServicePage_General::Private
{
public:
    KelLabel *activeWindow = nullptr;
    KelLabel *activeModal = nullptr;
    KelLabel *activePopup = nullptr;
    KelLabel *focusObject = nullptr;
    KelLabel *focusWindow = nullptr;
    KelLabel *focusChange = nullptr;
    KelLabel *cursorRaw = nullptr;
    KelLabel *cursorQt = nullptr;
    KelLabel *underMouse = nullptr;
    QTimer *timer = nullptr;
    KelGlobalMouseWatcher *watcher = nullptr;
};

KelServicePage_General::KelServicePage_General(QWidget *parent)
    : KelServicePage(parent), d(std::make_unique<Private>())
{
    setObjectName(QStringLiteral("General"));
    QFormLayout *form = formLayout();
    auto valueRow = [this, form](const QString &label) {
        auto *rowLabel = new KelLabel(RowLabelStyleId, widget());
        rowLabel->setText(label);
        auto *value = new KelLabel(ValueStyleId, widget());
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(rowLabel, value);
        return value;
    };

    // A real invalid access would be undefined behaviour to the compiler;
    // the signal is what the crash reporter handles.
    auto *crash = addWidgetRow(nullptr, QStringLiteral("Crash me!"), [] { std::raise(SIGSEGV); });
    crash->setParent(widget());
    form->addRow(crash);
    form->addItem(makeSpacer());

    d->activeWindow = valueRow(QStringLiteral("qApp->activeWindow():"));
    d->activeModal = valueRow(QStringLiteral("qApp->activeModalWidget():"));
    d->activePopup = valueRow(QStringLiteral("qApp->activePopupWidget():"));
    form->addItem(makeSpacer());
    d->focusObject = valueRow(QStringLiteral("qApp->focusObjectChanged():"));
    d->focusWindow = valueRow(QStringLiteral("qApp->focusWindowChanged():"));
    d->focusChange = valueRow(QStringLiteral("qApp->focusChanged():"));
    form->addItem(makeSpacer());
    d->cursorRaw = valueRow(QStringLiteral("GetCursorPos():"));
    d->cursorQt = valueRow(QStringLiteral("QCursor::pos():"));
    d->underMouse = valueRow(QStringLiteral("qApp->widgetUnderMouse():"));

    d->timer = new QTimer(this);
    d->timer->setInterval(WindowReadoutsIntervalMs);
    connect(d->timer, &QTimer::timeout, this, [this] {
        d->activeWindow->setText(describeObject(QApplication::activeWindow()));
        d->activeModal->setText(describeObject(QApplication::activeModalWidget()));
        d->activePopup->setText(describeObject(QApplication::activePopupWidget()));
        windowReadoutsUpdated();
    });
    d->timer->start();

    connect(qApp, &QGuiApplication::focusObjectChanged, this,
            [this](QObject *object) { d->focusObject->setText(describeObject(object)); });
    connect(qApp, &QGuiApplication::focusWindowChanged, this,
            [this](QWindow *window) { d->focusWindow->setText(describeObject(window)); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        d->focusChange->setText(QStringLiteral("<b>%1</b>, previous: %2")
                                        .arg(describeObject(now), describeObject(old)));
    });

    d->watcher = new KelGlobalMouseWatcher(this);
    connect(d->watcher, &KelGlobalMouseWatcher::mouseMoved, this, [this](QPoint rawGlobal1xPos) {
        const QPoint cursor = QCursor::pos();
        d->cursorRaw->setText(boldPoint(rawGlobal1xPos));
        d->cursorQt->setText(boldPoint(cursor));
        d->underMouse->setText(describeObject(QApplication::widgetAt(cursor)));
        cursorReadoutsUpdated();
    });
}

KelServicePage_General::~KelServicePage_General() = default;

void KelServicePage_General::cursorReadoutsUpdated() { }

void KelServicePage_General::windowReadoutsUpdated() { }

#include "moc_kelservicepage_general.cpp"
