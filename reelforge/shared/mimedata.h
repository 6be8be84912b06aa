#pragma once

#include <QList>
#include <QModelIndexList>
#include <QUrl>

class QMimeData;

// Drag-and-drop data of the queue: the private format that carries dragged
// queue rows, and the expansion of dropped files and folders into the media
// files the program reads.
namespace MimeData {

// The kinds that hasFormat() tells apart.
enum Kind { UriList = 1, VideoItemRows = 2 };

QString videoItemRowsFormat();

// A new object for Qt's drag machinery, owned by the caller; null for no
// indexes.
QMimeData *fromRows(const QModelIndexList &indexes);
QList<int> rows(const QMimeData *data);
QList<QUrl> urlsWithFolders(const QMimeData *data);
bool hasFormat(const QMimeData *data, int kind);

} // namespace MimeData
