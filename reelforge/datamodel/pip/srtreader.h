#pragma once

#include "datamodel/pip/subtitlecue.h"

#include <QString>
#include <QVector>

// Reads a SubRip (SRT) file into cues in file order. Only a regular file of
// up to 50 MB is read. The text is UTF-8, UTF-16 or UTF-32 (with or without
// a byte-order mark for UTF-16), or Windows-1252 when it is not valid UTF-8;
// lines end with CR LF, LF or CR. Times have any number of hour digits.
// Cues whose start is not below their end are dropped and counted in one
// warning; a file that cannot be read gives no cues and a warning.
class SrtReader
{
public:
    static void read(QVector<SubtitleCue> &cues, const QString &filePath);
};
