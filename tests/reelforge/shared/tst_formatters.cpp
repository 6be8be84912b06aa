#include "shared/formatters.h"

#include <QtTest>

class tst_Formatters : public QObject
{
    Q_OBJECT

private slots:
    void fileSize_data();
    void fileSize();
    void duration_data();
    void duration();
    void absentValues();
    void compressionLevels();
};

void tst_Formatters::fileSize_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "0.0B";
    QTest::newRow("1023") << qint64(1023) << "1023.0B";
    QTest::newRow("1024") << qint64(1024) << "1.0KB";
    QTest::newRow("1536") << qint64(1536) << "1.5KB";
    QTest::newRow("3 GB") << qint64(3) * 1024 * 1024 * 1024 << "3.0GB";
    QTest::newRow("2^50 stays in TB") << (qint64(1) << 50) << "1024.0TB";
}

void tst_Formatters::fileSize()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(formatFileSize(bytes), text);
}

void tst_Formatters::duration_data()
{
    QTest::addColumn<qint64>("duration");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "00:00:00";
    QTest::newRow("one hour") << qint64(36000000000) << "01:00:00";
    QTest::newRow("truncated") << qint64(615999999) << "00:01:01";
}

void tst_Formatters::duration()
{
    QFETCH(qint64, duration);
    QFETCH(QString, text);
    QCOMPARE(formatDuration(duration), text);
}

void tst_Formatters::absentValues()
{
    QCOMPARE(formatTime(QTime()), QStringLiteral(" "));
    QCOMPARE(formatTime(QTime(13, 5, 9)), QStringLiteral("13:05:09"));
    QCOMPARE(formatResolution(QSize(0, 1080)), QStringLiteral(" "));
    QCOMPARE(formatResolution(QSize(1920, 1080)), QStringLiteral("1920x1080"));
    QCOMPARE(formatNameUpper(QString()), QStringLiteral(" "));
    QCOMPARE(formatNameUpper(QStringLiteral("webm")), QStringLiteral("WEBM"));
}

void tst_Formatters::compressionLevels()
{
    QCOMPARE(compressionLevelName(0), QStringLiteral("Ultra low quality"));
    QCOMPARE(compressionLevelName(4), QStringLiteral("Ultra high quality"));
    QVERIFY(compressionLevelName(5).isEmpty());
    QVERIFY(compressionLevelName(-1).isEmpty());
}

QTEST_GUILESS_MAIN(tst_Formatters)
#include "tst_formatters.moc"
