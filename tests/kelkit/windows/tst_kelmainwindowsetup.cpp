#include "kelapplication.h"
#include "kelsettings.h"
#include "kelui.h"
#include "waitbound.h"
#include "windows/kelwindow.h"

#include "../offscreenleak.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

class CountingWindow : public KelWindow
{
public:
    explicit CountingWindow(const QString &name = QString())
        : KelWindow(KelWindow::Movable | KelWindow::WindowButtons, nullptr, KelWindow::Default,
                    false, name)
    { }
    int translated = 0;
    void translateUi() override
    {
        KelWindow::translateUi();
        ++translated;
    }
};

// A program's UI object: its main window comes from its factory.
class ProgramUi : public KelUi
{
public:
    using KelUi::KelUi;
    int created = 0;
    bool makeWindow = true;

protected:
    KelWindow *createMainWindow() override
    {
        ++created;
        return makeWindow ? new CountingWindow(QStringLiteral("MainWindow")) : nullptr;
    }
};

class ProgramApplication : public KelApplication
{
public:
    using KelApplication::KelApplication;

protected:
    KelUi *createUi() override { return new ProgramUi(this); }
};

} // namespace

class tst_KelMainWindowSetup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void setupRunsOnce();
    void withoutMainWindow();
    void secondStartBringsTheWindowForward();
    void firstShowIsAnnouncedOnceEver();
    void onlyTheMainWindowKeepsItsScreen();
    void translateTopLevelWindows();
    void uiObjectDeletesTheMainWindow();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<KelSettings> m_settings;
    std::unique_ptr<ProgramUi> m_ui;
};

void tst_KelMainWindowSetup::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_settings = std::make_unique<KelSettings>(m_dir->filePath(QStringLiteral("kel.ini")),
                                               QSettings::IniFormat);
    static_cast<KelApplication *>(QCoreApplication::instance())->setSettings(m_settings.get());
    // A UI object of its own per test: the main window is made once per UI.
    m_ui = std::make_unique<ProgramUi>();
}

void tst_KelMainWindowSetup::cleanup()
{
    m_ui.reset();
    m_settings.reset();
    m_dir.reset();
}

void tst_KelMainWindowSetup::setupRunsOnce()
{
    QSignalSpy created(m_ui.get(), &KelUi::mainWindowCreated);
    m_ui->setupMainWindow();
    m_ui->setupMainWindow();
    QCOMPARE(m_ui->created, 1);
    QCOMPARE(created.count(), 1);
    QVERIFY(m_ui->mainWindow());
    QCOMPARE(created.at(0).at(0).value<KelWindow *>(), m_ui->mainWindow());
}

void tst_KelMainWindowSetup::withoutMainWindow()
{
    m_ui->makeWindow = false;
    QSignalSpy created(m_ui.get(), &KelUi::mainWindowCreated);
    m_ui->setupMainWindow();
    QCOMPARE(created.count(), 1);
    QCOMPARE(created.at(0).at(0).value<KelWindow *>(), nullptr);
    QVERIFY(!m_ui->mainWindow());
}

void tst_KelMainWindowSetup::secondStartBringsTheWindowForward()
{
    m_ui->setupMainWindow();
    KelWindow *window = m_ui->mainWindow();
    QVERIFY(window->isHidden());
    auto app = static_cast<KelSingleApplication *>(QCoreApplication::instance());

    emit app->messageReceived(QString());
    QVERIFY(QTest::qWaitForWindowExposed(window, WaitBound::ms()));

    window->showMinimized();
    QTRY_VERIFY(window->isMinimized());
    emit app->messageReceived(QString());
    QTRY_VERIFY(!window->isMinimized());
    QVERIFY(window->isVisible());
}

void tst_KelMainWindowSetup::firstShowIsAnnouncedOnceEver()
{
    QSignalSpy ever(m_ui.get(), &KelUi::mainWindowShowedFirstTimeEver);
    QSignalSpy session(m_ui.get(), &KelUi::mainWindowShowedFirstTimeInCurrentSession);
    QSignalSpy stored(m_settings.get(), &KelSettings::showFirstStartWizardChanged);
    m_ui->setupMainWindow();
    KelWindow *window = m_ui->mainWindow();

    window->show();
    // Queued: nothing yet within the show.
    QCOMPARE(session.count(), 0);
    QVERIFY(session.wait(WaitBound::ms()));
    QCOMPARE(ever.count(), 1);
    QVERIFY(!m_settings->showFirstStartWizard());
    QCOMPARE(stored.count(), 1);

    window->hide();
    window->show();
    QCoreApplication::processEvents();
    QCOMPARE(session.count(), 1);
    QCOMPARE(ever.count(), 1);

    // The next session shows its main window for the first time again, but
    // not for the first time ever.
    auto nextSession = std::make_unique<ProgramUi>();
    QSignalSpy nextEver(nextSession.get(), &KelUi::mainWindowShowedFirstTimeEver);
    QSignalSpy nextSessionFirst(nextSession.get(),
                                &KelUi::mainWindowShowedFirstTimeInCurrentSession);
    nextSession->setupMainWindow();
    nextSession->mainWindow()->show();
    QVERIFY(nextSessionFirst.wait(WaitBound::ms()));
    QCOMPARE(nextEver.count(), 0);
    QCOMPARE(stored.count(), 1);
}

void tst_KelMainWindowSetup::onlyTheMainWindowKeepsItsScreen()
{
    // Through the application's UI object, whose main window the windows
    // compare themselves with.
    auto ui = static_cast<ProgramUi *>(kelUi());
    ui->setupMainWindow();
    KelWindow *main = ui->mainWindow();
    CountingWindow other(QStringLiteral("Other"));
    other.show();
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main, WaitBound::ms()));
    QSignalSpy screenStored(m_settings.get(), &KelSettings::lastScreenChanged);

    other.saveWindowGeometry();
    QVERIFY(m_settings->contains(QStringLiteral("Other_Geometry")));
    QVERIFY(!m_settings->contains(QStringLiteral("lastScreen")));

    main->saveWindowGeometry();
    QVERIFY(m_settings->contains(QStringLiteral("MainWindow_Geometry")));
    QCOMPARE(m_settings->lastScreen(), 0);
    QCOMPARE(screenStored.count(), 1);
    main->saveWindowGeometry();
    QCOMPARE(screenStored.count(), 1);
}

void tst_KelMainWindowSetup::translateTopLevelWindows()
{
    CountingWindow first;
    CountingWindow second;
    auto *child = new CountingWindow;
    child->setParent(&first, child->windowFlags() & ~Qt::Window);
    QWidget plain;

    KelUi::translateTopLevelWindows();

    QCOMPARE(first.translated, 1);
    QCOMPARE(second.translated, 1);
    QCOMPARE(child->translated, 0);
}

void tst_KelMainWindowSetup::uiObjectDeletesTheMainWindow()
{
    m_ui->setupMainWindow();
    QPointer<KelWindow> window = m_ui->mainWindow();
    QVERIFY(window);
    m_ui.reset();
    QVERIFY(!window);
}

int main(int argc, char **argv)
{
    ProgramApplication app(argc, argv);
    tst_KelMainWindowSetup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelmainwindowsetup.moc"
