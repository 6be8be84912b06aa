#pragma once

#include "core/codecinfos.h"

#include <QMetaType>
#include <QString>
#include <QVector>

// One row of the preset catalogue. Rows are owned by PresetsRepo and never
// change; everybody else holds them through PresetInfoPointer.
struct PresetInfo
{
    QString group;
    QString subgroup;
    QString name;
    QString icon;
    QString extension;
    QString videoLabel;
    VideoCodecInfo video;
    QString audioLabel;
    AudioCodecInfo audio;
};

using PresetInfoPointer = const PresetInfo *;
using PresetInfoPointersVector = QVector<PresetInfoPointer>;

Q_DECLARE_METATYPE(PresetInfoPointer)
Q_DECLARE_METATYPE(PresetInfoPointersVector)
