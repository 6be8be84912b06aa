#include "shared/mimedata.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

class tst_MimeData : public QObject
{
    Q_OBJECT

private slots:
    void rowsRoundTrip();
    void rowsOfForeignOrShortData();
    void hasFormat();
    void folderExpandsToMediaFiles();
};

void tst_MimeData::rowsRoundTrip()
{
    QStandardItemModel model(10, 1);
    const QModelIndexList indexes{model.index(5, 0), model.index(2, 0), model.index(7, 0)};
    std::unique_ptr<QMimeData> data(MimeData::fromRows(indexes));
    QVERIFY(data);
    QCOMPARE(data->formats(), QStringList{QStringLiteral("reelforge/video-item-rows")});
    QCOMPARE(MimeData::rows(data.get()), (QList<int>{5, 2, 7}));

    // Big-endian 32-bit count, then the rows.
    const QByteArray payload = data->data(QStringLiteral("reelforge/video-item-rows"));
    QCOMPARE(payload.toHex(), QByteArray("00000003000000050000000200000007"));

    QVERIFY(!MimeData::fromRows({}));
}

void tst_MimeData::rowsOfForeignOrShortData()
{
    QVERIFY(MimeData::rows(nullptr).isEmpty());
    QMimeData text;
    text.setText(QStringLiteral("3"));
    QVERIFY(MimeData::rows(&text).isEmpty());

    // A count larger than the rows present stops at the end of the data.
    QByteArray payload;
    QDataStream stream(&payload, QIODevice::WriteOnly);
    stream << qint32(1000000) << qint32(4) << qint32(9);
    QMimeData shortData;
    shortData.setData(QStringLiteral("reelforge/video-item-rows"), payload);
    QCOMPARE(MimeData::rows(&shortData), (QList<int>{4, 9}));
}

void tst_MimeData::hasFormat()
{
    QMimeData urls;
    urls.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.mp4"))});
    std::unique_ptr<QMimeData> rows(MimeData::fromRows({QStandardItemModel(1, 1).index(0, 0)}));

    QVERIFY(!MimeData::hasFormat(nullptr, MimeData::UriList));
    QVERIFY(MimeData::hasFormat(&urls, MimeData::UriList));
    QVERIFY(!MimeData::hasFormat(&urls, MimeData::VideoItemRows));
    QVERIFY(MimeData::hasFormat(rows.get(), MimeData::VideoItemRows));
    QVERIFY(!MimeData::hasFormat(rows.get(), MimeData::UriList));
    QVERIFY(!MimeData::hasFormat(&urls, 3));
}

void tst_MimeData::folderExpandsToMediaFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto touch = [&dir](const QString &name) {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::WriteOnly);
    };
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("folder/sub")));
    QVERIFY(touch(QStringLiteral("folder/a.MP4")));
    QVERIFY(touch(QStringLiteral("folder/b.txt")));
    QVERIFY(touch(QStringLiteral("folder/sub/c.srt")));
    QVERIFY(touch(QStringLiteral("folder/sub/d.aif")));
    QVERIFY(touch(QStringLiteral("single.mkv")));
    QVERIFY(touch(QStringLiteral("notes.doc")));

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(dir.filePath(QStringLiteral("single.mkv"))),
                  QUrl::fromLocalFile(dir.filePath(QStringLiteral("folder"))),
                  QUrl::fromLocalFile(dir.filePath(QStringLiteral("notes.doc"))),
                  QUrl::fromLocalFile(dir.filePath(QStringLiteral("missing.mp4")))});
    const QList<QUrl> urls = MimeData::urlsWithFolders(&data);
    QCOMPARE(urls.size(), 3);
    QCOMPARE(urls.at(0), QUrl::fromLocalFile(dir.filePath(QStringLiteral("single.mkv"))));
    const QList<QUrl> fromFolder = urls.mid(1);
    QVERIFY(fromFolder.contains(QUrl::fromLocalFile(dir.filePath(QStringLiteral("folder/a.MP4")))));
    QVERIFY(fromFolder.contains(
            QUrl::fromLocalFile(dir.filePath(QStringLiteral("folder/sub/d.aif")))));

    QMimeData noUrls;
    noUrls.setText(QStringLiteral("x"));
    QVERIFY(MimeData::urlsWithFolders(&noUrls).isEmpty());
    QVERIFY(MimeData::urlsWithFolders(nullptr).isEmpty());
}

QTEST_GUILESS_MAIN(tst_MimeData)
#include "tst_mimedata.moc"
