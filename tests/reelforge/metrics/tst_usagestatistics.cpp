#include "metrics/usagestatistics.h"

#include <QHash>
#include <QtTest>

#include <limits>
#include <thread>
#include <vector>

class tst_UsageStatistics : public QObject
{
    Q_OBJECT

private slots:
    void maxAndMinOnMissingKeys();
    void topKey();
    void concurrentAddLosesNoCount();
};

void tst_UsageStatistics::maxAndMinOnMissingKeys()
{
    UsageStatistics stats;
    QCOMPARE(stats.value(QStringLiteral("fsmin")), 0);
    // A missing counter takes the value given, not 0.
    QCOMPARE(stats.updateMin(QStringLiteral("fsmin"), 500), 500);
    QCOMPARE(stats.value(QStringLiteral("fsmin")), 500);
    QCOMPARE(stats.updateMin(QStringLiteral("fsmin"), 700), 500);
    QCOMPARE(stats.updateMin(QStringLiteral("fsmin"), 200), 200);

    QCOMPARE(stats.updateMax(QStringLiteral("fsmax"), -5), -5);
    QCOMPARE(stats.updateMax(QStringLiteral("fsmax"), -9), -5);
    QCOMPARE(stats.updateMax(QStringLiteral("fsmax"), 40), 40);
    QCOMPARE(stats.value(QStringLiteral("fsmax")), 40);

    stats.clear();
    QCOMPARE(stats.value(QStringLiteral("fsmax")), 0);
    QCOMPARE(stats.value(QStringLiteral("fsmin")), 0);
}

void tst_UsageStatistics::topKey()
{
    UsageStatistics stats;
    const auto none = stats.topKey(QStringLiteral("vcodec"));
    QVERIFY(none.first.isEmpty());
    QCOMPARE(none.second, std::numeric_limits<qint64>::min());

    const QStringList codecs{"h264", "hevc", "vp9", "mpeg4", "av1", "wmv3"};
    QHash<QString, qint64> mirror;
    for (const QString &codec : codecs) {
        stats.add(QStringLiteral("vcodec"), codec);
        stats.add(QStringLiteral("vcodec"), codec);
        mirror[codec] += 2;
    }
    // All tied: the first key in the hash's own order wins.
    QCOMPARE(stats.topKey(QStringLiteral("vcodec")), qMakePair(mirror.cbegin().key(), qint64(2)));

    const QString last = (mirror.cend() - 1).key();
    stats.add(QStringLiteral("vcodec"), last);
    QCOMPARE(stats.topKey(QStringLiteral("vcodec")), qMakePair(last, qint64(3)));
}

void tst_UsageStatistics::concurrentAddLosesNoCount()
{
    UsageStatistics stats;
    constexpr int threadCount = 8;
    constexpr int addsPerThread = 20000;
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&stats, t] {
            for (int i = 0; i < addsPerThread; ++i) {
                stats.add(QStringLiteral("sstart"));
                stats.updateMax(QStringLiteral("smax"), i + t);
                stats.add(QStringLiteral("vcodec"), QString::number(i % 3));
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    QCOMPARE(stats.value(QStringLiteral("sstart")), qint64(threadCount * addsPerThread));
    QCOMPARE(stats.value(QStringLiteral("smax")), qint64(addsPerThread - 1 + threadCount - 1));
    qint64 codecTotal = 0;
    for (int k = 0; k < 3; ++k)
        codecTotal += stats.value(QStringLiteral("vcodec"), QString::number(k));
    QCOMPARE(codecTotal, qint64(threadCount * addsPerThread));
}

QTEST_GUILESS_MAIN(tst_UsageStatistics)
#include "tst_usagestatistics.moc"
