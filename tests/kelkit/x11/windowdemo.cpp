// The framework's windows for the X11 scenarios. It shows the windows of
// one scenario and prints what they report, one line per event, on
// standard output:
//   kelwindowdemo --settings FILE [--scenario NAME]
// A scenario script drives the windows with xdotool and reads the lines.

#include "popupdemo.h"
#include "styles/kelstyle.h"

#include "kelapplication.h"
#include "kelsettings.h"
#include "kelui.h"
#include "widgets/kelbutton.h"
#include "widgets/kellineedit.h"
#include "windows/kelnotificationmanager.h"
#include "windows/keltitlebar.h"
#include "windows/kelwindow.h"

#include <QCommandLineParser>
#include <QKeyEvent>
#include <QMap>
#include <QMetaEnum>
#include <QStyleHints>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <cstdio>
#include <functional>

namespace {

const KelWindow::WindowParams Framed = KelWindow::Movable | KelWindow::Resizable
        | KelWindow::WindowButtons | KelWindow::MinimizeButton | KelWindow::MaximizeButton;

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// Prints "ready" once every window given has been exposed.
class ReadyReporter : public QObject
{
public:
    void watch(QWidget *window)
    {
        window->winId();
        m_pending.append(window->windowHandle());
        window->windowHandle()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
            m_pending.removeAll(static_cast<QWindow *>(watched));
            watched->removeEventFilter(this);
            if (m_pending.isEmpty())
                say(QStringLiteral("ready"));
        }
        return false;
    }

private:
    QList<QWindow *> m_pending;
};

// Prints the window's signals as "<name> <signal>" and, once, where its
// parts are: its X window id and the centres of its title bar buttons
// from its right edge and of its caption from its top.
void report(KelWindow *window, const QString &name)
{
    auto print = [name](const char *signal) {
        return [name, signal] { say(name + QLatin1Char(' ') + QLatin1String(signal)); };
    };
    QObject::connect(window, &KelWindow::moveByUserStarted, print("moveByUserStarted"));
    QObject::connect(window, &KelWindow::moveByUserFinished, print("moveByUserFinished"));
    QObject::connect(window, &KelWindow::resizeByUserStarted, print("resizeByUserStarted"));
    QObject::connect(window, &KelWindow::resizeByUserFinished, print("resizeByUserFinished"));

    KelTitleBar *bar = window->titleBar();
    auto fromRight = [window](QWidget *part) {
        return window->width() - part->mapTo(window, part->rect().center()).x();
    };
    say(QStringLiteral("window %1 id=%2 close=%3 maximize=%4 minimize=%5 buttonY=%6")
                .arg(name)
                .arg(window->winId())
                .arg(fromRight(bar->button(KelTitleBar::CloseButton)))
                .arg(fromRight(bar->button(KelTitleBar::MaximizeButton)))
                .arg(fromRight(bar->button(KelTitleBar::MinimizeButton)))
                .arg(bar->button(KelTitleBar::CloseButton)->mapTo(window, QPoint(0, 16)).y()));
}

// Prints "key <Qt::Key name>" for every key pressed in the window, before
// the window handles it.
class KeyReporter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            say(QStringLiteral("key ")
                + QLatin1String(QMetaEnum::fromType<Qt::Key>().valueToKey(key)));
        }
        return false;
    }
};

// Limits the window's size; a window's layout sets its limits from its
// items, so the title bar and the central widget carry them.
void limitSize(KelWindow *window, const QSize &minimum, const QSize &maximum)
{
    const int barHeight = window->titleBar()->sizeHint().height();
    window->centralWidget()->setMinimumSize(minimum - QSize(0, barHeight));
    window->centralWidget()->setMaximumSize(maximum - QSize(0, barHeight));
    window->titleBar()->setMaximumWidth(maximum.width());
}

// The UI object of the demo: its main window comes from the scenario, as
// the program's comes from its own UI object.
class DemoUi : public KelUi
{
public:
    using KelUi::KelUi;
    std::function<KelWindow *()> mainWindowFactory;

protected:
    KelWindow *createMainWindow() override
    {
        return mainWindowFactory ? mainWindowFactory() : nullptr;
    }
};

class DemoApplication : public KelApplication
{
public:
    using KelApplication::KelApplication;

protected:
    KelUi *createUi() override { return new DemoUi(this); }
};

// A main window limited to 300 x 200 ... 900 x 700 that keeps its
// geometry, and a second window without limits.
void windowsScenario(ReadyReporter *ready)
{
    auto *ui = static_cast<DemoUi *>(kelUi());
    ui->mainWindowFactory = [] {
        auto *window = new KelWindow(Framed, nullptr, KelWindow::Default, false,
                                     QStringLiteral("DemoMainWindow"));
        window->setWindowTitle(QStringLiteral("Demo main window"));
        window->setTitle(QStringLiteral("Main"));
        limitSize(window, QSize(300, 200), QSize(900, 700));
        if (!window->hasSavedGeometry())
            window->setGeometry(100, 100, 400, 300);
        window->restoreSavedGeometry();
        return window;
    };
    ui->setupMainWindow();
    KelWindow *main = ui->mainWindow();
    QObject::connect(ui, &KelUi::maintenanceModeStateChanged, [](bool on) {
        say(on ? QStringLiteral("maintenance on") : QStringLiteral("maintenance off"));
    });

    auto *second = new KelWindow(Framed);
    second->setWindowTitle(QStringLiteral("Demo second window"));
    second->setTitle(QStringLiteral("Second"));
    second->setGeometry(20, 20, 360, 160);

    main->installEventFilter(new KeyReporter(main));
    QObject::connect(main, &KelWindow::hided, main, [main] {
        main->saveWindowGeometry();
        say(QStringLiteral("main closed"));
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });

    second->show();
    main->show();
    ready->watch(second);
    ready->watch(main);
    report(main, QStringLiteral("main"));
    report(second, QStringLiteral("second"));
}

// Shows a toast for every "t" typed in the window and prints "toast N
// id=<X window id>" for it.
class ToastMaker : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress
            || static_cast<QKeyEvent *>(event)->key() != Qt::Key_T) {
            return false;
        }
        ++m_count;
        const int id = kelUi()->notificationManager()->showNotification(
                QStringLiteral("Toast %1").arg(m_count),
                QStringLiteral("The conversion of clip %1 is done.").arg(m_count), 600);
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows) {
            if (window->objectName() == QStringLiteral("KelNotificationWindow_%1").arg(id))
                say(QStringLiteral("toast %1 id=%2").arg(m_count).arg(window->winId()));
        }
        return true;
    }

private:
    int m_count = 0;
};

// A main window that shows toasts on request.
void toastsScenario(ReadyReporter *ready)
{
    auto *ui = static_cast<DemoUi *>(kelUi());
    ui->mainWindowFactory = [] {
        auto *window = new KelWindow(Framed);
        window->setWindowTitle(QStringLiteral("Demo main window"));
        window->setTitle(QStringLiteral("Main"));
        window->setGeometry(100, 100, 400, 300);
        return window;
    };
    ui->setupMainWindow();
    KelWindow *main = ui->mainWindow();
    main->installEventFilter(new ToastMaker(main));
    main->show();
    ready->watch(main);
    report(main, QStringLiteral("main"));
}

// Prints "<name> press" for every button press its window gets, and
// "key <Qt::Key name> focus=<focus widget's object name or none>" for every
// key press that reaches any window of the program.
class PressAndKeyReporter : public QObject
{
public:
    using QObject::QObject;

    // Installed as the application's filter, it sees every event once.
    void watchPresses(QWidget *window, const QString &name)
    {
        window->winId();
        m_names.insert(window->windowHandle(), name);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress && m_names.contains(watched)) {
            say(m_names.value(watched) + QStringLiteral(" press"));
        } else if (event->type() == QEvent::KeyPress && watched->isWindowType()) {
            QWidget *focus = QApplication::focusWidget();
            const int key = static_cast<QKeyEvent *>(event)->key();
            say(QStringLiteral("key %1 focus=%2")
                        .arg(QLatin1String(QMetaEnum::fromType<Qt::Key>().valueToKey(key)),
                             focus ? focus->objectName() : QStringLiteral("none")));
        }
        return false;
    }

private:
    QMap<QObject *, QString> m_names;
};

// A main window with a line edit that loses the focus on a click outside,
// after another one that the window gives the focus to when it has none,
// and a second window; prints the line edit's focus changes as "edit
// focused" and "edit focusLost", and where it lies in the main window as
// "edit x=.. y=.. w=.. h=..".
void focusScenario(ReadyReporter *ready)
{
    auto *ui = static_cast<DemoUi *>(kelUi());
    ui->mainWindowFactory = [] {
        auto *window = new KelWindow(Framed);
        window->setWindowTitle(QStringLiteral("Demo main window"));
        window->setTitle(QStringLiteral("Main"));
        window->setGeometry(100, 300, 400, 200);
        return window;
    };
    ui->setupMainWindow();
    KelWindow *main = ui->mainWindow();
    auto *first = new KelLineEdit(KelStyle::WT_LineEdit);
    first->setObjectName(QStringLiteral("First"));
    first->setFixedWidth(200);
    auto *edit = new KelLineEdit(KelStyle::WT_LineEdit);
    edit->setObjectName(QStringLiteral("Edit"));
    edit->setFixedWidth(200);
    edit->setClearFocusOnClickOutside(true);
    auto *layout = new QVBoxLayout(main->centralWidget());
    layout->addWidget(first);
    layout->addWidget(edit);
    layout->addStretch();
    QObject::connect(edit, &KelLineEdit::focused, [] { say(QStringLiteral("edit focused")); });
    QObject::connect(edit, &KelLineEdit::focusLost, [] { say(QStringLiteral("edit focusLost")); });

    auto *second = new KelWindow(Framed);
    second->setWindowTitle(QStringLiteral("Demo second window"));
    second->setTitle(QStringLiteral("Second"));
    second->setGeometry(100, 40, 400, 160);

    auto *reporter = new PressAndKeyReporter(qApp);
    qApp->installEventFilter(reporter);
    reporter->watchPresses(main, QStringLiteral("main"));
    reporter->watchPresses(second, QStringLiteral("second"));
    QObject::connect(main, &KelWindow::hided, main,
                     [] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); });

    second->show();
    main->show();
    ready->watch(second);
    ready->watch(main);
    report(main, QStringLiteral("main"));
    report(second, QStringLiteral("second"));
    const QRect rect(edit->mapTo(main, QPoint(0, 0)), edit->size());
    say(QStringLiteral("edit x=%1 y=%2 w=%3 h=%4")
                .arg(rect.x())
                .arg(rect.y())
                .arg(rect.width())
                .arg(rect.height()));
}

} // namespace

int main(int argc, char **argv)
{
    DemoApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption(
            {QStringLiteral("settings"), QStringLiteral("Settings file."), QStringLiteral("file")});
    parser.addOption({QStringLiteral("scenario"), QStringLiteral("Windows to show."),
                      QStringLiteral("name"), QStringLiteral("windows")});
    parser.process(app);

    const QMap<QString, std::function<void(ReadyReporter *)>> scenarios{
            {QStringLiteral("windows"), windowsScenario},
            {QStringLiteral("popups"),
             [](ReadyReporter *ready) {
                 buildPopupScenario([ready](QWidget *window) { ready->watch(window); }, say);
             }},
            {QStringLiteral("toasts"), toastsScenario},
            {QStringLiteral("focus"), focusScenario},
    };
    const auto scenario = scenarios.find(parser.value(QStringLiteral("scenario")));
    if (scenario == scenarios.end() || !parser.isSet(QStringLiteral("settings"))) {
        std::fprintf(
                stderr,
                "usage: kelwindowdemo --settings FILE [--scenario windows|popups|toasts|focus]\n");
        return 2;
    }

    KelSettings settings(parser.value(QStringLiteral("settings")), QSettings::IniFormat);
    app.setSettings(&settings);
    // Double-clicks sent by xdotool on a loaded machine are slow.
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(2000);
    app.setQuitOnLastWindowClosed(false);

    ReadyReporter ready;
    scenario.value()(&ready);
    const int result = app.exec();
    qDeleteAll(QApplication::topLevelWidgets());
    return result;
}
