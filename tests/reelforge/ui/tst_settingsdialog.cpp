#include "application.h"
#include "keltranslator.h"
#include "kelui.h"
#include "shared/enums.h"
#include "shared/settingsprovider.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "ui/settingsdialog.h"
#include "ui/style.h"
#include "ui/widgets/badgedbutton.h"
#include "ui/widgets/targetfoldercombo.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kellabel.h"
#include "windows/keltitlebar.h"

#include "appservicesfixture.h"
#include "httpstubserver.h"
#include "metricrequests.h"
#include "widgets/comboinput.h"
#include "windowinput.h"

#include <metrics/metricsender.h>

#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

// Without "_": the translator reads the locale from the first one on.
const QString TestPrefix = QStringLiteral("settingsdialogtest");
const QString English = QStringLiteral("en");
const QString German = QStringLiteral("de_DE");

SettingsProvider *settings()
{
    return SettingsProvider::instance();
}

Application *application()
{
    return qobject_cast<Application *>(QCoreApplication::instance());
}

QString languageName(const QString &localeName)
{
    return application()->translator()->rowForLocale(localeName).data().toString();
}

QString title(SettingsDialog *dialog)
{
    return dialog->titleBar()->titleLabel()->text();
}

KelComboBox *languageCombo(SettingsDialog *dialog)
{
    const auto combos = dialog->findChildren<KelComboBox *>();
    for (KelComboBox *combo : combos) {
        if (!qobject_cast<TargetFolderCombo *>(combo) && combo->isVisibleTo(dialog))
            return combo;
    }
    return nullptr;
}

KelButton *buttonWithText(SettingsDialog *dialog, const QString &text)
{
    const auto buttons = dialog->findChildren<KelButton *>();
    for (KelButton *button : buttons) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

// Usage events go to a server of the test's own while it lives.
struct MetricsServer
{
    MetricsServer()
    {
        listening = server.listen();
        MetricSender::init(QStringLiteral("device"), QStringLiteral("15"), QStringLiteral("1.0"),
                           true, server.baseUrl(), 50);
    }
    QStringList events()
    {
        MetricSender::flush();
        return metricEvents(server.requests());
    }
    HttpStubServer server;
    bool listening = false;
};

enum Road { CancelButton, EscapeKey, CloseEvent, SaveButton };

// Closes the dialog as a user would: a footer button, Escape or the
// window's close request.
bool closeBy(SettingsDialog *dialog, Road road)
{
    switch (road) {
    case CancelButton:
        WindowInput::click(dialog->rejectButton());
        break;
    case SaveButton:
        WindowInput::click(dialog->acceptButton());
        break;
    case EscapeKey:
        QTest::keyClick(dialog->windowHandle(), Qt::Key_Escape);
        break;
    case CloseEvent:
        dialog->close();
        break;
    }
    return QTest::qWaitFor([dialog] { return !dialog->isVisible(); }, WaitBound::ms());
}

std::unique_ptr<SettingsDialog> shownDialog()
{
    auto dialog = std::make_unique<SettingsDialog>();
    dialog->show();
    if (!QTest::qWaitForWindowExposed(dialog.get(), WaitBound::ms()))
        return nullptr;
    return dialog;
}

} // namespace

class tst_SettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void languageSwitchAndCancel();
    void sameLanguageClickChangesNothing();
    void liveChoicesRevert_data();
    void liveChoicesRevert();
    void savedChoicesStay();
    void previewQualityWrittenBack_data();
    void previewQualityWrittenBack();
    void switches_data();
    void switches();
};

void tst_SettingsDialog::initTestCase()
{
    Style::registerThemes(kelUi());
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(QStringLiteral("LightStyle")));
    QVERIFY(application()->translator());
    QVERIFY2(application()->translator()->rowForLocale(German).isValid(),
             "the test language is built beside the test program");
}

void tst_SettingsDialog::init()
{
    settings()->setLocaleName(English);
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(QStringLiteral("LightStyle")));
    settings()->setTargetFolderType(Enums::InputFolder);
    settings()->setTargetFolderPath(QStringLiteral("/srv/media/before"));
    settings()->setUpdateCheckerEnabled(true);
    settings()->setDontAskRemoveFromQueue(false);
    application()->setSendMetrics(true);
}

void tst_SettingsDialog::cleanup()
{
    TargetFolderCombo::setFolderChooser({});
    MetricSender::setEnabled(false);
}

void tst_SettingsDialog::languageSwitchAndCancel()
{
    MetricsServer metrics;
    QVERIFY(metrics.listening);
    auto dialog = shownDialog();
    QVERIFY(dialog);
    QCOMPARE(title(dialog.get()), QStringLiteral("Settings"));
    KelComboBox *combo = languageCombo(dialog.get());
    QVERIFY(combo);
    const QModelIndex englishRow = combo->currentModelIndex();
    QCOMPARE(englishRow.data(Qt::UserRole).toString(), English);
    const QRect before = dialog->geometry();

    QVERIFY(ComboInput::choose(combo, languageName(German)));
    QCOMPARE(settings()->localeName(), German);
    QCOMPARE(title(dialog.get()), QStringLiteral("Einstellungen"));
    QVERIFY(metrics.events().contains(QStringLiteral("chlan:de:en")));
    // The longer check-box text widens the dialog around its old centre.
    QTRY_VERIFY(dialog->width() > before.width());
    QTRY_COMPARE(dialog->geometry().center(), before.center());

    QVERIFY(closeBy(dialog.get(), CancelButton));
    QCOMPARE(settings()->localeName(), English);
    QCOMPARE(title(dialog.get()), QStringLiteral("Settings"));
    QCOMPARE(combo->currentModelIndex(), englishRow);
}

void tst_SettingsDialog::sameLanguageClickChangesNothing()
{
    MetricsServer metrics;
    QVERIFY(metrics.listening);
    auto dialog = shownDialog();
    QVERIFY(dialog);
    QSignalSpy localeChanges(settings(), &KelSettings::localeNameChanged);

    QVERIFY(ComboInput::choose(languageCombo(dialog.get()), languageName(English)));
    QCOMPARE(localeChanges.count(), 0);
    QCOMPARE(title(dialog.get()), QStringLiteral("Settings"));
    const QStringList events = metrics.events();
    QCOMPARE(events.filter(QStringLiteral("chlan")), QStringList{QStringLiteral("chlan:en:en")});
}

void tst_SettingsDialog::liveChoicesRevert_data()
{
    QTest::addColumn<int>("road");
    QTest::newRow("Cancel") << int(CancelButton);
    QTest::newRow("Escape") << int(EscapeKey);
    QTest::newRow("close") << int(CloseEvent);
}

// Theme and folder apply at once and every way out but Save undoes them.
void tst_SettingsDialog::liveChoicesRevert()
{
    QFETCH(int, road);
    const QString chosen = QStringLiteral("/srv/media/chosen");
    TargetFolderCombo::setFolderChooser([chosen] { return chosen; });
    auto dialog = shownDialog();
    QVERIFY(dialog);

    KelButton *light = buttonWithText(dialog.get(), QStringLiteral("Light"));
    KelButton *dark = buttonWithText(dialog.get(), QStringLiteral("Dark"));
    QVERIFY(light->isChecked());
    WindowInput::click(dark);
    QTRY_COMPARE(kelStyle()->styleId(), QStringLiteral("DarkStyle"));
    QCOMPARE(settings()->value(QStringLiteral("lastStyleId")).toString(),
             QStringLiteral("DarkStyle"));
    QTRY_VERIFY(dark->isChecked());
    QVERIFY(!light->isChecked());
    // The theme previews keep their own colours through the switch.
    QVERIFY(!dark->colorizeIcon());
    auto *folder = dialog->findChild<TargetFolderCombo *>();
    QVERIFY(ComboInput::choose(folder, QStringLiteral("Select folder...")));
    QTRY_COMPARE(settings()->targetFolderPath(), chosen);
    QCOMPARE(settings()->targetFolderType(), Enums::CustomFolder);

    QVERIFY(closeBy(dialog.get(), Road(road)));
    QCOMPARE(kelStyle()->styleId(), QStringLiteral("LightStyle"));
    QCOMPARE(settings()->value(QStringLiteral("lastStyleId")).toString(),
             QStringLiteral("LightStyle"));
    QCOMPARE(settings()->targetFolderPath(), QStringLiteral("/srv/media/before"));
    QCOMPARE(settings()->targetFolderType(), Enums::InputFolder);
}

void tst_SettingsDialog::savedChoicesStay()
{
    auto dialog = shownDialog();
    QVERIFY(dialog);
    WindowInput::click(buttonWithText(dialog.get(), QStringLiteral("Dark")));
    QTRY_COMPARE(kelStyle()->styleId(), QStringLiteral("DarkStyle"));
    QVERIFY(closeBy(dialog.get(), SaveButton));
    dialog.reset();
    QCOMPARE(kelStyle()->styleId(), QStringLiteral("DarkStyle"));
    QCOMPARE(settings()->value(QStringLiteral("lastStyleId")).toString(),
             QStringLiteral("DarkStyle"));
}

void tst_SettingsDialog::previewQualityWrittenBack_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("expected");
    QTest::newRow("Low stays Low") << QVariant(int(Enums::Low)) << int(Enums::Low);
    QTest::newRow("Medium stays Medium") << QVariant(int(Enums::Middle)) << int(Enums::Middle);
    QTest::newRow("missing is written as High") << QVariant() << int(Enums::High);
}

// The row is hidden, yet Save writes the value that it holds.
void tst_SettingsDialog::previewQualityWrittenBack()
{
    QFETCH(QVariant, stored);
    QFETCH(int, expected);
    const QString key = QStringLiteral("previewQuality");
    if (stored.isValid())
        settings()->setValue(key, stored);
    else
        settings()->remove(key);

    auto dialog = shownDialog();
    QVERIFY(dialog);
    QVERIFY(closeBy(dialog.get(), SaveButton));
    QVERIFY(settings()->contains(key));
    QCOMPARE(int(settings()->previewQuality()), expected);
}

void tst_SettingsDialog::switches_data()
{
    QTest::addColumn<bool>("tick");
    QTest::addColumn<int>("road");
    QTest::newRow("untouched, Save") << false << int(SaveButton);
    QTest::newRow("all changed, Cancel") << true << int(CancelButton);
    QTest::newRow("all changed, Save") << true << int(SaveButton);
}

// The three check boxes are written by Save only; the update-check signal
// fires only on a real change.
void tst_SettingsDialog::switches()
{
    QFETCH(bool, tick);
    QFETCH(int, road);
    auto dialog = shownDialog();
    QVERIFY(dialog);
    QSignalSpy updateChanges(settings(), &KelSettings::updateCheckerEnabledChanged);
    const QStringList boxes{QStringLiteral("Automatic check for updates"),
                            QStringLiteral("Send anonymous usage stats"),
                            QStringLiteral("Allow remove from queue without confirmation")};
    if (tick) {
        for (const QString &text : boxes) {
            KelButton *box = buttonWithText(dialog.get(), text);
            QVERIFY2(box, qPrintable(text));
            const bool before = box->isChecked();
            WindowInput::click(box);
            QTRY_COMPARE(box->isChecked(), !before);
        }
    }
    QVERIFY(closeBy(dialog.get(), Road(road)));

    const bool written = tick && road == SaveButton;
    QCOMPARE(settings()->updateCheckerEnabled(), !written);
    QCOMPARE(updateChanges.count(), written ? 1 : 0);
    QCOMPARE(settings()->dontAskRemoveFromQueue(), written);
    QCOMPARE(application()->sendMetrics(), !written);
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    AppServicesFixture services(app);
    SettingsProvider::instance()->setLocaleName(English);
    app.installTranslator(TestPrefix);
    tst_SettingsDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsdialog.moc"
