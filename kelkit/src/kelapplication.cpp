#include "kelapplication.h"

#include "kelsettings.h"
#include "kelui.h"
#include "painting/keliconsprovider.h"

#include <QDebug>
#include <QPointer>

class KelApplication::Private
{
public:
    QPointer<KelSettings> settings;
    bool firstRun = true;
    QPointer<KelUi> ui;
    QPointer<KelIconsProvider> iconsProvider;
    bool creatingUi = false;
    bool destroying = false;
};

KelApplication::KelApplication(int &argc, char **argv)
    : QApplication(argc, argv), d(std::make_unique<Private>())
{
    setAttribute(Qt::AA_DontCreateNativeWidgetSiblings, true);
    setAttribute(Qt::AA_UseHighDpiPixmaps, true);
}

KelApplication::~KelApplication()
{
    d->destroying = true;
    if (d->settings)
        d->settings->save();
    delete d->ui;
    // Icons hold pixmaps, which must go while the GUI application exists.
    delete d->iconsProvider;
    d.reset();
    qInfo() << "App is finished normally.";
}

KelUi *KelApplication::kelUi()
{
    if (!d || d->destroying)
        return nullptr;
    if (d->ui)
        return d->ui;
    if (d->creatingUi) {
        // Reached from the UI object's own construction: a second creation
        // would never end.
        qWarning() << "The UI object is asked for while it is being created";
        return nullptr;
    }
    d->creatingUi = true;
    KelUi *ui = createUi();
    d->creatingUi = false;
    d->ui = ui;
    if (!ui)
        return nullptr;
    ui->setParent(this);
    ui->init();
    return ui;
}

void KelApplication::setSettings(KelSettings *settings)
{
    d->settings = settings;
}

KelSettings *KelApplication::settings() const
{
    return d ? d->settings.data() : nullptr;
}

KelIconsProvider *KelApplication::iconsProvider()
{
    if (!d || d->destroying)
        return nullptr;
    if (!d->iconsProvider)
        d->iconsProvider = new KelIconsProvider(this);
    return d->iconsProvider;
}

bool KelApplication::isFirstRun() const
{
    return d->firstRun;
}

void KelApplication::setFirstRun(bool firstRun)
{
    d->firstRun = firstRun;
}

bool KelApplication::translate(const QString &localeName)
{
    Q_UNUSED(localeName)
    return false;
}

KelUi *KelApplication::createUi()
{
    return new KelUi(this);
}

KelUi *kelUi()
{
    auto app = dynamic_cast<KelApplication *>(QCoreApplication::instance());
    return app ? app->kelUi() : nullptr;
}
