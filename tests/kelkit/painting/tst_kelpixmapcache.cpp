#include "painting/kelpixmapcache.h"

#include <QtTest>

namespace {

// A pixmap that costs about kb KB (32 bits deep), filled so that entries
// can be told apart.
QPixmap pixmapOf(int kb, const QColor &color = Qt::red)
{
    QPixmap pixmap(256, kb);
    pixmap.fill(color);
    return pixmap;
}

} // namespace

class tst_KelPixmapCache : public QObject
{
    Q_OBJECT

private slots:
    void cost_data();
    void cost();
    void findReturnsInsertedPixmap();
    void oversizedPixmapIsRefused();
    void insertReplacesAndCountsNewCostOnly();
    void evictsLeastRecentlyUsed();
    void smallerLimitKeepsMostRecent();
    void evictedKeyIsForgotten();
};

void tst_KelPixmapCache::cost_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("expected");
    QTest::newRow("100x100") << QSize(100, 100) << 39;
    QTest::newRow("10x10 rounds up to 1") << QSize(10, 10) << 1;
    QTest::newRow("null") << QSize() << 1;
    QTest::newRow("1024x1024") << QSize(1024, 1024) << 4096;
}

void tst_KelPixmapCache::cost()
{
    QFETCH(QSize, size);
    QFETCH(int, expected);
    QPixmap pixmap(size);
    if (!pixmap.isNull())
        QCOMPARE(pixmap.depth(), 32);
    QCOMPARE(KelPixmapCache::cost(pixmap), expected);
}

void tst_KelPixmapCache::findReturnsInsertedPixmap()
{
    KelPixmapCache cache;
    QCOMPARE(cache.cacheLimit(), 10240);
    const QPixmap pixmap = pixmapOf(32, Qt::blue);
    QVERIFY(cache.insert(QStringLiteral("a"), pixmap));

    QPixmap found;
    QVERIFY(cache.find(QStringLiteral("a"), &found));
    QCOMPARE(found.cacheKey(), pixmap.cacheKey());
    QVERIFY(cache.find(QStringLiteral("a"), nullptr));
    QVERIFY(!cache.find(QStringLiteral("b"), &found));
}

void tst_KelPixmapCache::oversizedPixmapIsRefused()
{
    KelPixmapCache cache;
    const QPixmap huge(2048, 1300); // 10400 KB
    QVERIFY(!cache.insert(QStringLiteral("new"), huge));
    QVERIFY(!cache.find(QStringLiteral("new"), nullptr));

    // A key that held a pixmap loses it too.
    QVERIFY(cache.insert(QStringLiteral("old"), pixmapOf(32)));
    QVERIFY(!cache.insert(QStringLiteral("old"), huge));
    QVERIFY(!cache.find(QStringLiteral("old"), nullptr));

    // The refused entries left no cost behind: a full-limit pixmap still fits.
    QVERIFY(cache.insert(QStringLiteral("full"), pixmapOf(10240)));
}

void tst_KelPixmapCache::insertReplacesAndCountsNewCostOnly()
{
    KelPixmapCache cache;
    cache.setCacheLimit(1); // 1024 KB
    QVERIFY(cache.insert(QStringLiteral("a"), pixmapOf(512, Qt::red)));
    const QPixmap replacement = pixmapOf(512, Qt::green);
    QVERIFY(cache.insert(QStringLiteral("a"), replacement));
    QVERIFY(cache.insert(QStringLiteral("b"), pixmapOf(512)));

    // Had the old cost stayed counted, "a" would have been evicted for "b".
    QPixmap found;
    QVERIFY(cache.find(QStringLiteral("a"), &found));
    QCOMPARE(found.cacheKey(), replacement.cacheKey());
    QVERIFY(cache.find(QStringLiteral("b"), nullptr));
}

void tst_KelPixmapCache::evictsLeastRecentlyUsed()
{
    KelPixmapCache cache;
    cache.setCacheLimit(1);
    const QStringList keys = {"a", "b", "c", "d"};
    for (const QString &key : keys)
        QVERIFY(cache.insert(key, pixmapOf(256)));
    QVERIFY(cache.find(QStringLiteral("a"), nullptr)); // "b" is now the oldest

    QVERIFY(cache.insert(QStringLiteral("e"), pixmapOf(256)));
    QVERIFY(!cache.find(QStringLiteral("b"), nullptr));
    QVERIFY(cache.insert(QStringLiteral("f"), pixmapOf(512)));
    QVERIFY(!cache.find(QStringLiteral("c"), nullptr));
    QVERIFY(!cache.find(QStringLiteral("d"), nullptr));
    for (const char *key : {"a", "e", "f"})
        QVERIFY2(cache.find(QLatin1String(key), nullptr), key);
}

void tst_KelPixmapCache::smallerLimitKeepsMostRecent()
{
    KelPixmapCache cache;
    for (int i = 0; i < 8; ++i)
        QVERIFY(cache.insert(QString::number(i), pixmapOf(512)));
    cache.setCacheLimit(1);
    QCOMPARE(cache.cacheLimit(), 1024);
    for (int i = 0; i < 6; ++i)
        QVERIFY(!cache.find(QString::number(i), nullptr));
    QVERIFY(cache.find(QStringLiteral("6"), nullptr));
    QVERIFY(cache.find(QStringLiteral("7"), nullptr));
}

void tst_KelPixmapCache::evictedKeyIsForgotten()
{
    // Key numbers of evicted entries are reused; a string key left behind by
    // an eviction must never reach the entry that now holds its old number.
    KelPixmapCache cache;
    cache.setCacheLimit(1);
    QVERIFY(cache.insert(QStringLiteral("old"), pixmapOf(1024, Qt::red)));
    for (int i = 0; i < 4; ++i)
        QVERIFY(cache.insert(QString::number(i), pixmapOf(256, Qt::green)));

    QVERIFY(!cache.find(QStringLiteral("old"), nullptr));
    QVERIFY(!cache.find(QStringLiteral("old"), nullptr));
    for (int i = 0; i < 4; ++i)
        QVERIFY(cache.find(QString::number(i), nullptr));
}

QTEST_MAIN(tst_KelPixmapCache)
#include "tst_kelpixmapcache.moc"
