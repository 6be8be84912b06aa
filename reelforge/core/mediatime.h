#pragma once

#include <QtGlobal>

// Media times and durations count ticks of 100 ns, on the link as in the
// decoders and the preview. FFmpeg's AV_TIME_BASE counts microseconds and
// Qt's timers milliseconds; these are the only conversions between them.
// Conversions to a coarser unit truncate towards zero.
namespace MediaTime {

constexpr qint64 TicksPerSecond = 10000000;
constexpr qint64 TicksPerMillisecond = TicksPerSecond / 1000;
constexpr qint64 TicksPerMicrosecond = TicksPerSecond / 1000000;
constexpr qint64 NanosecondsPerTick = 1000000000 / TicksPerSecond;

constexpr qint64 ticksFromSeconds(qint64 seconds)
{
    return seconds * TicksPerSecond;
}

constexpr qint64 ticksFromMilliseconds(qint64 milliseconds)
{
    return milliseconds * TicksPerMillisecond;
}

constexpr qint64 ticksFromMicroseconds(qint64 microseconds)
{
    return microseconds * TicksPerMicrosecond;
}

constexpr qint64 ticksFromNanoseconds(qint64 nanoseconds)
{
    return nanoseconds / NanosecondsPerTick;
}

constexpr qint64 secondsFromTicks(qint64 ticks)
{
    return ticks / TicksPerSecond;
}

constexpr qint64 millisecondsFromTicks(qint64 ticks)
{
    return ticks / TicksPerMillisecond;
}

constexpr qint64 microsecondsFromTicks(qint64 ticks)
{
    return ticks / TicksPerMicrosecond;
}

} // namespace MediaTime
