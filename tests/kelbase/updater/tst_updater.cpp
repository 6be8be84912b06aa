#include "httpstubserver.h"
#include "updater/updater.h"
#include "waitbound.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

const QString NewFeatures = QStringLiteral("http://example.invalid/news");
const QString Download = QStringLiteral("http://example.invalid/download");

int noServerMessages = 0;
QtMessageHandler previousHandler = nullptr;

void countingHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("No update server configured")))
        ++noServerMessages;
    previousHandler(type, context, message);
}

} // namespace

class TestUpdater : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void requestCarriesVersionAndHashes();
    void versionComparison_data();
    void versionComparison();
    void timeoutEndsCheck();
    void secondCheckStopsFirst();
    void noServerSendsNothing();

private:
    Updater *makeUpdater(const QString &machineId = QStringLiteral("machine-1"));

    std::unique_ptr<HttpStubServer> m_stub;
};

void TestUpdater::initTestCase()
{
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0.9"));
}

void TestUpdater::init()
{
    m_stub = std::make_unique<HttpStubServer>();
    QVERIFY(m_stub->listen());
}

Updater *TestUpdater::makeUpdater(const QString &machineId)
{
    return new Updater(machineId, QStringLiteral("15"), NewFeatures, Download,
                       m_stub->baseUrl() + "/check.php", m_stub.get());
}

void TestUpdater::requestCarriesVersionAndHashes()
{
    Updater *updater = makeUpdater(QStringLiteral("machine-Ä"));
    QSignalSpy finished(updater, &Updater::finished);
    updater->checkForUpdates(5000);

    QVERIFY(finished.wait(WaitBound::ms()));
    // mh = md5(machine id + seed), h = md5(product id + mh + seed), worked out
    // independently of the code under test.
    QCOMPARE(m_stub->requests(),
             QStringList{"/check.php?ver=2.0.9&pid=15&mh=690cd0db9f0b9b0e14c1622bb9df32c3"
                         "&h=7d9a788b164d88ed0f548cd2f497dcbb"});
}

void TestUpdater::versionComparison_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("newer");

    QTest::newRow("newer") << 200 << QByteArray("2.1.0") << true;
    QTest::newRow("numeric, not textual") << 200 << QByteArray("10.0") << true;
    QTest::newRow("longer with equal prefix") << 200 << QByteArray("2.0.9.1") << true;
    QTest::newRow("same") << 200 << QByteArray("2.0.9") << false;
    QTest::newRow("shorter equal prefix") << 200 << QByteArray("2.0") << false;
    QTest::newRow("older") << 200 << QByteArray("1.9.12") << false;
    QTest::newRow("garbage") << 200 << QByteArray("<html>down</html>") << false;
    QTest::newRow("empty") << 200 << QByteArray() << false;
    QTest::newRow("server error") << 500 << QByteArray("3.0") << false;
}

void TestUpdater::versionComparison()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, newer);
    m_stub->setDefaultReply({status, body, false});
    if (status != 200)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Update checker reply error:"));

    Updater *updater = makeUpdater();
    QSignalSpy finished(updater, &Updater::finished);
    QSignalSpy newVersion(updater, &Updater::newVersionAvalible);
    updater->checkForUpdates(5000);

    QVERIFY(finished.wait(WaitBound::ms()));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(newVersion.size(), newer ? 1 : 0);
    if (newer)
        QCOMPARE(newVersion.first(), QVariantList({QString::fromUtf8(body), NewFeatures, Download}));
}

void TestUpdater::timeoutEndsCheck()
{
    m_stub->setDefaultReply({200, "3.0", true});
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Update checker reply error:"));

    Updater *updater = makeUpdater();
    QSignalSpy finished(updater, &Updater::finished);
    QSignalSpy newVersion(updater, &Updater::newVersionAvalible);
    updater->checkForUpdates(100);

    QVERIFY(finished.wait(WaitBound::ms()));
    QCOMPARE(m_stub->requests().size(), 1);
    QCOMPARE(newVersion.size(), 0);
}

void TestUpdater::secondCheckStopsFirst()
{
    m_stub->setDefaultReply({200, "2.1.0", false});
    QTest::ignoreMessage(QtInfoMsg, "Update check is running yet, force stop previous request");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Update checker reply error:"));

    Updater *updater = makeUpdater();
    QSignalSpy finished(updater, &Updater::finished);
    QSignalSpy newVersion(updater, &Updater::newVersionAvalible);
    updater->checkForUpdates(5000);
    updater->checkForUpdates(5000);

    QTRY_COMPARE(finished.size(), 2);
    QCOMPARE(newVersion.size(), 1);
}

void TestUpdater::noServerSendsNothing()
{
    previousHandler = qInstallMessageHandler(countingHandler);
    Updater updater(QStringLiteral("machine-1"), QStringLiteral("15"), NewFeatures, Download,
                    QString());
    QSignalSpy finished(&updater, &Updater::finished);
    updater.checkForUpdates(5000);
    updater.checkForUpdates(5000);

    QTRY_COMPARE(finished.size(), 2);
    qInstallMessageHandler(previousHandler);
    QCOMPARE(noServerMessages, 1);
    QVERIFY(m_stub->requests().isEmpty());
}

QTEST_GUILESS_MAIN(TestUpdater)
#include "tst_updater.moc"
