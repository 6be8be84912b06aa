#pragma once

#include <QString>

class QDir;

// The application's widgets page: the choosers, combos and small editing
// widgets in their usual places, with the preset, folder and action popups
// open below them.
bool saveWidgetsSheet(const QDir &dir, const QString &styleId, const QString &fileName);
