#include "settingspage.h"

#include "kelapplication.h"
#include "keltranslator.h"
#include "shared/settingsprovider.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "ui/servicemodewindow.h"
#include "ui/settingsdialog.h"
#include "ui/style.h"
#include "ui/widgets/buttonswitcher.h"
#include "widgets/kelbutton.h"
#include "widgets/kelexclusivebuttongroup.h"
#include "widgets/keltabwidget.h"
#include "windows/kelcustomshadow.h"
#include "windows/kelwindowframe.h"

#include "appservicesfixture.h"
#include "windowinput.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>

namespace {

constexpr int StylesTab = 5;

void runEventsFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The window with its shadow over a band of the current theme's darker
// background.
QImage composed(KelWindow *window)
{
    KelWindowFrame *frame = window->windowFrame();
    const int grow = frame->shadowRadius();
    const QSize size = window->size() + QSize(2 * grow, 2 * grow);
    QImage image(size + QSize(40, 40), QImage::Format_ARGB32_Premultiplied);
    image.fill(kelStyle()->color(Style::CL_Gray_5));
    QPainter painter(&image);
    const QPoint origin(20, 20);
    painter.drawImage(origin, KelCustomShadow::shadowImage(frame, size, 1.0));
    const QPoint windowAt = origin + QPoint(grow, grow);
    painter.setClipPath(frame->outline(window->size(), 1.0).translated(windowAt));
    painter.drawPixmap(windowAt, window->grab());
    return image;
}

bool save(KelWindow *window, const QDir &dir, const QString &fileName)
{
    const QString path = dir.filePath(fileName);
    if (!composed(window).save(path)) {
        qWarning().noquote() << "could not save" << path;
        return false;
    }
    qInfo().noquote() << "saved" << path;
    return true;
}

// Saves the shown window in the light theme, then lets switchToDark switch
// to the dark one while it is open and saves it again.
template<typename SwitchToDark>
bool saveBothThemes(KelWindow *window, const QDir &dir, const QString &name,
                    SwitchToDark switchToDark)
{
    window->show();
    runEventsFor(400);
    const bool light = save(window, dir, name + QStringLiteral("-light.png"));
    switchToDark();
    runEventsFor(400);
    const bool dark = save(window, dir, name + QStringLiteral("-dark.png"));
    KelStyleManager::instance()->setCurrentStyle(QStringLiteral("LightStyle"));
    return light && dark;
}

} // namespace

bool saveSettingsPictures(const QDir &dir)
{
    auto *app = dynamic_cast<KelApplication *>(QCoreApplication::instance());
    if (!app)
        return false;
    bool saved = true;
    {
        AppServicesFixture services(*app);
        SettingsProvider::instance()->setTargetFolderPath(
                QStringLiteral("/home/user/Videos/Converted"));
        SettingsProvider::instance()->setTargetFolderType(Enums::CustomFolder);
        // The language list: English, built in, without files beside the
        // gallery.
        if (!app->translator())
            app->installTranslator(QStringLiteral("reelforge"));
        KelStyleManager::instance()->setCurrentStyle(QStringLiteral("LightStyle"));

        SettingsDialog dialog;
        // As the user switches: by the dialog's Dark button.
        auto *themes = dialog.findChild<ButtonSwitcher *>();
        saved = saveBothThemes(&dialog, dir, QStringLiteral("settings"),
                               [themes] {
                                   if (KelButton *dark = themes->group()->buttonByData(
                                               QStringLiteral("DarkStyle")))
                                       WindowInput::click(dark);
                               })
                && saved;
        dialog.hide();

        ServiceModeWindow window;
        window.resize(1040, 1180);
        window.tabs()->setCurrentIndex(StylesTab);
        auto *styles = window.findChild<KelTabWidget *>(QStringLiteral("Styles"));
        saved = saveBothThemes(&window, dir, QStringLiteral("servicemode-styles"),
                               [styles] {
                                   KelStyleManager::instance()->setCurrentStyle(
                                           QStringLiteral("DarkStyle"));
                                   // The dark theme's own page.
                                   if (styles)
                                       styles->setCurrentIndex(1);
                               })
                && saved;
        window.hide();
    }
    // The settings above are gone.
    app->setSettings(nullptr);
    return saved;
}
