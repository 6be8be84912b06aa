#include "core/transcodinginfo.h"

#include "core/linkreader.h"
#include "datamodel/pip/pipobject.h"

#include <QDataStream>
#include <QDebug>
#include <QMetaEnum>

namespace {

QString valueText(const QVariant &value)
{
    if (value.userType() == qMetaTypeId<Qt::Alignment>())
        return QString::number(int(value.value<Qt::Alignment>()), 16).prepend(QLatin1String("0x"));
    QString text = value.toString();
    // Brushes, points and enumerations have no plain string form.
    if (text.isEmpty() && value.isValid())
        QDebug(&text).nospace().noquote() << value;
    return text;
}

void dumpOverlay(const char *title, const QMap<int, QVariant> &properties)
{
    qInfo().noquote() << title;
    const QMetaEnum names = QMetaEnum::fromType<PipObject::Property>();
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        const char *name = names.valueToKey(it.key());
        qInfo().noquote() << QStringLiteral("\t\"%1\" : \"%2\"")
                                     .arg(name ? QLatin1String(name) : QString::number(it.key()),
                                          valueText(it.value()));
    }
}

} // namespace

QDataStream &operator<<(QDataStream &out, const TranscodingInfo &info)
{
    return out << info.uid << info.source << info.target << info.container << info.trimStart
               << info.trimEnd << info.video << info.audio << info.watermark << info.subtitles;
}

// A body that ends early or does not parse leaves the members after the
// break at their defaults and the codec records and overlays empty, so a
// broken task fails validation.
QDataStream &operator>>(QDataStream &in, TranscodingInfo &info)
{
    LinkReader(in).readTask(info);
    return in;
}

void TranscodingInfo::dumpInfo() const
{
    qInfo("=== transcoding info ===");
    qInfo().noquote() << "\tuid           :" << uid.toString();
    qInfo().noquote() << "\tsource        :" << source;
    qInfo().noquote() << "\ttarget        :" << target;
    qInfo().noquote() << "\tcontainer     :" << container;
    qInfo().noquote() << "\ttrim start    :" << trimStart;
    qInfo().noquote() << "\ttrim end      :" << trimEnd;
    qInfo().noquote() << "\tuse video     :" << (video.size() == 1);
    qInfo().noquote() << "\tuse audio     :" << (audio.size() == 1);
    dumpOverlay("\tsubtitles     :", subtitles);
    dumpOverlay("\twatermark     :", watermark);
    qInfo("==== video settings ====");
    if (video.size() == 1) {
        const VideoCodecInfo &v = video.first();
        qInfo().noquote() << "\tname        :" << v.name;
        qInfo().noquote() << "\tresolution  :" << v.resolution;
        qInfo().noquote() << "\tframerate   :" << v.framerate;
        qInfo().noquote() << "\tbitrate     :" << v.bitrate;
        qInfo().noquote() << "\tquality     :" << v.quality;
    }
    qInfo("==== audio settings ====");
    if (audio.size() == 1) {
        const AudioCodecInfo &a = audio.first();
        qInfo().noquote() << "\tname        :" << a.name;
        qInfo().noquote() << "\tchannels    :" << a.channels;
        qInfo().noquote() << "\tsamplerate  :" << a.samplerate;
        qInfo().noquote() << "\tbitrate     :" << a.bitrate;
    }
}
