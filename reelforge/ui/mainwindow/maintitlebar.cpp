#include "ui/mainwindow/maintitlebar.h"

#include "application.h"
#include "styles/kelstyle.h"
#include "ui/style.h"
#include "ui/ui.h"
#include "widgets/kelbutton.h"
#include "windows/kelnativewindowutils.h"
#include "windows/keltitlebar.h"
#include "windows/kelwindow.h"

#include <QCoreApplication>
#include <QHBoxLayout>

namespace {

const char Context[] = "MainWindow_Header";
constexpr int UpdateStyleId = Style::WT_Button_Push_Gray_Outline_28;
constexpr int TitleButtonStyleId = KelStyle::WT_TitleBar_Minimize;

QString translate(const char *text)
{
    return QCoreApplication::translate(Context, text);
}

Ui *ui()
{
    return static_cast<Ui *>(kelUi());
}

} // namespace

class MainTitlebar::Private
{
public:
    KelWindow *window = nullptr;
    KelButton *updateButton = nullptr;
    KelButton *settingsButton = nullptr;
    KelButton *helpButton = nullptr;
    KelButton *maintenanceButton = nullptr;
};

MainTitlebar::MainTitlebar(KelWindow *window) : QObject(window), d(new Private)
{
    d->window = window;
    KelTitleBar *bar = window->titleBar();
    d->updateButton = new KelButton(UpdateStyleId, bar);
    d->updateButton->setObjectName(QStringLiteral("UpdateAvailable"));
    d->updateButton->hide();
    d->settingsButton = new KelButton(TitleButtonStyleId, QStringLiteral(":/svg/settings.svg"), bar);
    d->settingsButton->setObjectName(QStringLiteral("Settings"));
    d->helpButton = new KelButton(TitleButtonStyleId, QStringLiteral(":/svg/help.svg"), bar);
    d->helpButton->setObjectName(QStringLiteral("Help"));
    d->helpButton->hide();
    d->maintenanceButton = new KelButton(TitleButtonStyleId, QStringLiteral(":/svg/bug.svg"), bar);
    d->maintenanceButton->setObjectName(QStringLiteral("Maintenance"));

    QHBoxLayout *layout = bar->rightWidgetsLayout();
    layout->setContentsMargins(8, 0, 12, 0);
    layout->setSpacing(0);
    layout->addStretch();
    layout->addWidget(d->updateButton);
    layout->addSpacing(12);
    layout->addWidget(d->settingsButton);
    layout->addWidget(d->helpButton);
    layout->addWidget(d->maintenanceButton);
    if (KelNativeWindowUtils *utils = window->nativeWindowUtils()) {
        utils->addClientAreaWidgets(
                {d->updateButton, d->settingsButton, d->helpButton, d->maintenanceButton});
    }

    if (auto *app = qobject_cast<Application *>(QCoreApplication::instance())) {
        connect(app, &Application::updateAvalible, d->updateButton, &QWidget::show);
    }
    connect(d->updateButton, &KelButton::clicked, this, [] { ui()->openLinkUrl(); });
    connect(d->settingsButton, &KelButton::clicked, this, [] { ui()->showSettingsDialog(); });
    connect(d->helpButton, &KelButton::clicked, this, [] { ui()->openHelp(); });
    connect(d->maintenanceButton, &KelButton::clicked, this, [] { ui()->showServiceModeWindow(); });

    KelUi *kel = kelUi();
    d->maintenanceButton->setVisible(kel && kel->isMaintenanceMode());
    if (kel) {
        connect(
                kel, &KelUi::maintenanceModeStateChanged, this,
                [this](bool on) {
                    d->maintenanceButton->setVisible(on);
                    if (on)
                        emit d->maintenanceButton->clicked();
                },
                Qt::DirectConnection);
    }
}

MainTitlebar::~MainTitlebar() = default;

KelButton *MainTitlebar::updateButton() const
{
    return d->updateButton;
}

KelButton *MainTitlebar::settingsButton() const
{
    return d->settingsButton;
}

KelButton *MainTitlebar::helpButton() const
{
    return d->helpButton;
}

KelButton *MainTitlebar::maintenanceButton() const
{
    return d->maintenanceButton;
}

void MainTitlebar::translateUi()
{
    const QString title = translate("Corvina Reelmorph") + QLatin1Char(' ')
            + QCoreApplication::applicationVersion();
    d->window->setTitle(title);
    // The caption row draws the title; the window manager and the task bar
    // read it from the window.
    d->window->setWindowTitle(title);
    d->updateButton->setText(translate("Update available"));
    d->settingsButton->setToolTip(translate("Application settings ..."));
    d->helpButton->setToolTip(translate("Show help ..."));
}

#include "moc_maintitlebar.cpp"
