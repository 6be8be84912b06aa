#include "metrics/platform/batterypresence.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class tst_BatteryPresence : public QObject
{
    Q_OBJECT

private slots:
    void fromPowerSupplies_data();
    void fromPowerSupplies();
};

void tst_BatteryPresence::fromPowerSupplies_data()
{
    // Each supply as "name:type" or "name:type:scope".
    QTest::addColumn<QStringList>("supplies");
    QTest::addColumn<int>("presence");
    QTest::addColumn<bool>("folderExists");

    QTest::newRow("laptop") << QStringList{"AC:Mains", "BAT0:Battery"} << 1 << true;
    QTest::newRow("system scope") << QStringList{"BAT1:Battery:System"} << 1 << true;
    QTest::newRow("desktop") << QStringList{"AC:Mains"} << 0 << true;
    QTest::newRow("no supplies") << QStringList{} << 0 << true;
    QTest::newRow("mouse battery only")
            << QStringList{"hidpp_battery_0:Battery:Device", "AC:Mains"} << 0 << true;
    QTest::newRow("mouse and laptop")
            << QStringList{"hidpp_battery_0:Battery:Device", "BAT0:Battery"} << 1 << true;
    QTest::newRow("supply without type") << QStringList{"ucsi-source-psy-1"} << 0 << true;
    QTest::newRow("no folder") << QStringList{} << -1 << false;
}

void tst_BatteryPresence::fromPowerSupplies()
{
    QFETCH(QStringList, supplies);
    QFETCH(int, presence);
    QFETCH(bool, folderExists);

    QTemporaryDir root;
    const QDir dir(root.filePath(QStringLiteral("power_supply")));
    if (folderExists)
        QVERIFY(dir.mkpath(QStringLiteral(".")));
    for (const QString &supply : supplies) {
        const QStringList parts = supply.split(QLatin1Char(':'));
        QVERIFY(dir.mkdir(parts.at(0)));
        const char *files[] = {"type", "scope"};
        for (int i = 1; i < parts.size(); ++i) {
            QFile file(dir.filePath(parts.at(0) + QLatin1Char('/') + QLatin1String(files[i - 1])));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(parts.at(i).toUtf8() + '\n');
        }
    }
    QCOMPARE(batteryPresence(dir.path()), presence);
}

QTEST_GUILESS_MAIN(tst_BatteryPresence)

#include "tst_batterypresence.moc"
