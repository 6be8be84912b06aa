#include "ui/splash.h"

#include "kelapplication.h"
#include "ui/metroprogressbar.h"
#include "windows/kelsplash.h"

#include <QCoreApplication>
#include <QDebug>
#include <QVBoxLayout>

// Outside any namespace, as the resource initialiser must be.
static void initSplashResources()
{
    static const bool initialised = [] {
        Q_INIT_RESOURCE(splash);
        return true;
    }();
    Q_UNUSED(initialised)
}

namespace {

const QPoint VersionTextOffset(40, 124);
constexpr int FontPixelSize = 24;
constexpr double DotRadius = 4.25;

} // namespace

KelSplash *Splash::showSplash(int minimumMs, bool waitForMainWindow)
{
    qInfo() << "Show splash ...";
    auto *app = dynamic_cast<KelApplication *>(QCoreApplication::instance());
    if (!app)
        return nullptr;
    initSplashResources();
    // No loading text: the dots show the progress.
    KelSplash *splash = app->showSplash(QStringLiteral(":/splash.svg"), minimumMs, 0, 0, 0,
                                        QStringLiteral("Segoe UI"), FontPixelSize,
                                        waitForMainWindow, QPoint(0, 0), VersionTextOffset,
                                        Qt::transparent, Qt::white, false);
    if (!splash)
        return nullptr;

    auto *bar = new MetroProgressBar(splash);
    bar->setColor(Qt::white);
    bar->setRadius(DotRadius);
    bar->setState(KelProgressBar::Indeterminate);

    // The dots run along the bottom edge.
    auto *layout = new QVBoxLayout(splash);
    layout->setContentsMargins(80, 0, 80, 22);
    layout->addStretch();
    layout->addWidget(bar);
    return splash;
}
