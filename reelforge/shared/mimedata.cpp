#include "shared/mimedata.h"

#include "shared/formattables.h"

#include <QDataStream>
#include <QDirIterator>
#include <QFileInfo>
#include <QMimeData>

namespace {

const QString UriListFormat = QStringLiteral("text/uri-list");

QStringList acceptedSuffixes()
{
    const FormatTables tables;
    return tables.inputVideoFormats() + tables.inputAudioFormats();
}

} // namespace

namespace MimeData {

QString videoItemRowsFormat()
{
    return QStringLiteral("reelforge/video-item-rows");
}

QMimeData *fromRows(const QModelIndexList &indexes)
{
    if (indexes.isEmpty())
        return nullptr;
    QByteArray payload;
    QDataStream stream(&payload, QIODevice::WriteOnly);
    stream << qint32(indexes.size());
    for (const QModelIndex &index : indexes)
        stream << qint32(index.row());
    auto data = new QMimeData;
    data->setData(videoItemRowsFormat(), payload);
    return data;
}

QList<int> rows(const QMimeData *data)
{
    QList<int> result;
    if (!data || !data->hasFormat(videoItemRowsFormat()))
        return result;
    QDataStream stream(data->data(videoItemRowsFormat()));
    qint32 count = 0;
    stream >> count;
    for (qint32 i = 0; i < count; ++i) {
        qint32 row = 0;
        stream >> row;
        if (stream.status() != QDataStream::Ok)
            break;
        result << row;
    }
    return result;
}

QList<QUrl> urlsWithFolders(const QMimeData *data)
{
    QList<QUrl> result;
    if (!data || !data->hasFormat(UriListFormat))
        return result;
    const QStringList suffixes = acceptedSuffixes();
    const auto accepted = [&suffixes](const QFileInfo &info) {
        return suffixes.contains(info.suffix(), Qt::CaseInsensitive);
    };
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        const QFileInfo info(url.toLocalFile());
        if (info.isFile()) {
            if (accepted(info))
                result << url;
        } else if (info.isDir()) {
            QDirIterator it(info.filePath(), QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                it.next();
                if (accepted(it.fileInfo()))
                    result << QUrl::fromLocalFile(it.filePath());
            }
        }
    }
    return result;
}

bool hasFormat(const QMimeData *data, int kind)
{
    if (!data)
        return false;
    switch (kind) {
    case UriList:
        return data->hasFormat(UriListFormat);
    case VideoItemRows:
        return data->hasFormat(videoItemRowsFormat());
    default:
        return data->hasFormat(QString());
    }
}

} // namespace MimeData
