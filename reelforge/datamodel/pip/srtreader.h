#pragma once

#include "datamodel/pip/subtitlecue.h"

#include <QString>
#include <QVector>

// Reads a SubRip (SRT) file into cues in file order. Cues whose start is
// not below their end are dropped; nothing is reported, so a missing or
// broken file simply yields fewer cues.
class SrtReader
{
public:
    static void read(QVector<SubtitleCue> &cues, const QString &filePath);
};
