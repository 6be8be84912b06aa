#include "platform/logindpower.h"

#include "fakelogin1.h"
#include "privatesessionbus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QtTest>

#include <memory>

class tst_LogindPower : public QObject
{
    Q_OBJECT

private slots:
    void requestsReachTheManager_data();
    void requestsReachTheManager();
};

void tst_LogindPower::requestsReachTheManager_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<bool>("serviceRuns");
    QTest::addColumn<bool>("denied");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("errorPart");

    QTest::newRow("suspend") << "Suspend" << true << false << true << QString();
    QTest::newRow("power off") << "PowerOff" << true << false << true << QString();
    QTest::newRow("suspend denied")
            << "Suspend" << true << true << false << "org.freedesktop.DBus.Error.AccessDenied";
    QTest::newRow("power off denied")
            << "PowerOff" << true << true << false << FakeLogin1Service::DeniedText;
    QTest::newRow("no service") << "Suspend" << false << false << false
                                << "org.freedesktop.DBus.Error.ServiceUnknown";
}

void tst_LogindPower::requestsReachTheManager()
{
    QFETCH(QString, method);
    QFETCH(bool, serviceRuns);
    QFETCH(bool, denied);
    QFETCH(bool, accepted);
    QFETCH(QString, errorPart);

    std::unique_ptr<FakeLogin1Service> service;
    if (serviceRuns) {
        service = std::make_unique<FakeLogin1Service>();
        QVERIFY(service->isRegistered());
        service->manager().setDenied(denied);
    }

    LogindPower power(QDBusConnection::sessionBus());
    QString error = QStringLiteral("untouched");
    const bool result = method == QLatin1String("Suspend") ? power.suspend(&error)
                                                           : power.powerOff(&error);

    QCOMPARE(result, accepted);
    if (accepted)
        QCOMPARE(error, QStringLiteral("untouched"));
    else
        QVERIFY2(error.contains(errorPart), qPrintable(error));
    if (service)
        QCOMPARE(service->manager().calls(), QStringList{method + QLatin1String("(false)")});
}

int main(int argc, char **argv)
{
    if (!PrivateSessionBus::isInside())
        return PrivateSessionBus::rerunInside(argc, argv);
    QCoreApplication app(argc, argv);
    tst_LogindPower test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_logindpower.moc"
