#include "httpstubserver.h"
#include "metrics/metricsender.h"
#include "waitbound.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

// md5("device-1" + seed), worked out independently of the code under test.
const QString Query = QStringLiteral("/?pid=15&ver=2.0.9&dev=c593cd620224767f52cbd6a60f21cc47");
constexpr int Tick = 50;

// The values of the events of one request, checking that they are numbered
// from 1 without gaps.
QStringList eventValues(const QString &target)
{
    QStringList values;
    const QStringList items = target.section(QLatin1Char('?'), 1).split(QLatin1Char('&'));
    int expected = 1;
    for (const QString &item : items) {
        if (!item.startsWith(QLatin1Char('m')))
            continue;
        const int eq = item.indexOf(QLatin1Char('='));
        if (item.mid(1, eq - 1).toInt() != expected++)
            return {QStringLiteral("<numbering broken in %1>").arg(target)};
        values.append(item.mid(eq + 1).section(QLatin1Char(':'), 1, 1));
    }
    return values;
}

} // namespace

class TestMetricSender : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void threeEventsMakeOneRequest();
    void eventEncoding_data();
    void eventEncoding();
    void manyEventsSplitUnderLimit();
    void failedRequestIsRepeated_data();
    void failedRequestIsRepeated();
    void oversizedEventIsDropped();
    void disabledConsentDropsEvents();
    void noServerSendsNothing();
    void flushReturnsWithinBound();
    void eventsFromSeveralThreads();

private:
    QString address(const QString &target) const { return m_stub->baseUrl() + target; }

    std::unique_ptr<HttpStubServer> m_stub;
};

void TestMetricSender::init()
{
    m_stub = std::make_unique<HttpStubServer>();
    QVERIFY(m_stub->listen());
    MetricSender::init(QStringLiteral("device-1"), QStringLiteral("15"), QStringLiteral("2.0.9"),
                       true, m_stub->baseUrl(), Tick);
}

// The sender is process-wide: leave it with no queue and no request to repeat.
void TestMetricSender::cleanup()
{
    MetricSender::setEnabled(false);
    m_stub.reset();        // ends a reply that is still waiting
    MetricSender::flush(); // waits for that reply
    MetricSender::flush(); // the tick that empties the queue while disabled
}

void TestMetricSender::threeEventsMakeOneRequest()
{
    MetricSender::send(QStringLiteral("lang"), QStringLiteral("en"));
    MetricSender::sendValue(QStringLiteral("uex"), 1);
    MetricSender::send(QStringLiteral("a"), QStringLiteral("x:y"), QStringLiteral("z"));

    QTRY_COMPARE(m_stub->requests().size(), 1);
    QCOMPARE(m_stub->requests().first(), Query + "&m1=lang:en&m2=uex:1&m3=a:x%3Ay:z");
}

void TestMetricSender::eventEncoding_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("extra");
    QTest::addColumn<QString>("text");

    QTest::newRow("plain") << "lang"
                           << "en"
                           << ""
                           << "&m1=lang:en";
    QTest::newRow("colon and slash") << "path"
                                     << "C:/a b"
                                     << ""
                                     << "&m1=path:C%3A%2Fa%20b";
    QTest::newRow("extra encoded") << "err8"
                                   << "mp4"
                                   << "h264/x:y"
                                   << "&m1=err8:mp4:h264%2Fx%3Ay";
    QTest::newRow("reserved characters") << "q"
                                         << "a&b=c?#%"
                                         << ""
                                         << "&m1=q:a%26b%3Dc%3F%23%25";
    QTest::newRow("non-ascii") << "lang" << QStringLiteral("ü") << ""
                               << "&m1=lang:%C3%BC";
    QTest::newRow("empty value") << "start"
                                 << ""
                                 << ""
                                 << "&m1=start:";
}

void TestMetricSender::eventEncoding()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, extra);
    QFETCH(QString, text);

    MetricSender::send(key, value, extra);
    QTRY_COMPARE(m_stub->requests().size(), 1);
    QCOMPARE(m_stub->requests().first(), Query + text);
}

void TestMetricSender::manyEventsSplitUnderLimit()
{
    const int count = 300;
    QStringList sent;
    QList<MetricEvent> events;
    for (int i = 0; i < count; ++i) {
        sent.append(QStringLiteral("v%1").arg(i));
        events.append({QStringLiteral("k"), sent.last(), QString()});
    }
    MetricSender::queueEvents(events);

    QStringList received;
    auto receivedCount = [&] {
        received.clear();
        for (const QString &target : m_stub->requests())
            received += eventValues(target);
        return received.size();
    };
    QTRY_COMPARE(receivedCount(), count);
    QCOMPARE(received, sent);

    const QStringList requests = m_stub->requests();
    QVERIFY(requests.size() > 1);
    int taken = 0;
    for (const QString &target : requests) {
        const int n = eventValues(target).size();
        QVERIFY2(address(target).size() < 1024, qPrintable(target));
        taken += n;
        // Each request but the last is full: the next event would reach the limit.
        if (taken < count) {
            const QString next = QStringLiteral("&m%1=k:%2").arg(n + 1).arg(sent.at(taken));
            QVERIFY(address(target).size() + next.size() >= 1024);
        }
    }
}

void TestMetricSender::failedRequestIsRepeated_data()
{
    QTest::addColumn<bool>("eventMeanwhile");
    QTest::newRow("nothing else queued") << false;
    QTest::newRow("event queued meanwhile") << true;
}

void TestMetricSender::failedRequestIsRepeated()
{
    QFETCH(bool, eventMeanwhile);
    m_stub->queueReply({500, "busy", false});
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Send analitics failed:"));

    QSignalSpy received(m_stub.get(), &HttpStubServer::requestReceived);
    MetricSender::send(QStringLiteral("a"), QStringLiteral("1"));
    MetricSender::send(QStringLiteral("b"), QStringLiteral("2"));
    // The repeat follows one tick later and may already be in when the test
    // looks again; only the first request's arrival is waited for.
    QVERIFY(received.wait(WaitBound::ms()));
    if (eventMeanwhile)
        MetricSender::send(QStringLiteral("c"), QStringLiteral("3"));

    const QString first = Query + "&m1=a:1&m2=b:2";
    QStringList expected{first, first};
    if (eventMeanwhile)
        expected.append(Query + "&m1=c:3");
    QTRY_COMPARE(m_stub->requests(), expected);
    // Nothing further goes out once everything has been accepted.
    QTest::qWait(5 * Tick);
    QCOMPARE(m_stub->requests(), expected);
}

void TestMetricSender::oversizedEventIsDropped()
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Metric event too long to send"));
    MetricSender::send(QStringLiteral("big"), QString(1100, QLatin1Char('x')));
    MetricSender::send(QStringLiteral("k"), QStringLiteral("after"));

    QTRY_COMPARE(m_stub->requests(), QStringList{Query + "&m1=k:after"});
}

void TestMetricSender::disabledConsentDropsEvents()
{
    MetricSender::send(QStringLiteral("k"), QStringLiteral("before"));
    MetricSender::setEnabled(false);
    QVERIFY(!MetricSender::isEnabled());
    MetricSender::send(QStringLiteral("k"), QStringLiteral("while-off"));
    MetricSender::flush(); // runs a tick now: the queue left from before goes
    QVERIFY(m_stub->requests().isEmpty());

    MetricSender::setEnabled(true);
    QVERIFY(MetricSender::isEnabled());
    MetricSender::send(QStringLiteral("k"), QStringLiteral("after"));
    QTRY_COMPARE(m_stub->requests(), QStringList{Query + "&m1=k:after"});
}

void TestMetricSender::noServerSendsNothing()
{
    QTest::ignoreMessage(QtInfoMsg, "No metrics server configured, usage metrics are not sent");
    MetricSender::init(QStringLiteral("device-1"), QStringLiteral("15"), QStringLiteral("2.0.9"),
                       true, QString(), Tick);
    MetricSender::send(QStringLiteral("k"), QStringLiteral("lost"));
    MetricSender::flush();

    // Nothing was kept for a server configured later.
    MetricSender::init(QStringLiteral("device-1"), QStringLiteral("15"), QStringLiteral("2.0.9"),
                       true, m_stub->baseUrl(), Tick);
    MetricSender::send(QStringLiteral("k"), QStringLiteral("kept"));
    QTRY_COMPARE(m_stub->requests(), QStringList{Query + "&m1=k:kept"});
}

void TestMetricSender::flushReturnsWithinBound()
{
    m_stub->setDefaultReply({200, QByteArray(), true});
    MetricSender::send(QStringLiteral("k"), QStringLiteral("v"));

    QElapsedTimer clock;
    clock.start();
    MetricSender::flush(4);
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE(m_stub->requests(), QStringList{Query + "&m1=k:v"});
}

void TestMetricSender::eventsFromSeveralThreads()
{
    const int threadCount = 4;
    const int perThread = 100;
    std::vector<std::unique_ptr<QThread>> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back(QThread::create([t] {
            for (int i = 0; i < perThread; ++i)
                MetricSender::send(QStringLiteral("k"), QStringLiteral("%1-%2").arg(t).arg(i));
        }));
        threads.back()->start();
    }
    for (auto &thread : threads)
        QVERIFY(thread->wait(WaitBound::ms()));

    QStringList received;
    auto receivedCount = [&] {
        received.clear();
        for (const QString &target : m_stub->requests())
            received += eventValues(target);
        return received.size();
    };
    QTRY_COMPARE(receivedCount(), threadCount * perThread);
    received.sort();
    QStringList expected;
    for (int t = 0; t < threadCount; ++t)
        for (int i = 0; i < perThread; ++i)
            expected.append(QStringLiteral("%1-%2").arg(t).arg(i));
    expected.sort();
    QCOMPARE(received, expected);
}

QTEST_GUILESS_MAIN(TestMetricSender)
#include "tst_metricsender.moc"
