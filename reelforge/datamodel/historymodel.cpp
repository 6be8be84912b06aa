#include "datamodel/historymodel.h"

#include "shared/formattables.h"
#include "utils/kelfileutils.h"

#include <QDebug>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMetaEnum>
#include <QSaveFile>
#include <QSet>
#include <QVector>

namespace {

QString historyFolder()
{
    return FormatTables::historyThumbnailPath();
}

QString thumbnailName(const VideoItemPtr &item)
{
    return item->id().toString() + FormatTables::historyThumbnailSuffix();
}

const char *stateName(VideoItem::State state)
{
    return QMetaEnum::fromType<VideoItem::State>().valueToKey(state);
}

} // namespace

class HistoryModel::Private
{
public:
    explicit Private(HistoryModel *q) : q(q) { }

    void watchRemoveRequest(const VideoItemPtr &item)
    {
        QObject::connect(item.data(), &VideoItem::removeClicked, q,
                         [this, id = item->id()] { q->remove(id); });
    }

    void setUnreadableFileAside(const QString &path);

    HistoryModel *q;
    QVector<VideoItemPtr> items;
    // The file of this run could not be read: its items' thumbnails are still
    // in the folder and stay there.
    bool keepAllThumbnails = false;
    // It could not be moved aside either, and writing would destroy it.
    bool writeRefused = false;
    // The file as read when some of its records did not load; kept beside
    // it before the first write replaces it.
    QByteArray partlyReadFile;
};

void HistoryModel::Private::setUnreadableFileAside(const QString &path)
{
    keepAllThumbnails = true;
    const QString aside = KelUtils::moveFileAside(path);
    if (aside.isEmpty()) {
        writeRefused = true;
        qCritical() << "Can't move the unreadable history aside" << path
                    << "- the history of this run will not be saved";
        return;
    }
    qWarning() << "Unreadable history kept as" << aside << "- starting with an empty history";
}

HistoryModel::HistoryModel(QObject *parent) : QAbstractListModel(parent), d(new Private(this))
{
    readHistory();
    setObjectName(QStringLiteral("HistoryModel"));
}

HistoryModel::~HistoryModel()
{
    writeHistory();
}

int HistoryModel::rowCount(const QModelIndex &) const
{
    return d->items.size();
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() != 0 || index.row() >= d->items.size()
        || role != Qt::UserRole)
        return QVariant();
    return QVariant::fromValue(d->items.at(index.row()));
}

void HistoryModel::addItem(VideoItemPtr item)
{
    if (!item)
        return;
    if (item->state() != VideoItem::History) {
        qCritical() << "Trying to add" << stateName(item->state()) << "into history. Ignore";
        return;
    }
    beginInsertRows(QModelIndex(), 0, 0);
    d->items.prepend(item);
    endInsertRows();
    d->watchRemoveRequest(item);
}

void HistoryModel::remove(const QUuid &id)
{
    for (int row = 0; row < d->items.size(); ++row) {
        if (d->items.at(row)->id() != id)
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        const VideoItemPtr item = d->items.takeAt(row);
        endRemoveRows();
        item->disconnect(this);
        return;
    }
}

void HistoryModel::clear()
{
    if (d->items.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, d->items.size() - 1);
    const QVector<VideoItemPtr> removed = std::exchange(d->items, {});
    endRemoveRows();
    for (const VideoItemPtr &item : removed)
        item->disconnect(this);
}

void HistoryModel::readHistory()
{
    const QString folder = historyFolder();
    QFile file(folder + FormatTables::historyFilePath());
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        qCritical() << "Can't open file for reading" << file.fileName();
        d->setUnreadableFileAside(file.fileName());
        return;
    }

    QJsonParseError error;
    const QByteArray content = file.readAll();
    const QJsonDocument document = QJsonDocument::fromJson(content, &error);
    file.close();
    if (document.isNull()) {
        qCritical() << "Can't parse json" << file.fileName() << error.errorString() << "at"
                    << error.offset;
        d->setUnreadableFileAside(file.fileName());
        return;
    }
    if (!document.isArray()) {
        qCritical() << "Can't parse json" << file.fileName() << "root item must be an array";
        d->setUnreadableFileAside(file.fileName());
        return;
    }

    const QJsonArray records = document.array();
    int leftOut = 0;
    for (const QJsonValue &record : records) {
        auto item = VideoItemPtr::create(QFileInfo());
        if (!item->loadFromJson(record)) {
            ++leftOut;
            continue;
        }
        d->items.append(item);
        d->watchRemoveRequest(item);

        // Decoded only when the item's card is shown: a long history would
        // otherwise hold every picture from the start.
        item->setThumbnailFile(folder + thumbnailName(item));
    }
    if (leftOut > 0) {
        qWarning() << leftOut << "of" << records.size() << "history records could not be read"
                   << "and are left out; the file is kept before it is written again";
        d->partlyReadFile = content;
        // The thumbnails of the records left out stay with the kept file.
        d->keepAllThumbnails = true;
    }
}

void HistoryModel::writeHistory()
{
    const QString folder = historyFolder();
    QSaveFile file(folder + FormatTables::historyFilePath());
    if (d->writeRefused) {
        qCritical() << "Not writing" << file.fileName() << "over the unreadable history";
        return;
    }
    if (!d->partlyReadFile.isNull()) {
        const QString aside = KelUtils::writeFileAside(file.fileName(), d->partlyReadFile);
        if (aside.isEmpty()) {
            qCritical() << "Can't keep the partly read history beside" << file.fileName()
                        << "- not writing over it";
            return;
        }
        qWarning() << "Partly read history kept as" << aside;
        d->partlyReadFile.clear();
    }
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qCritical() << "Can't open file for writing" << file.fileName();
        return;
    }

    QJsonArray records;
    QSet<QString> keptThumbnails;
    for (const VideoItemPtr &item : qAsConst(d->items)) {
        records.append(item->toJson());
        const QString name = thumbnailName(item);
        // An existing thumbnail is never rewritten.
        if (QFileInfo::exists(folder + name) || item->thumbnail().save(folder + name))
            keptThumbnails.insert(name);
    }

    // QSaveFile commits even when its buffered write failed; check first.
    const QByteArray json = QJsonDocument(records).toJson();
    if (file.write(json) != json.size() || !file.flush()) {
        qCritical() << "Can't write file" << file.fileName() << file.errorString();
        file.cancelWriting();
        return;
    }
    if (!file.commit()) {
        qCritical() << "Can't write file" << file.fileName() << file.errorString();
        return;
    }

    if (d->keepAllThumbnails)
        return;
    QStringList stale;
    QDirIterator entries(folder, QDir::Files | QDir::Hidden);
    while (entries.hasNext()) {
        const QString path = entries.next();
        if (path.endsWith(FormatTables::historyThumbnailSuffix(), Qt::CaseInsensitive)
            && !keptThumbnails.contains(entries.fileName()))
            stale.append(path);
    }
    for (const QString &path : qAsConst(stale))
        QFile::remove(path);
}

#include "moc_historymodel.cpp"
