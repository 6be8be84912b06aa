#pragma once

#include <QByteArray>
#include <QtGlobal>

// Interleaved sound in the output's current type, with its presentation time
// and duration in 100-ns units.
struct AudioSample
{
    QByteArray data;
    qint64 time = 0;
    qint64 duration = 0;
};
