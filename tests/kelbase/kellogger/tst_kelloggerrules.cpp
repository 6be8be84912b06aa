#include <kellogger/kellogger.h>

#include <QFile>
#include <QSignalSpy>
#include <QtTest>

// With QT_LOGGING_RULES set, the logger suppresses no level itself and
// Qt's rules decide. The variable must be set before Qt and the logger
// read it, hence a main of its own.
class TestKelLoggerRules : public QObject
{
    Q_OBJECT

private slots:
    void debugFollowsQtRules();
};

void TestKelLoggerRules::debugFollowsQtRules()
{
    KelLogger::setFolderName(QStringLiteral("Reel Logger Rules Test"));
    QSignalSpy nameSpy(KelLogger::instance(), &KelLogger::logFileNameChanged);
    const QtMessageHandler previous = qInstallMessageHandler(KelLogger::messageHandler);
    qDebug("debug let through");
    qCDebug(QLoggingCategory("reel.quiet")) << "debug of a silenced category";
    qInfo("info");
    qInstallMessageHandler(previous);

    QCOMPARE(nameSpy.count(), 1);
    QFile file(nameSpy.at(0).at(0).toString());
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(text.contains(QLatin1String(" (D) ")));
    QVERIFY(text.contains(QLatin1String("debug let through")));
    QVERIFY(!text.contains(QLatin1String("silenced category")));
    QVERIFY(text.contains(QLatin1String(": info")));
}

int main(int argc, char *argv[])
{
    qputenv("QT_LOGGING_RULES", "default.debug=true;reel.quiet.debug=false");
    QCoreApplication app(argc, argv);
    TestKelLoggerRules test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelloggerrules.moc"
