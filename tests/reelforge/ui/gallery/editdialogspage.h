#pragma once

#include <QString>

class QDir;

// The watermark and the subtitles dialog over a generated clip, a turned
// text watermark and subtitles on a band, and the fonts menu open below its
// combo: watermark-<theme>.png, subtitles-<theme>.png, fontsmenu-<theme>.png.
bool saveEditDialogsSheets(const QDir &dir, const QString &styleId, const QString &theme);
