#pragma once

#include "core/avmediafileinfo.h"
#include "core/mediaimportitem.h"

#include <QImage>
#include <QObject>
#include <QSharedPointer>
#include <QSize>
#include <QString>

#include <memory>

struct AVFormatContext;

// Reads the media facts of queued files off the GUI thread, with a
// thumbnail, and hands them to the items, which take their source and target
// settings, duration and state from them.
//
// Lives on the items' thread and is called there. The probing runs on Qt's
// global thread pool; its results are handed to each item on the item's own
// thread. Destroying the object drops the items still waiting and waits for
// the probes under way.
class mediaimport : public QObject
{
    Q_OBJECT

public:
    explicit mediaimport(QObject *parent = nullptr);
    ~mediaimport() override;

    // An Importing item gets its source file probed; an item in any other
    // state gets its converted output checked.
    void loadMetaInfo(const QSharedPointer<MediaImportItem> &item);

    // Reads the container headers and stream information, without decoding.
    // A file that cannot be read gives the default record.
    static AVMediaFileInfo probe(const QString &path);
    // A frame from 5 % into the file, fitted into maxSize; null on failure.
    static QImage thumbnail(const QString &path, const QSize &maxSize, Qt::AspectRatioMode mode);
    // Gives the system back what the pool's threads freed: glibc keeps it in
    // an arena per thread, hundreds of KiB per file of a batch. Called when a
    // batch of pool work ends; any thread.
    static void releaseFreedMemory();

private:
    static AVMediaFileInfo probeInput(AVFormatContext *input, const QString &path);

    class Private;
    std::unique_ptr<Private> d;
};
