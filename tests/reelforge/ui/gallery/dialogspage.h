#pragma once

#include <QString>

class QDir;

// The preview dialogs on a generated clip: the preview with its controls,
// the trim dialog and the output file settings, each as its window shows.
// Writes preview-<theme>.png, trim-<theme>.png and codec-<theme>.png.
bool saveDialogSheets(const QDir &dir, const QString &styleId, const QString &theme);
