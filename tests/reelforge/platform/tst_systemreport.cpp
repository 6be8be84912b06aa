#include "platform/systemreport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

bool writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class tst_SystemReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void reportNamesTheMachine();
    void missingSourcesAreMarkedUnknown();
    void reportReplacesAnOldOne();
    void failedWriteLeavesNoFile();

private:
    QTemporaryDir m_root;
    QString m_lister;
};

void tst_SystemReport::initTestCase()
{
    const QString root = m_root.path() + QLatin1Char('/');
    QVERIFY(writeFile(root + "proc/sys/kernel/ostype", "Linux\n"));
    QVERIFY(writeFile(root + "proc/sys/kernel/osrelease", "6.1.0-test-amd64\n"));
    QVERIFY(writeFile(
            root + "etc/os-release",
            "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"));
    QVERIFY(writeFile(root + "proc/cpuinfo",
                      "processor\t: 0\nmodel name\t: Test CPU 9000 @ 3.00GHz\n\n"
                      "processor\t: 1\nmodel name\t: Test CPU 9000 @ 3.00GHz\n"));
    QVERIFY(writeFile(root + "proc/meminfo",
                      "MemTotal:       16318480 kB\nMemFree:  1 kB\nMemAvailable:   9000000 kB\n"
                      "SwapTotal:      0 kB\n"));
    QVERIFY(writeFile(root + "sys/class/drm/card0/device/vendor", "0x8086\n"));
    QVERIFY(writeFile(root + "sys/class/drm/card0/device/device", "0x46a6\n"));
    QVERIFY(writeFile(root + "sys/class/drm/card0/device/uevent",
                      "DRIVER=i915\nPCI_SLOT_NAME=0000:00:02.0\n"));
    // A connector, not an adapter.
    QVERIFY(QDir().mkpath(root + "sys/class/drm/card0-eDP-1"));

    m_lister = root + "lister.sh";
    QVERIFY(writeFile(m_lister,
                      "#!/bin/sh\n"
                      "echo '00:00.0 Host bridge: Test Host Bridge'\n"
                      "echo '00:02.0 VGA compatible controller: Test Graphics 770'\n"
                      "echo '01:00.0 3D controller: Test Compute 3000'\n"));
    QVERIFY(QFile::setPermissions(m_lister, QFile::ReadOwner | QFile::ExeOwner));
}

void tst_SystemReport::reportNamesTheMachine()
{
    const QString text = SystemReport(m_root.path(), m_lister).text(QStringLiteral("Screens: 2\n"));

    for (const char *expected :
         {"Kernel: Linux 6.1.0-test-amd64", "Distribution: Debian GNU/Linux 12 (bookworm)",
          "Processor: Test CPU 9000 @ 3.00GHz", "Logical processors: 2", "MemTotal: 16318480 kB",
          "Card card0: vendor 0x8086, device 0x46a6, driver i915",
          "PCI: 00:02.0 VGA compatible controller: Test Graphics 770",
          "PCI: 01:00.0 3D controller: Test Compute 3000", "Screens: 2"}) {
        QVERIFY2(text.contains(QLatin1String(expected)), expected);
    }
    QVERIFY(!text.contains(QLatin1String("Host bridge")));
    QVERIFY(!text.contains(QLatin1String("card0-eDP-1")));
}

void tst_SystemReport::missingSourcesAreMarkedUnknown()
{
    QTemporaryDir empty;
    const QString text = SystemReport(empty.path(), empty.filePath(QStringLiteral("no-lister")))
                                 .text(QString());
    QVERIFY(text.contains(QLatin1String("Processor: unknown")));
    QVERIFY(text.contains(QLatin1String("MemTotal: unknown")));
    QVERIFY(text.contains(QLatin1String("No graphics adapter")));
    QVERIFY(!text.contains(QLatin1String("PCI:")));
}

void tst_SystemReport::reportReplacesAnOldOne()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dxdiag.txt"));
    QVERIFY(writeFile(path, QByteArray(100000, 'o')));

    QString error;
    QVERIFY(SystemReport(m_root.path(), QString()).write(path, QString(), &error));

    const QString text = readFile(path);
    QVERIFY(text.startsWith(QLatin1String("------------------\nSystem Information")));
    QVERIFY(!text.contains(QLatin1Char('o') + QString(10, QLatin1Char('o'))));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"dxdiag.txt"});
}

void tst_SystemReport::failedWriteLeavesNoFile()
{
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("logs"));
    QVERIFY(writeFile(blocker, "a file, not a folder"));

    QString error;
    QVERIFY(!SystemReport(m_root.path(), QString())
                     .write(blocker + QLatin1String("/dxdiag.txt"), QString(), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"logs"});
}

QTEST_GUILESS_MAIN(tst_SystemReport)

#include "tst_systemreport.moc"
