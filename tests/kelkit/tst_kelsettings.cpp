#include "kelsettings.h"

#include <QBrush>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

// Reaches the framework's typed read with a key of the test's own.
class ProbeSettings : public KelSettings
{
public:
    using KelSettings::KelSettings;
    using KelSettings::readValue;
};

// A three-stop gradient whose stop count says 10^8, as QSettings would
// find it in the file.
QByteArray damagedGradientLine()
{
    QLinearGradient gradient(0, 0, 1, 1);
    gradient.setColorAt(0.0, Qt::red);
    gradient.setColorAt(0.5, Qt::green);
    gradient.setColorAt(1.0, Qt::blue);
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_0);
    out << QVariant(QBrush(gradient));
    // Type, style, colour and gradient type come before the count.
    qToBigEndian(quint32(100000000), bytes.data() + 4 + 1 + 11 + 4);
    QByteArray line = "brush=@Variant(";
    for (const char c : qAsConst(bytes))
        line += "\\x" + QByteArray::number(uchar(c), 16);
    return line + ")\n";
}

} // namespace

class tst_KelSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void defaultsOnEmptyFile();
    void loadEmitsOnlyRealChanges();
    void firstRunFlipsAfterDestruction();
    void setterWritesOnlyOnChange();
    void unconvertibleValueReadsAsNull();
    void damagedFileIsMovedAside();

private:
    QString writeIni(const QByteArray &contents);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
};

void tst_KelSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_file = m_dir->filePath(QStringLiteral("test.ini"));
}

QString tst_KelSettings::writeIni(const QByteArray &contents)
{
    QFile file(m_file);
    if (file.open(QIODevice::WriteOnly))
        file.write(contents);
    return m_file;
}

void tst_KelSettings::defaultsOnEmptyFile()
{
    KelSettings settings(m_file, QSettings::IniFormat);
    settings.load();
    QCOMPARE(settings.localeName(), QLocale::system().name());
    QCOMPARE(settings.defaultLocaleName(), QLocale::system().name());
    QVERIFY(settings.updateCheckerEnabled());
    QVERIFY(settings.registerAsDefaultApp());
    QCOMPARE(settings.lastScreen(), 0);
    QVERIFY(settings.showFirstStartWizard());
    QCOMPARE(settings.lastOpenFilePath(),
             QStandardPaths::standardLocations(QStandardPaths::DesktopLocation).value(0));
    QVERIFY(!settings.contains(QStringLiteral("lastOpenFilePath")));
}

void tst_KelSettings::loadEmitsOnlyRealChanges()
{
    const QString other = QLocale::system().name() == QLatin1String("de_DE")
            ? QStringLiteral("fr_FR")
            : QStringLiteral("de_DE");
    writeIni("[General]\nlocaleName=" + other.toLatin1() + "\nupdateCheckerEnabled=false\n");
    KelSettings settings(m_file, QSettings::IniFormat);
    QSignalSpy localeSpy(&settings, &KelSettings::localeNameChanged);
    QSignalSpy checkerSpy(&settings, &KelSettings::updateCheckerEnabledChanged);
    QSignalSpy defaultAppSpy(&settings, &KelSettings::registerAsDefaultAppChanged);

    settings.load();
    QCOMPARE(localeSpy.count(), 1);
    QCOMPARE(localeSpy.at(0).at(0).toString(), other);
    QCOMPARE(checkerSpy.count(), 1);
    QCOMPARE(checkerSpy.at(0).at(0).toBool(), false);
    QCOMPARE(defaultAppSpy.count(), 0);

    settings.load();
    QCOMPARE(localeSpy.count(), 1);
    QCOMPARE(checkerSpy.count(), 1);
}

void tst_KelSettings::firstRunFlipsAfterDestruction()
{
    {
        KelSettings settings(m_file, QSettings::IniFormat);
        QVERIFY(!settings.contains(QStringLiteral("FirstRun")));
        settings.setLocaleName(QStringLiteral("xx_YY"));
        settings.save();
    }
    QSettings reread(m_file, QSettings::IniFormat);
    QVERIFY(reread.contains(QStringLiteral("FirstRun")));
    QCOMPARE(reread.value(QStringLiteral("FirstRun")).toBool(), false);
    QCOMPARE(reread.value(QStringLiteral("localeName")).toString(), QStringLiteral("xx_YY"));
}

void tst_KelSettings::setterWritesOnlyOnChange()
{
    KelSettings settings(m_file, QSettings::IniFormat);
    QSignalSpy pathSpy(&settings, &KelSettings::lastOpenFilePathChanged);
    QSignalSpy screenSpy(&settings, &KelSettings::lastScreenChanged);
    QSignalSpy wizardSpy(&settings, &KelSettings::showFirstStartWizardChanged);

    settings.setLastOpenFilePath(QStringLiteral("/tmp/a"));
    settings.setLastOpenFilePath(QStringLiteral("/tmp/a"));
    QCOMPARE(pathSpy.count(), 1);
    QCOMPARE(settings.lastOpenFilePath(), QStringLiteral("/tmp/a"));

    // Writing the default into a missing key still writes it.
    settings.setLastScreen(0);
    settings.setLastScreen(0);
    settings.setLastScreen(2);
    QCOMPARE(screenSpy.count(), 2);

    settings.setShowFirstStartWizard(false);
    settings.setShowFirstStartWizard(false);
    QCOMPARE(wizardSpy.count(), 1);
    settings.sync();

    KelSettings fresh(m_file, QSettings::IniFormat);
    QSignalSpy freshSpy(&fresh, &KelSettings::lastOpenFilePathChanged);
    fresh.setLastOpenFilePath(QStringLiteral("/tmp/a"));
    QCOMPARE(freshSpy.count(), 0);
    QCOMPARE(fresh.lastScreen(), 2);
    QVERIFY(!fresh.showFirstStartWizard());
}

void tst_KelSettings::unconvertibleValueReadsAsNull()
{
    writeIni("[General]\nnumber=abc\nlist=@Variant(\\0\\0\\0\\t\\0\\0\\0\\0)\n");
    ProbeSettings settings(m_file, QSettings::IniFormat);
    // Text converts to a number but fails: the type's null, not the default.
    QCOMPARE(settings.readValue(QStringLiteral("number"), 7), 0);
    // A list does not convert to a number at all: the default.
    QCOMPARE(settings.readValue(QStringLiteral("list"), 7), 7);
    QCOMPARE(settings.readValue(QStringLiteral("missing"), 7), 7);
}

void tst_KelSettings::damagedFileIsMovedAside()
{
    const QByteArray damaged = "[General]\nlastScreen=2\n" + damagedGradientLine();
    for (const QString &aside : {m_file + ".bad", m_file + ".bad.2"}) {
        writeIni(damaged);
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("is damaged.*count of 100000000"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Damaged settings file kept as"));
        {
            KelSettings settings(m_file, QSettings::IniFormat);
            QCOMPARE(settings.lastScreen(), 0);
            QVERIFY(!settings.contains(QStringLiteral("brush")));
            settings.setLastScreen(1);
        }
        QFile kept(aside);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), damaged);
        // The settings of the run went into a fresh file.
        QCOMPARE(QSettings(m_file, QSettings::IniFormat).value("lastScreen").toInt(), 1);
    }
}

QTEST_GUILESS_MAIN(tst_KelSettings)
#include "tst_kelsettings.moc"
