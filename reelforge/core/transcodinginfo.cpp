#include "core/transcodinginfo.h"

#include <QDataStream>

QDataStream &operator<<(QDataStream &out, const TranscodingInfo &info)
{
    return out << info.uid << info.source << info.target << info.container << info.trimStart
               << info.trimEnd << info.video << info.audio << info.watermark << info.subtitles;
}

// A body that ends early leaves the members after the break empty or zero,
// and a list or map that breaks off empty, so a cut task fails validation.
QDataStream &operator>>(QDataStream &in, TranscodingInfo &info)
{
    return in >> info.uid >> info.source >> info.target >> info.container >> info.trimStart
            >> info.trimEnd >> info.video >> info.audio >> info.watermark >> info.subtitles;
}
