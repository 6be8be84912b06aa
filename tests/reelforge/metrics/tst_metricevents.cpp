#include "metrics/metricevents.h"
#include "metrics/usagestatistics.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList texts(const QList<MetricEvent> &events)
{
    QStringList result;
    for (const MetricEvent &event : events)
        result.append(event.key + QLatin1Char('=') + event.value + QLatin1Char(':') + event.extra);
    return result;
}

} // namespace

class tst_MetricEvents : public QObject
{
    Q_OBJECT

private slots:
    void emptySessionReportsZeros();
    void sessionReportsTheCounters();
    void installFlag_data();
    void installFlag();
    void startReports();
    void digestDelay_data();
    void digestDelay();
    void programDigest();
};

void tst_MetricEvents::emptySessionReportsZeros()
{
    const UsageStatistics statistics;
    QCOMPARE(texts(MetricEvents::sessionEvents(statistics)),
             QStringList({"imp0=0:", "imp1=0:", "imp2=0:", "fsmax=0:", "fsmin=0:", "fdmax=0:",
                          "fdmin=0:", "video=:", "audio=:", "cancel=0:", "sstart=0:", "smax=0:",
                          "used1=0:", "used2=0:", "used3=0:", "used4=:"}));
}

void tst_MetricEvents::sessionReportsTheCounters()
{
    UsageStatistics statistics;
    statistics.add(QStringLiteral("imp0"));
    statistics.add(QStringLiteral("imp0"));
    statistics.add(QStringLiteral("imp2"));
    statistics.updateMax(QStringLiteral("fsmax"), 5000);
    statistics.updateMin(QStringLiteral("fsmin"), 700);
    statistics.updateMax(QStringLiteral("fdmax"), 61);
    statistics.updateMin(QStringLiteral("fdmin"), 3);
    statistics.updateMax(QStringLiteral("smax"), 9);
    for (const char *codec : {"h264", "vp9", "h264", "vp9"})
        statistics.add(QStringLiteral("vcodec"), QLatin1String(codec));
    statistics.add(QStringLiteral("acodec"), QStringLiteral("aac"));
    statistics.add(QStringLiteral("cancel"));
    statistics.add(QStringLiteral("sstart"));
    statistics.add(QStringLiteral("sstart"));
    statistics.add(QStringLiteral("useWatermark"));
    statistics.add(QStringLiteral("useWatermark"));
    statistics.add(QStringLiteral("qualitySettings"), QStringLiteral("2"));
    statistics.add(QStringLiteral("qualitySettings"), QStringLiteral("4"));
    statistics.add(QStringLiteral("qualitySettings"), QStringLiteral("4"));

    const QStringList events = texts(MetricEvents::sessionEvents(statistics));

    // Two codecs met equally often: either may be the one reported.
    QVERIFY2(events.value(7) == QLatin1String("video=h264:")
                     || events.value(7) == QLatin1String("video=vp9:"),
             qPrintable(events.value(7)));
    QStringList others = events;
    others.removeAt(7);
    QCOMPARE(others,
             QStringList({"imp0=2:", "imp1=0:", "imp2=1:", "fsmax=5000:", "fsmin=700:", "fdmax=61:",
                          "fdmin=3:", "audio=aac:", "cancel=1:", "sstart=2:", "smax=9:", "used1=0:",
                          "used2=1:", "used3=0:", "used4=4:"}));
}

void tst_MetricEvents::installFlag_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("flag");

    QTest::newRow("none") << QStringList{"reelforge"} << "0";
    QTest::newRow("--inst") << QStringList{"reelforge", "--inst"} << "1";
    QTest::newRow("-inst") << QStringList{"reelforge", "-inst"} << "1";
    QTest::newRow("other case") << QStringList{"reelforge", "--INST"} << "0";
    QTest::newRow("part of an argument") << QStringList{"reelforge", "--install"} << "0";
}

void tst_MetricEvents::installFlag()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, flag);
    QCOMPARE(MetricEvents::installFlag(arguments), flag);
}

void tst_MetricEvents::startReports()
{
    const QList<MetricEvent> hardware = {{"osv", "Debian12", ""}, {"dis", "2", ""}};
    QCOMPARE(texts(MetricEvents::firstRunEvents(hardware, "de", "de_AT", "1")),
             QStringList({"osv=Debian12:", "dis=2:", "frun=de:de_AT", "rinst=1:"}));
    QCOMPARE(texts(MetricEvents::laterRunEvents("fr")), QStringList{"lang=fr:"});
}

void tst_MetricEvents::digestDelay_data()
{
    QTest::addColumn<quint32>("random");
    QTest::addColumn<int>("delay");

    QTest::newRow("lowest") << quint32(0) << 1000;
    QTest::newRow("middle") << quint32(0x80000000u) << 3000;
    QTest::newRow("highest") << quint32(0xffffffffu) << 4999;
}

void tst_MetricEvents::digestDelay()
{
    QFETCH(quint32, random);
    QFETCH(int, delay);
    QCOMPARE(MetricEvents::programDigestDelayMs(random), delay);
}

void tst_MetricEvents::programDigest()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("program"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray content(100000, 'x');
    file.write(content);
    file.close();

    MetricEvent event;
    QVERIFY(MetricEvents::programDigestEvent(path, &event));
    QCOMPARE(event.key, QStringLiteral("ha"));
    QCOMPARE(event.value,
             QString::fromLatin1(
                     QCryptographicHash::hash(content, QCryptographicHash::Md5).toHex()));
    QVERIFY(event.extra.isEmpty());

    MetricEvent untouched{"x", "y", "z"};
    QVERIFY(!MetricEvents::programDigestEvent(dir.filePath(QStringLiteral("missing")), &untouched));
    QCOMPARE(untouched.key, QStringLiteral("x"));
}

QTEST_GUILESS_MAIN(tst_MetricEvents)

#include "tst_metricevents.moc"
