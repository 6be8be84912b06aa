#pragma once

#include <QStringList>
#include <QtGlobal>

// One cue of a subtitle file; times in 100-ns units from the media start,
// the end exclusive.
struct SubtitleCue
{
    qint64 start = 0;
    qint64 end = 0;
    QStringList lines;
};
