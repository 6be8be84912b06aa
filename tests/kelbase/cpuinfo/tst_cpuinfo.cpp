#include "cpuinfo/cpuinfo.h"
#include "cpuinfo/platform/driveserial.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

class tst_CpuInfo : public QObject
{
    Q_OBJECT

private slots:
    void machineId();
    void driveSerial_data();
    void driveSerial();
};

namespace {

// Builds a tree from entries "path=content" (a file) and "path->target" (a
// symbolic link to root/target).
bool buildTree(const QString &root, const QStringList &entries)
{
    for (const QString &entry : entries) {
        const int link = entry.indexOf(QLatin1String("->"));
        const int assign = entry.indexOf(QLatin1Char('='));
        const bool isLink = link >= 0 && (assign < 0 || link < assign);
        const QString path = root + QLatin1Char('/') + entry.left(isLink ? link : assign);
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            return false;
        if (isLink) {
            if (!QFile::link(root + QLatin1Char('/') + entry.mid(link + 2), path))
                return false;
            continue;
        }
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(entry.mid(assign + 1).toUtf8()) < 0)
            return false;
    }
    return true;
}

} // namespace

void tst_CpuInfo::machineId()
{
    // The identifier is the digest of the trimmed serial of the data drive
    // followed by the salt, or of the salt alone without a serial.
    QString serial;
    if (GetDriveSerialNumberForWinInstalledDiskV2(serial) != 0) {
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^Get HDD info for OS installed error:%1 "));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^Get HDD info for OS installed error:%1 "));
        serial.clear();
    }
    const QByteArray text = serial.trimmed().toUtf8() + "{5D2C81F0-3A7B-4E96-A1C4-7F08B2E9D613}";
    const QString expected = QString::fromLatin1(
            QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex());

    CpuInfo info;
    const QString id = info.machineId();
    QVERIFY2(QRegularExpression("^[0-9a-f]{32}$").match(id).hasMatch(), qPrintable(id));
    QCOMPARE(id, expected);
    QCOMPARE(CpuInfo().machineId(), id);
}

void tst_CpuInfo::driveSerial_data()
{
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QString>("device");
    QTest::addColumn<qulonglong>("result");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("warning");

    const qulonglong failed = static_cast<unsigned long>(-1);
    const QString sda = "sys/devices/pci0/ata1/block/sda";
    // A disk with one partition and no serial yet.
    const auto disk = [&](const QStringList &extra) {
        return QStringList{sda + "/dev=8:0", sda + "/sda1/dev=8:1", sda + "/sda1/partition=1",
                           "sys/dev/block/8:1->" + sda + "/sda1", "sys/dev/block/8:0->" + sda}
        + extra;
    };
    const QString vda = "sys/devices/pci0/virtio1/block/vda";
    const QString dm = "sys/devices/virtual/block/dm-0";

    QTest::newRow("partition to disk, udev short serial")
            << disk({"udev/b8:0=S:disk/by-id/x\nE:ID_SERIAL=WDC_WD10_WD-123\n"
                     "E:ID_SERIAL_SHORT=WD-123\nE:ID_BUS=ata\n"})
            << "sys/dev/block/8:1" << 0ull << "WD-123"
            << "";
    QTest::newRow("udev long serial only")
            << disk({"udev/b8:0=E:ID_SERIAL=QEMU_HARDDISK_QM00001\n"}) << "sys/dev/block/8:1"
            << 0ull << "QEMU_HARDDISK_QM00001"
            << "";
    QTest::newRow("udev record of the partition is not the disk's")
            << disk({"udev/b8:1=E:ID_SERIAL_SHORT=PART\n"}) << "sys/dev/block/8:1" << failed << ""
            << "";
    QTest::newRow("sysfs device serial, kept untrimmed")
            << disk({sda + "/device/serial=  S3Z9NB0K \n"}) << "sys/dev/block/8:0" << 0ull
            << "  S3Z9NB0K \n"
            << "";
    QTest::newRow("virtio serial, ends at a zero byte")
            << QStringList{vda + "/dev=254:0", vda + "/serial=1166" + QChar(0) + "junk",
                           "sys/dev/block/254:0->" + vda}
            << "sys/dev/block/254:0" << 0ull << "1166"
            << "";
    QTest::newRow("mapped device to the disk below")
            << disk({dm + "/dev=253:0", dm + "/slaves/sda1->" + sda + "/sda1",
                     "sys/dev/block/253:0->" + dm, sda + "/device/serial=UNDER\n"})
            << "sys/dev/block/253:0" << 0ull << "UNDER\n"
            << "";
    QTest::newRow("no serial anywhere") << disk({}) << "sys/dev/block/8:1" << failed << ""
                                        << "";
    QTest::newRow("blank serial") << disk({sda + "/device/serial=   \n"}) << "sys/dev/block/8:1"
                                  << failed << ""
                                  << "";
    QTest::newRow("oversized serial")
            << disk({sda + "/device/serial=" + QString(2000, QLatin1Char('x'))})
            << "sys/dev/block/8:1" << failed << ""
            << "Read serial number failed. Buffer overflow";
    QTest::newRow("no such device") << disk({}) << "sys/dev/block/9:9" << qulonglong(ENOENT) << ""
                                    << "";
}

void tst_CpuInfo::driveSerial()
{
    QFETCH(QStringList, tree);
    QFETCH(QString, device);
    QFETCH(qulonglong, result);
    QFETCH(QString, serial);
    QFETCH(QString, warning);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    QVERIFY(buildTree(root.path(), tree));
    QDir(root.path()).mkpath("udev");

    if (!warning.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
    QString read = QStringLiteral("stale");
    QCOMPARE(qulonglong(GetDriverSerialNumber(root.filePath(device), read, root.filePath("udev"))),
             result);
    if (result == 0)
        QCOMPARE(read, serial);
}

QTEST_GUILESS_MAIN(tst_CpuInfo)

#include "tst_cpuinfo.moc"
