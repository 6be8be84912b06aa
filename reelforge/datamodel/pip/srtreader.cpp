#include "datamodel/pip/srtreader.h"

#include <QFile>
#include <QTextStream>
#include <QTime>

namespace {

// Time of day as Qt parses it ("hh:mm:ss,zzz", "hh:mm:ss.zzz", "hh:mm:ss",
// "hh:mm"); anything else counts as 0.
qint64 parseTimestamp(const QString &text)
{
    return qint64(QTime::fromString(text.trimmed(), Qt::TextDate).msecsSinceStartOfDay()) * 10000;
}

void parseTiming(const QString &line, SubtitleCue &cue)
{
    const QStringList parts = line.split(QStringLiteral("-->"));
    if (parts.size() != 2)
        return;
    cue.start = parseTimestamp(parts.at(0));
    cue.end = parseTimestamp(parts.at(1));
}

void appendIfValid(QVector<SubtitleCue> &cues, const SubtitleCue &cue)
{
    if (cue.start < cue.end)
        cues.append(cue);
}

} // namespace

void SrtReader::read(QVector<SubtitleCue> &cues, const QString &filePath)
{
    cues.clear();
    QFile file(filePath);
    if (!file.exists())
        return;
    // QTextStream applies the text mode to decoded characters, so UTF-16
    // files keep their 0x0d bytes.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;

    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    stream.setAutoDetectUnicode(true);

    int blockLine = 0;
    SubtitleCue cue;
    QString line;
    while (stream.readLineInto(&line)) {
        line = line.trimmed();
        if (blockLine == 0) {
            cue = SubtitleCue();
            if (!line.isEmpty())
                blockLine = 1; // the sequence number; its value is not used
            continue;
        }
        if (line.isEmpty()) {
            appendIfValid(cues, cue);
            cue = SubtitleCue();
            blockLine = 0;
        } else if (blockLine == 1) {
            parseTiming(line, cue);
            blockLine = 2;
        } else {
            cue.lines.append(line);
            ++blockLine;
        }
    }
    file.close();
    // The last block need not end with an empty line.
    appendIfValid(cues, cue);
}
