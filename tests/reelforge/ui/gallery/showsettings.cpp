#include "shared/settingsprovider.h"
#include "ui/settingsdialog.h"
#include "ui/widgets/badgedbutton.h"
#include "widgets/kelbutton.h"

#include "showmode.h"

#include <cstdio>

namespace {

KelButton *buttonWithText(QWidget *dialog, const QString &text)
{
    const auto buttons = dialog->findChildren<KelButton *>();
    for (KelButton *button : buttons) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

// Points: the theme buttons, Cancel and Save. Every theme switch prints
// "style <id>"; the state is the stored "lastStyleId".
const bool registered = registerShowWindow("settings", [](const ShowContext &) {
    ShownWindow shown;
    SettingsProvider *settings = SettingsProvider::instance();
    auto *dialog = new SettingsDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(settings, &KelSettings::lastStyleIdChanged, dialog, [](const QString &id) {
        std::printf("style %s\n", qPrintable(id));
        std::fflush(stdout);
    });
    shown.window = dialog;
    QPointer<SettingsDialog> guard(dialog);
    shown.points = [guard] {
        QVector<ShowPoint> points;
        if (!guard)
            return points;
        points << centreOf(QStringLiteral("light"), buttonWithText(guard, QStringLiteral("Light")))
               << centreOf(QStringLiteral("dark"), buttonWithText(guard, QStringLiteral("Dark")))
               << centreOf(QStringLiteral("cancel"), guard->rejectButton())
               << centreOf(QStringLiteral("save"), guard->acceptButton());
        return points;
    };
    shown.state = [settings] {
        return QStringList{QStringLiteral("lastStyleId ")
                           + settings->value(QStringLiteral("lastStyleId")).toString()};
    };
    dialog->showWithStrategy(KelWindow::CenteredOnParent);
    return shown;
});

} // namespace
