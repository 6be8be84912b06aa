#include "application.h"
#include "shared/settingsprovider.h"
#include "ui/ui.h"
#include "utils/notannoyingmessagetimer.h"
#include "waitbound.h"
#include "windows/kelmessagebox.h"
#include "windows/kelwindow.h"

#include "httpstubserver.h"
#include "messageboxinput.h"
#include "messagelog.h"
#include "plainwindowui.h"

#include <updater/updater.h>

#include <QLabel>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString RunningVersion = QStringLiteral("1.2.0");
const QString NewerVersion = QStringLiteral("1.3.0");
constexpr int CheckDelayMs = 5000;

// A main window for the question to wait for.
using TestApplication = PlainWindowApplication<Application, Ui>;

TestApplication *app = nullptr;

SettingsProvider *settings()
{
    return SettingsProvider::instance();
}

int pendingQuestions()
{
    return kelUi()->findChildren<NotAnnoyingMessageTimer *>().size();
}

} // namespace

// Runs in order: the checker is made once, as the program makes it.
class tst_UpdateCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void disabledAtStartThenSwitchedOn();
    void rememberedVersionIsNotAskedAgain();
    void newerVersionIsAskedOnce();

private:
    HttpStubServer m_server;
    Updater *m_updater = nullptr;
};

void tst_UpdateCheck::initTestCase()
{
    QVERIFY(m_server.listen());
    m_server.setDefaultReply({200, RunningVersion.toUtf8(), false});
    settings()->setUpdateCheckerEnabled(false);
    settings()->setUpdateCheckerShowedVersion(QStringLiteral("1.1.0"));

    kelUi()->setupMainWindow();
    QVERIFY(kelUi()->mainWindow());
    app->initUpdateChecker(QStringLiteral("15"), QStringLiteral("https://example.org/news"),
                           QStringLiteral("https://example.org/get"),
                           m_server.baseUrl() + QLatin1String("/check"));
    m_updater = app->findChild<Updater *>();
    QVERIFY(m_updater);
    QCOMPARE(app->linkUrl(), QStringLiteral("https://example.org/get"));
}

void tst_UpdateCheck::disabledAtStartThenSwitchedOn()
{
    auto *firstCheck = app->findChild<QTimer *>(QStringLiteral("updateCheckTimer"));
    QVERIFY(firstCheck);
    QCOMPARE(firstCheck->interval(), CheckDelayMs);
    QSignalSpy fired(firstCheck, &QTimer::timeout);
    QSignalSpy finished(m_updater, &Updater::finished);
    QVERIFY(fired.wait(CheckDelayMs * 4));
    // The check ran before the spy heard the timer; a request is made there
    // and then.
    QVERIFY(m_updater->findChildren<QNetworkReply *>().isEmpty());

    // Switched on: one request at once, and the version told about is forgotten.
    settings()->setUpdateCheckerEnabled(true);
    QCOMPARE(m_updater->findChildren<QNetworkReply *>().size(), 1);
    QCOMPARE(settings()->updateCheckerShowedVersion(), QString());
    QVERIFY(finished.wait(WaitBound::ms()));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(m_server.requests().size(), 1);
    QVERIFY(m_server.requests().first().startsWith(QLatin1String("/check?ver=")));
}

void tst_UpdateCheck::rememberedVersionIsNotAskedAgain()
{
    m_server.queueReply({200, NewerVersion.toUtf8(), false});
    QSignalSpy available(app, &Application::updateAvalible);
    QSignalSpy finished(m_updater, &Updater::finished);
    MessageLog log;

    settings()->setUpdateCheckerEnabled(false);
    settings()->setUpdateCheckerEnabled(true);
    // Told about in an earlier run; the answer is still on its way.
    settings()->setUpdateCheckerShowedVersion(NewerVersion);
    QVERIFY(finished.wait(WaitBound::ms()));

    QCOMPARE(available.count(), 1);
    QVERIFY(log.contains(QtInfoMsg, QStringLiteral("Question about")));
    QCOMPARE(pendingQuestions(), 0);
    QCOMPARE(m_server.requests().size(), 2);
}

void tst_UpdateCheck::newerVersionIsAskedOnce()
{
    KelWindow *main = kelUi()->mainWindow();
    main->show();
    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main, WaitBound::ms()));

    m_server.queueReply({200, NewerVersion.toUtf8(), false});
    QSignalSpy available(app, &Application::updateAvalible);
    QSignalSpy finished(m_updater, &Updater::finished);
    int questions = 0;
    QString question;
    // "CANCEL".
    MessageBoxInput::pressButton(1, [&](KelMessageBox *box) {
        ++questions;
        question = box->messageLabel()->text();
    });

    settings()->setUpdateCheckerEnabled(false);
    settings()->setUpdateCheckerEnabled(true);
    QVERIFY(finished.wait(WaitBound::ms()));
    QCOMPARE(available.count(), 1);
    QCOMPARE(pendingQuestions(), 1);
    QTRY_COMPARE(questions, 1);
    QVERIFY2(question.contains(NewerVersion), qPrintable(question));
    QCOMPARE(settings()->updateCheckerShowedVersion(), NewerVersion);
    QTRY_COMPARE(pendingQuestions(), 0);

    // The next check with the same answer, as at the next start, asks nothing.
    m_server.queueReply({200, NewerVersion.toUtf8(), false});
    m_updater->checkForUpdates(CheckDelayMs);
    QVERIFY(finished.wait(WaitBound::ms()));
    QCOMPARE(available.count(), 2);
    QCOMPARE(pendingQuestions(), 0);
    QCOMPARE(questions, 1);
    main->hide();
}

int main(int argc, char **argv)
{
    auto application = std::make_unique<TestApplication>(argc, argv);
    app = application.get();
    QCoreApplication::setApplicationName(QStringLiteral("Corvina Reelmorph"));
    QCoreApplication::setOrganizationName(QStringLiteral("Corvina"));
    QCoreApplication::setApplicationVersion(RunningVersion);
    registerSettingsMetaTypes();
    QTemporaryDir settingsDir;
    app->setSettings(new SettingsProvider(settingsDir.filePath(QStringLiteral("reelforge.ini")),
                                          QSettings::IniFormat, app));

    int result = 0;
    {
        // Its server goes before the application.
        tst_UpdateCheck test;
        result = QTest::qExec(&test, argc, argv);
    }
    app = nullptr;
    application.reset();
    return result;
}

#include "tst_updatecheck.moc"
