#pragma once

#include <QSize>
#include <QString>
#include <QTime>

// Text forms of values shown on cards, dialogs and combos. A single blank
// stands for a value that is not there.

QString compressionLevelName(int level);
QString formatTime(const QTime &time);
// duration in 100-ns units
QString formatDuration(qint64 duration);
QString formatFileSize(qint64 bytes);
QString formatResolution(const QSize &size);
QString formatNameUpper(const QString &format);
