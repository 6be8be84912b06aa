#pragma once

class QDir;

// The settings dialog and the maintenance window's Styles tab, each shown
// in the light theme and again after a live switch to the dark one.
bool saveSettingsPictures(const QDir &dir);
