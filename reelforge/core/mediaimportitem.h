#pragma once

#include "core/avmediafileinfo.h"

#include <QImage>
#include <QString>

class QObject;

// A queued file as mediaimport sees it: what to read, and where the facts
// go. The data model's items implement it; mediaimport calls it on the
// item's own thread only.
class MediaImportItem
{
public:
    struct Probe
    {
        // An item that is still importing has its source read; any other
        // its converted output.
        bool firstProbe = true;
        QString path;
        QString sourcePath;
        bool thumbnailWanted = true;
    };

    virtual ~MediaImportItem() = default;

    // The object on whose thread the facts are handed back.
    virtual QObject *importContext() = 0;
    // Read when the item is handed in.
    virtual Probe importProbe() = 0;
    // The facts of the probe; accepted is false for a file that is no
    // usable video, refusal says why where that is known (a source that is
    // no readable regular file), and the thumbnail is null when none was
    // taken.
    virtual void applyImport(const Probe &probe, const AVMediaFileInfo &info, bool accepted,
                             const QString &refusal, const QImage &thumbnail)
            = 0;
};
