#include "metrics/hardwaremetricsbuilder.h"
#include "metrics/platform/screendpi.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

QString md5(const QString &text)
{
    return QString::fromLatin1(
            QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex());
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

class tst_HardwareMetricsBuilder : public QObject
{
    Q_OBJECT

private slots:
    void factsInOrder();
    void machineId_data();
    void machineId();
    void screenDpi();
};

void tst_HardwareMetricsBuilder::factsInOrder()
{
    const QList<MetricEvent> events = HardwareMetricsBuilder::build();
    QStringList keys;
    for (const MetricEvent &event : events) {
        keys.append(event.key);
        QVERIFY2(!event.value.isEmpty(), qPrintable(event.key));
        QVERIFY(event.extra.isEmpty());
    }
    QStringList expected{"osv",  "osk",    "osb",  "rs",   "scl", "dis",
                         "sram", "laptop", "tchd", "osid", "vdt"};
    if (!keys.contains(QLatin1String("sram")))
        expected.removeAll(QStringLiteral("sram"));
    QCOMPARE(keys, expected);

    const QScreen *primary = QGuiApplication::primaryScreen();
    QCOMPARE(events.at(3).value,
             QStringLiteral("%1x%2")
                     .arg(primary->geometry().width())
                     .arg(primary->geometry().height()));
    QCOMPARE(events.at(keys.indexOf("osid")).value, getOSMachineId());
    QCOMPARE(events.at(keys.indexOf("vdt")).value, QStringLiteral("1"));
    // Percent-encoded: no blank of the kernel version is left.
    QVERIFY(!events.at(1).value.contains(QLatin1Char(' ')));
}

void tst_HardwareMetricsBuilder::machineId_data()
{
    QTest::addColumn<QByteArray>("etcId");
    QTest::addColumn<QByteArray>("dbusId");
    QTest::addColumn<QString>("used");

    QTest::newRow("etc") << QByteArray("0123456789abcdef0123456789abcdef\n")
                         << QByteArray("ffffffffffffffffffffffffffffffff\n")
                         << "0123456789abcdef0123456789abcdef";
    QTest::newRow("dbus only") << QByteArray() << QByteArray("aaaabbbbccccddddaaaabbbbccccdddd\n")
                               << "aaaabbbbccccddddaaaabbbbccccdddd";
    QTest::newRow("empty etc") << QByteArray("\n") << QByteArray("11112222333344441111222233334444")
                               << "11112222333344441111222233334444";
    QTest::newRow("none") << QByteArray() << QByteArray() << "";
}

void tst_HardwareMetricsBuilder::machineId()
{
    QFETCH(QByteArray, etcId);
    QFETCH(QByteArray, dbusId);
    QFETCH(QString, used);

    QTemporaryDir root;
    if (!etcId.isNull())
        QVERIFY(writeFile(root.filePath(QStringLiteral("etc/machine-id")), etcId));
    if (!dbusId.isNull())
        QVERIFY(writeFile(root.filePath(QStringLiteral("var/lib/dbus/machine-id")), dbusId));

    const QString id = getOSMachineId(root.path());
    QCOMPARE(id, md5(used + QLatin1String("Qv3rTzpl")));
    QCOMPARE(getOSMachineId(root.path()), id);
}

void tst_HardwareMetricsBuilder::screenDpi()
{
    QCOMPARE(::screenDpi(nullptr), 96);
    const QScreen *primary = QGuiApplication::primaryScreen();
    QCOMPARE(::screenDpi(primary),
             int(std::lround(primary->logicalDotsPerInchX() * primary->devicePixelRatio())));
}

QTEST_MAIN(tst_HardwareMetricsBuilder)

#include "tst_hardwaremetricsbuilder.moc"
