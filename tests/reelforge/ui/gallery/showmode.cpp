#include "showmode.h"

#include "application.h"
#include "appservicesfixture.h"
#include "core/mediaimport.h"
#include "kelui.h"
#include "painting/kelanimatedicons.h"
#include "waitbound.h"

#include <QEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QMap>
#include <QTimer>

#include <cstdio>

namespace {

// Quiet time after the last move or resize before the points are printed.
constexpr int SettleMs = 300;

QMap<QString, ShowOpener> &openers()
{
    static QMap<QString, ShowOpener> table;
    return table;
}

VideoItemPtr importClip(const QString &path)
{
    auto item = VideoItemPtr::create(QFileInfo(path));
    mediaimport import;
    QEventLoop loop;
    QObject::connect(item.data(), &VideoItem::stateChanged, &loop, &QEventLoop::quit);
    QTimer::singleShot(WaitBound::ms(), &loop, &QEventLoop::quit);
    import.loadMetaInfo(item);
    loop.exec();
    return item->state() == VideoItem::Imported ? item : VideoItemPtr();
}

// Prints the points whenever the window has settled, and the state once it
// has closed.
class ShowWatcher : public QObject
{
public:
    explicit ShowWatcher(ShownWindow shown) : m_shown(std::move(shown))
    {
        m_settle.setSingleShot(true);
        m_settle.setInterval(SettleMs);
        connect(&m_settle, &QTimer::timeout, this, &ShowWatcher::printPoints);
        m_shown.window->installEventFilter(this);
        connect(m_shown.window.data(), &QObject::destroyed, this, &ShowWatcher::finish);
        if (m_shown.window->isVisible())
            m_settle.start();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_shown.window) {
            switch (event->type()) {
            case QEvent::Show:
            case QEvent::Move:
            case QEvent::Resize:
                m_settle.start();
                break;
            case QEvent::Hide:
                // Deferred, so that an accepting dialog has stored its values.
                QTimer::singleShot(0, this, &ShowWatcher::finish);
                break;
            default:
                break;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void printPoints()
    {
        if (m_finished || !m_shown.window || !m_shown.points)
            return;
        for (const ShowPoint &point : m_shown.points())
            printShowLine(QStringLiteral("%1 %2 %3")
                                  .arg(point.name)
                                  .arg(point.global.x())
                                  .arg(point.global.y()));
        printShowLine(QStringLiteral("ready"));
    }

    void finish()
    {
        if (m_finished)
            return;
        m_finished = true;
        m_settle.stop();
        if (m_shown.state) {
            for (const QString &line : m_shown.state())
                printShowLine(line);
        }
        printShowLine(QStringLiteral("closed"));
        QCoreApplication::exit(0);
    }

    ShownWindow m_shown;
    QTimer m_settle;
    bool m_finished = false;
};

} // namespace

void printShowLine(const QString &line)
{
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool registerShowWindow(const char *name, const ShowOpener &opener)
{
    openers().insert(QLatin1String(name), opener);
    return true;
}

ShowPoint centreOf(const QString &name, const QWidget *widget)
{
    if (!widget)
        return {name, QPoint(-1, -1)};
    return {name, widget->mapToGlobal(widget->rect().center())};
}

int runShowMode(int argc, char **argv)
{
    Application app(argc, argv);
    const QStringList names = openers().keys();
    if (argc < 3 || !openers().contains(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "usage: reelgallery --show <window> [clip]; windows: %s\n",
                     qPrintable(names.join(QLatin1Char(' '))));
        return 2;
    }
    app.initFormats();
    AppServicesFixture services(app);
    KelAnimatedIcons::create();
    // Creates the program's UI object, which applies the light theme.
    kelUi();

    ShowContext context;
    if (argc > 3) {
        context.clip = QFileInfo(QString::fromLocal8Bit(argv[3])).absoluteFilePath();
        context.item = importClip(context.clip);
        if (!context.item) {
            std::fprintf(stderr, "cannot import %s\n", qPrintable(context.clip));
            return 1;
        }
    }

    ShownWindow shown = openers().value(QString::fromLocal8Bit(argv[2]))(context);
    if (!shown.window) {
        std::fprintf(stderr, "the window did not open\n");
        return 1;
    }
    ShowWatcher watcher(std::move(shown));
    return app.exec();
}
