#include "datamodel/historymodel.h"
#include "shared/formattables.h"
#include "waitbound.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QThreadPool>
#include <QtTest>

#include <signal.h>
#include <sys/resource.h>

namespace {

VideoItemPtr historyItem(const QString &name, const QImage &thumbnail = QImage())
{
    auto item = VideoItemPtr::create(QFileInfo(QStringLiteral("/media/") + name));
    item->setDuration(12345678901LL);
    item->setState(VideoItem::History);
    if (!thumbnail.isNull())
        item->setThumbnail(thumbnail);
    return item;
}

QImage solidImage(Qt::GlobalColor color)
{
    QImage image(32, 24, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

VideoItemPtr itemAt(const HistoryModel &model, int row)
{
    return model.data(model.index(row), Qt::UserRole).value<VideoItemPtr>();
}

QString folder()
{
    return FormatTables::historyThumbnailPath();
}

QString historyFile()
{
    return folder() + FormatTables::historyFilePath();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

QJsonArray recordsOnDisk()
{
    return QJsonDocument::fromJson(readAll(historyFile())).array();
}

// Caps the size of files this process may write, so that writes past it fail
// with EFBIG (even for root); the signal the kernel sends is ignored.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved;
};

} // namespace

class tst_HistoryModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void firstRunWritesEmptyArray();
    void itemsRoundTripThroughFile();
    void badFileLoadsEmpty_data();
    void badFileLoadsEmpty();
    void malformedRecordIsSkipped_data();
    void malformedRecordIsSkipped();
    void everyRecordLeftOutKeepsTheFile();
    void addRefusesOtherStates();
    void removeAndClear();
    void thumbnailsAtExit();
    void failedWriteKeepsOldFile();
};

void tst_HistoryModel::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    VideoItem::registerMetaTypes();
}

void tst_HistoryModel::init()
{
    QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).removeRecursively();
}

void tst_HistoryModel::firstRunWritesEmptyArray()
{
    {
        HistoryModel model;
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.objectName(), QStringLiteral("HistoryModel"));
        QVERIFY(QFileInfo(folder()).isDir());
    }
    const QJsonDocument written = QJsonDocument::fromJson(readAll(historyFile()));
    QVERIFY(written.isArray());
    QVERIFY(written.array().isEmpty());
}

void tst_HistoryModel::itemsRoundTripThroughFile()
{
    const VideoItemPtr first = historyItem(QStringLiteral("first.mp4"), solidImage(Qt::red));
    const VideoItemPtr second = historyItem(QStringLiteral("second.mkv"));
    second->setTrim(100, 2000000000LL);
    {
        HistoryModel model;
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        model.addItem(first);
        model.addItem(second);
        QCOMPARE(inserted.count(), 2);
        QCOMPARE(inserted.at(1).at(1).toInt(), 0);
        QCOMPARE(itemAt(model, 0), second);
        QCOMPARE(itemAt(model, 1), first);
    }
    QVERIFY(QFile::exists(folder() + first->id().toString() + ".jpg"));
    // A null thumbnail cannot be saved and leaves no file.
    QVERIFY(!QFile::exists(folder() + second->id().toString() + ".jpg"));
    QCOMPARE(recordsOnDisk().at(0).toObject().value("TrimEnd").toString(),
             QStringLiteral("2000000000"));

    HistoryModel loaded;
    QCOMPARE(loaded.rowCount(), 2);
    const VideoItemPtr top = itemAt(loaded, 0);
    const VideoItemPtr bottom = itemAt(loaded, 1);
    QCOMPARE(top->id(), second->id());
    QCOMPARE(top->trim(), second->trim());
    QCOMPARE(top->state(), VideoItem::History);
    QCOMPARE(bottom->id(), first->id());
    QCOMPARE(bottom->duration(), first->duration());
    QCOMPARE(bottom->sourceFileInfo().absoluteFilePath(), QStringLiteral("/media/first.mp4"));

    // Thumbnails stay in their files until an item asks for its own, once.
    QVERIFY(bottom->thumbnail().isNull());
    QSignalSpy bottomThumbnail(bottom.data(), &VideoItem::thumbnailChanged);
    QSignalSpy topThumbnail(top.data(), &VideoItem::thumbnailChanged);
    bottom->loadThumbnail();
    bottom->loadThumbnail();
    top->loadThumbnail();
    QVERIFY(bottomThumbnail.wait(WaitBound::ms()));
    QCOMPARE(bottom->thumbnail().size(), QSize(32, 24));
    QVERIFY(qRed(bottom->thumbnail().pixel(16, 12)) > 240);
    bottom->loadThumbnail();
    QCoreApplication::processEvents();
    QCOMPARE(bottomThumbnail.count(), 1);
    QCOMPARE(topThumbnail.count(), 0);
    QVERIFY(top->thumbnail().isNull());

    // An item gone before its read ends hears nothing of it.
    auto gone = VideoItemPtr::create(QFileInfo());
    gone->setThumbnailFile(folder() + first->id().toString() + ".jpg");
    gone->loadThumbnail();
    gone.reset();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();

    // The card's remove request of a loaded item reaches the model.
    emit bottom->removeClicked();
    QCOMPARE(loaded.rowCount(), 1);
    QCOMPARE(itemAt(loaded, 0), top);
}

void tst_HistoryModel::badFileLoadsEmpty_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("message");

    QTest::newRow("root object") << QByteArray("{\"ItemId\": 1}")
                                 << QStringLiteral("root item must be an array");
    QTest::newRow("truncated") << QByteArray("[\n    {\n        \"ItemId\": \"{")
                               << QStringLiteral("at");
    QTest::newRow("garbage") << QByteArray("\x00\xff not json", 11) << QStringLiteral("at");
}

void tst_HistoryModel::badFileLoadsEmpty()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, message);
    // The thumbnail of an item of the unreadable file, and an earlier bad file.
    const QString thumbnail = folder() + QUuid::createUuid().toString() + ".jpg";
    writeFile(thumbnail, "thumbnail");
    writeFile(historyFile() + ".bad", "earlier");
    writeFile(historyFile(), contents);

    QTest::ignoreMessage(QtCriticalMsg,
                         QRegularExpression(
                                 QStringLiteral("^Can't parse json \".*history\\.json\" .*")
                                 + QRegularExpression::escape(message)));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Unreadable history kept as"));
    {
        HistoryModel model;
        QCOMPARE(model.rowCount(), 0);
        model.addItem(historyItem(QStringLiteral("new.mp4")));
    }
    QCOMPARE(recordsOnDisk().size(), 1);
    // Nothing of the unreadable history is lost.
    QCOMPARE(readAll(historyFile() + ".bad.2"), contents);
    QCOMPARE(readAll(historyFile() + ".bad"), QByteArray("earlier"));
    QCOMPARE(readAll(thumbnail), QByteArray("thumbnail"));
}

void tst_HistoryModel::malformedRecordIsSkipped_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("value"); // undefined: the key is missing
    QTest::addColumn<QString>("message");

    QTest::newRow("missing key") << "UseAudio" << QJsonValue(QJsonValue::Undefined)
                                 << "Can't parse json, Video object has no required key: "
                                    "\"UseAudio\"";
    QTest::newRow("state out of range")
            << "ItemState" << QJsonValue(99)
            << "Can't parse json, Video object has an unknown state: QJsonValue(double, 99)";
    QTest::newRow("state not a number")
            << "ItemState" << QJsonValue("History")
            << "Can't parse json, Video object has an unknown state: QJsonValue(string, "
               "\"History\")";
    QTest::newRow("codec settings not an object")
            << "SourceCodecInfo" << QJsonValue(QJsonArray{1, 2})
            << "Can't parse json, CodecInfo item must be an object";
}

void tst_HistoryModel::malformedRecordIsSkipped()
{
    QFETCH(QString, key);
    QFETCH(QJsonValue, value);
    QFETCH(QString, message);
    QJsonArray records;
    for (const char *name : {"a.mp4", "b.mp4", "c.mp4"})
        records.append(historyItem(QString::fromLatin1(name))->toJson());
    QJsonObject broken = records.at(1).toObject();
    if (value.isUndefined())
        broken.remove(key);
    else
        broken.insert(key, value);
    records.replace(1, broken);

    const QByteArray original = QJsonDocument(records).toJson();
    writeFile(historyFile(), original);

    QTest::ignoreMessage(QtCriticalMsg, qPrintable(message));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^1 of 3 history records could not be read"));
    {
        HistoryModel model;
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(itemAt(model, 0)->sourceFileInfo().fileName(), QStringLiteral("a.mp4"));
        QCOMPARE(itemAt(model, 1)->sourceFileInfo().fileName(), QStringLiteral("c.mp4"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Partly read history kept as"));
    }
    // The record left out is not lost with the next write.
    QCOMPARE(readAll(historyFile() + ".bad"), original);
    QCOMPARE(recordsOnDisk().size(), 2);
}

void tst_HistoryModel::everyRecordLeftOutKeepsTheFile()
{
    QJsonObject unknownState = historyItem(QStringLiteral("a.mp4"))->toJson().toObject();
    unknownState.insert(QStringLiteral("ItemState"), 42);
    const QByteArray original = QJsonDocument(QJsonArray{unknownState, 7}).toJson();
    writeFile(historyFile(), original);
    // An earlier kept file stays as it is.
    writeFile(historyFile() + ".bad", "earlier");

    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Can't parse json, Video"));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Can't parse json, Video"));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^2 of 2 history records could not be read"));
    {
        HistoryModel model;
        QCOMPARE(model.rowCount(), 0);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Partly read history kept as"));
    }
    QCOMPARE(readAll(historyFile() + ".bad.2"), original);
    QCOMPARE(readAll(historyFile() + ".bad"), QByteArray("earlier"));
    QCOMPARE(recordsOnDisk().size(), 0);
}

void tst_HistoryModel::addRefusesOtherStates()
{
    HistoryModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    auto item = VideoItemPtr::create(QFileInfo(QStringLiteral("/media/a.mp4")));
    item->setState(VideoItem::Converted);
    QTest::ignoreMessage(QtCriticalMsg, "Trying to add Converted into history. Ignore");
    model.addItem(item);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(inserted.count(), 0);
}

void tst_HistoryModel::removeAndClear()
{
    HistoryModel model;
    const VideoItemPtr a = historyItem(QStringLiteral("a.mp4"));
    const VideoItemPtr b = historyItem(QStringLiteral("b.mp4"));
    const VideoItemPtr c = historyItem(QStringLiteral("c.mp4"));
    for (const VideoItemPtr &item : {a, b, c})
        model.addItem(item);

    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    model.remove(QUuid::createUuid());
    QCOMPARE(removed.count(), 0);
    emit b->removeClicked();
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(removed.takeFirst().mid(1), (QVariantList{1, 1}));

    model.clear();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(removed.takeFirst().mid(1), (QVariantList{0, 1}));
    model.clear();
    QCOMPARE(removed.count(), 0);

    // Removed items no longer talk to the model.
    model.addItem(b);
    emit a->removeClicked();
    QCOMPARE(model.rowCount(), 1);
}

void tst_HistoryModel::thumbnailsAtExit()
{
    const VideoItemPtr kept = historyItem(QStringLiteral("kept.mp4"), solidImage(Qt::blue));
    const VideoItemPtr fresh = historyItem(QStringLiteral("fresh.mp4"), solidImage(Qt::green));
    const QString keptFile = folder() + kept->id().toString() + ".jpg";
    const QString freshFile = folder() + fresh->id().toString() + ".jpg";
    const QString stale = folder() + QUuid::createUuid().toString() + ".jpg";
    const QString staleUpper = folder() + QStringLiteral("OLD.JPG");
    const QString other = folder() + QStringLiteral("notes.png");
    writeFile(keptFile, "existing thumbnail");
    for (const QString &path : {stale, staleUpper, other})
        writeFile(path, "x");

    {
        HistoryModel model;
        model.addItem(kept);
        model.addItem(fresh);
        kept->setThumbnail(solidImage(Qt::yellow));
    }
    QCOMPARE(readAll(keptFile), QByteArray("existing thumbnail"));
    QCOMPARE(QImage(freshFile).size(), QSize(32, 24));
    QVERIFY(!QFile::exists(stale));
    QVERIFY(!QFile::exists(staleUpper));
    QVERIFY(QFile::exists(other));
}

void tst_HistoryModel::failedWriteKeepsOldFile()
{
    const VideoItemPtr old = historyItem(QStringLiteral("old.mp4"), solidImage(Qt::red));
    {
        HistoryModel model;
        model.addItem(old);
    }
    const QByteArray before = readAll(historyFile());
    const QString oldThumbnail = folder() + old->id().toString() + ".jpg";
    QVERIFY(QFile::exists(oldThumbnail));

    HistoryModel model;
    model.clear();
    for (int i = 0; i < 20; ++i)
        model.addItem(historyItem(QStringLiteral("new%1.mp4").arg(i)));
    {
        const FileSizeLimit limit(before.size());
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Can't write file"));
        model.writeHistory();
    }
    QCOMPARE(readAll(historyFile()), before);
    QVERIFY(QFile::exists(oldThumbnail));
}

QTEST_GUILESS_MAIN(tst_HistoryModel)
#include "tst_historymodel.moc"
