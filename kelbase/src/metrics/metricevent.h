#pragma once

#include <QString>

// One usage event: a key, its value and an optional extra field.
struct MetricEvent
{
    QString key;
    QString value;
    QString extra;
};
