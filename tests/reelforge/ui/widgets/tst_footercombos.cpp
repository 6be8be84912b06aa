#include "application.h"
#include "appservicesfixture.h"
#include "kelui.h"
#include "shared/enums.h"
#include "shared/settingsprovider.h"
#include "styles/kelstylemanager.h"
#include "ui/style.h"
#include "ui/widgets/postactionscombo.h"
#include "ui/widgets/targetfoldercombo.h"
#include "waitbound.h"
#include "widgets/kellabel.h"
#include "windows/kelpopup.h"
#include "windows/kelwindow.h"

#include "../../../kelkit/offscreenleak.h"
#include "comboinput.h"

#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {

Application *application()
{
    return qobject_cast<Application *>(QCoreApplication::instance());
}

// A shown window holding one combo.
struct ComboWindow
{
    explicit ComboWindow(KelComboBox *combo) : window(KelWindow::Movable)
    {
        window.setGeometry(20, 20, 500, 200);
        auto *layout = new QVBoxLayout(window.centralWidget());
        layout->addWidget(combo);
        layout->addStretch();
        window.show();
    }
    KelWindow window;
};

} // namespace

class tst_FooterCombos : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void postActionChoice_data();
    void postActionChoice();
    void postActionTexts();
    void folderTypeFromElsewhere();
    void cancelledFolderChoiceRestoresTheType_data();
    void cancelledFolderChoiceRestoresTheType();
    void chosenFolderIsShownAsStored();

private:
    SettingsProvider *settings() const { return SettingsProvider::instance(); }
};

void tst_FooterCombos::initTestCase()
{
    Style::registerThemes(kelUi());
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(QStringLiteral("LightStyle")));
    QVERIFY(settings());
    QVERIFY(application());
}

void tst_FooterCombos::init()
{
    settings()->setTargetFolderType(Enums::InputFolder);
    settings()->setTargetFolderPath(QString());
    application()->setPostAction(Enums::DoNothing);
}

void tst_FooterCombos::cleanup()
{
    TargetFolderCombo::setFolderChooser({});
    KelPopup::closeActivePopups();
    QTRY_COMPARE(QGuiApplication::mouseButtons(), Qt::NoButton);
}

void tst_FooterCombos::postActionChoice_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("styleId");

    QTest::newRow("sleep") << "Sleep" << int(Enums::Sleep) << 1026;
    QTest::newRow("stop app") << "Stop app" << int(Enums::QuitApp) << 1026;
    QTest::newRow("shutdown") << "Shutdown" << int(Enums::Shutdown) << 1026;
    QTest::newRow("back to nothing") << "Do nothing" << int(Enums::DoNothing) << 1025;
}

void tst_FooterCombos::postActionChoice()
{
    QFETCH(QString, row);
    QFETCH(int, action);
    QFETCH(int, styleId);

    auto *combo = new PostActionsCombo;
    ComboWindow shown(combo);
    QVERIFY(QTest::qWaitForWindowExposed(&shown.window, WaitBound::ms()));
    QCOMPARE(combo->styleId(), Style::WT_ComboBox_PostAction_Idle);
    // Start from another action, so that every row is a change.
    if (action == Enums::DoNothing)
        QVERIFY(ComboInput::choose(combo, QStringLiteral("Sleep")));

    QVERIFY(ComboInput::choose(combo, row));
    QCOMPARE(application()->postAction(), action);
    QCOMPARE(combo->postAction(), action);
    QCOMPARE(combo->styleId(), styleId);
    QCOMPARE(combo->text(), QString());
    const KelStyle *style = KelStyleManager::instance()->currentStyle();
    const QColor tint = styleId == 1026 ? style->color(KelStyle::CL_Accent)
                                        : style->color(Style::CL_Gray_1);
    QCOMPARE(combo->iconColors().normal, tint);
}

void tst_FooterCombos::postActionTexts()
{
    PostActionsCombo combo;
    QCOMPARE(combo.titleLabel()->text(), QStringLiteral("On rendering complete:"));
    QCOMPARE(ComboInput::itemTexts(&combo),
             QStringList({"Do nothing", "Stop app", "Sleep", "Shutdown"}));
    QCOMPARE(combo.postAction(), int(Enums::DoNothing));
    QCOMPARE(combo.text(), QString());
    // The title sits above the rows.
    QCOMPARE(combo.popup()->contentLayout()->indexOf(combo.titleLabel()->parentWidget()), 0);
}

void tst_FooterCombos::folderTypeFromElsewhere()
{
    settings()->setTargetFolderType(Enums::Documents);
    TargetFolderCombo footer(TargetFolderCombo::FooterMode);
    TargetFolderCombo plain(TargetFolderCombo::PlainMode);
    QCOMPARE(footer.folderType(), int(Enums::Documents));
    QCOMPARE(footer.styleId(), Style::WT_ComboBox_Folder);
    QCOMPARE(plain.styleId(), KelStyle::WT_ComboBox);
    QSignalSpy clicked(&footer, &KelComboBox::itemClicked);

    settings()->setTargetFolderType(Enums::Desktop);
    QCOMPARE(footer.folderType(), int(Enums::Desktop));
    QCOMPARE(plain.folderType(), int(Enums::Desktop));
    QVERIFY(footer.itemButtons().value(int(Enums::Desktop))->isChecked());
    QCOMPARE(footer.text(), QStringLiteral("Save to:"));
    QCOMPARE(footer.secondText(), QStringLiteral("Desktop"));
    QCOMPARE(plain.text(), QStringLiteral("Desktop"));
    QCOMPARE(clicked.size(), 0);

    // The custom folder as stored, in both forms.
    settings()->setTargetFolderPath(QStringLiteral("/srv/media/out"));
    settings()->setTargetFolderType(Enums::CustomFolder);
    QCOMPARE(footer.secondText(), QStringLiteral("/srv/media/out"));
    QCOMPARE(plain.text(), QStringLiteral("/srv/media/out"));
    QCOMPARE(clicked.size(), 0);
}

void tst_FooterCombos::cancelledFolderChoiceRestoresTheType_data()
{
    QTest::addColumn<int>("before");

    QTest::newRow("from the input folder") << int(Enums::InputFolder);
    QTest::newRow("from the desktop") << int(Enums::Desktop);
    QTest::newRow("from a custom folder") << int(Enums::CustomFolder);
}

void tst_FooterCombos::cancelledFolderChoiceRestoresTheType()
{
    QFETCH(int, before);

    settings()->setTargetFolderPath(QStringLiteral("/srv/media/old"));
    settings()->setTargetFolderType(Enums::TargetFolderType(before));
    QList<int> typesWhileAsked;
    TargetFolderCombo::setFolderChooser([this, &typesWhileAsked] {
        typesWhileAsked << int(settings()->targetFolderType());
        return QString();
    });
    auto *combo = new TargetFolderCombo(TargetFolderCombo::FooterMode);
    ComboWindow shown(combo);
    QVERIFY(QTest::qWaitForWindowExposed(&shown.window, WaitBound::ms()));
    const QString shownBefore = combo->secondText();

    QVERIFY(ComboInput::choose(combo, QStringLiteral("Select folder...")));
    QTRY_COMPARE(typesWhileAsked, QList<int>({int(Enums::CustomFolder)}));
    QCOMPARE(combo->folderType(), before);
    QCOMPARE(int(settings()->targetFolderType()), before);
    QCOMPARE(combo->secondText(), shownBefore);
    QCOMPARE(settings()->targetFolderPath(), QStringLiteral("/srv/media/old"));
}

void tst_FooterCombos::chosenFolderIsShownAsStored()
{
    // A custom folder is current already: its row still asks again.
    settings()->setTargetFolderPath(QStringLiteral("/srv/media/old"));
    settings()->setTargetFolderType(Enums::CustomFolder);
    const QString chosen = QStringLiteral("/home/user/Videos/done here");
    int asked = 0;
    TargetFolderCombo::setFolderChooser([&asked, chosen] {
        ++asked;
        return chosen;
    });
    auto *combo = new TargetFolderCombo(TargetFolderCombo::FooterMode);
    ComboWindow shown(combo);
    QVERIFY(QTest::qWaitForWindowExposed(&shown.window, WaitBound::ms()));
    QCOMPARE(combo->secondText(), QStringLiteral("/srv/media/old"));

    QVERIFY(ComboInput::choose(combo, QStringLiteral("Select folder...")));
    QTRY_COMPARE(asked, 1);
    QCOMPARE(settings()->targetFolderPath(), chosen);
    QCOMPARE(int(settings()->targetFolderType()), int(Enums::CustomFolder));
    QCOMPARE(combo->text(), QStringLiteral("Save to:"));
    QCOMPARE(combo->secondText(), chosen);
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    AppServicesFixture services(app);
    tst_FooterCombos test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_footercombos.moc"
