#include "datamodel/pip/srtreader.h"

#include "core/mediatime.h"
#include "datamodel/pip/platform/regularfile.h"

#include <QDebug>
#include <QStringView>
#include <QTextCodec>

namespace {

constexpr qint64 MaxFileBytes = 50 * 1024 * 1024;
// Enough for any medium, few enough that the time cannot overflow.
constexpr int MaxHourDigits = 6;
constexpr int MaxFractionDigits = 9;
// The bytes looked at to tell UTF-16 without a byte-order mark.
constexpr int SampleBytes = 64 * 1024;

class TimeParser
{
public:
    explicit TimeParser(QStringView text) : m_text(text) { }

    // "H:MM:SS,mmm" with any number of hour digits, a full stop for the comma
    // and a fraction of any length, or "H:MM" alone; -1 for anything else.
    qint64 parse()
    {
        qint64 hours = 0;
        qint64 minutes = 0;
        qint64 seconds = 0;
        if (!number(1, MaxHourDigits, hours) || !expect(QLatin1Char(':')) || !number(2, 2, minutes)
            || minutes > 59)
            return -1;
        if (atEnd())
            return MediaTime::ticksFromSeconds((hours * 60 + minutes) * 60);
        if (!expect(QLatin1Char(':')) || !number(2, 2, seconds) || seconds > 59)
            return -1;
        qint64 milliseconds = 0;
        if (!atEnd()) {
            if (!expect(QLatin1Char(',')) && !expect(QLatin1Char('.')))
                return -1;
            if (!fraction(milliseconds))
                return -1;
        }
        if (!atEnd())
            return -1;
        return MediaTime::ticksFromSeconds((hours * 60 + minutes) * 60 + seconds)
                + MediaTime::ticksFromMilliseconds(milliseconds);
    }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }

    bool expect(QChar c)
    {
        if (atEnd() || m_text.at(m_pos) != c)
            return false;
        ++m_pos;
        return true;
    }

    bool number(int minDigits, int maxDigits, qint64 &value)
    {
        value = 0;
        int count = 0;
        while (!atEnd() && m_text.at(m_pos).isDigit() && m_text.at(m_pos).unicode() < 128) {
            if (++count > maxDigits)
                return false;
            value = value * 10 + (m_text.at(m_pos).unicode() - '0');
            ++m_pos;
        }
        return count >= minDigits;
    }

    // A decimal fraction of a second, rounded to milliseconds (at most 999).
    bool fraction(qint64 &milliseconds)
    {
        qint64 digits = 0;
        qint64 scale = 1;
        int count = 0;
        while (!atEnd() && m_text.at(m_pos).unicode() >= '0' && m_text.at(m_pos).unicode() <= '9') {
            if (count < MaxFractionDigits) {
                digits = digits * 10 + (m_text.at(m_pos).unicode() - '0');
                scale *= 10;
            }
            ++count;
            ++m_pos;
        }
        if (count == 0)
            return false;
        milliseconds = qMin<qint64>((digits * 1000 + scale / 2) / scale, 999);
        return true;
    }

    QStringView m_text;
    int m_pos = 0;
};

// An unparsable time counts as the start of the media.
qint64 parseTimestamp(QStringView text)
{
    return qMax<qint64>(0, TimeParser(text.trimmed()).parse());
}

void parseTiming(const QString &line, SubtitleCue &cue)
{
    const QStringList parts = line.split(QStringLiteral("-->"));
    if (parts.size() != 2)
        return;
    cue.start = parseTimestamp(parts.at(0));
    cue.end = parseTimestamp(parts.at(1));
}

QString decodeWith(const char *codecName, const QByteArray &bytes, int skip,
                   QTextCodec::ConverterState *state = nullptr)
{
    QTextCodec *codec = QTextCodec::codecForName(codecName);
    if (!codec)
        return QString();
    return codec->toUnicode(bytes.constData() + skip, bytes.size() - skip, state);
}

// UTF-16 without a byte-order mark shows itself by the zero bytes of its
// ASCII characters, all in one byte position; UTF-8 text has none.
const char *unmarkedUtf16(const QByteArray &bytes)
{
    const int sample = int(qMin<qint64>(bytes.size(), SampleBytes)) & ~1;
    int evenZeros = 0;
    int oddZeros = 0;
    for (int i = 0; i < sample; ++i) {
        if (bytes.at(i) == 0)
            ++(i % 2 == 0 ? evenZeros : oddZeros);
    }
    const int pairs = sample / 2;
    if (oddZeros * 8 >= pairs && oddZeros > 4 * evenZeros && pairs > 0)
        return "UTF-16LE";
    if (evenZeros * 8 >= pairs && evenZeros > 4 * oddZeros && pairs > 0)
        return "UTF-16BE";
    return nullptr;
}

// A byte-order mark decides; without one, UTF-16 is told by its zero bytes,
// and text that is not valid UTF-8 is taken for Windows-1252, the usual
// 8-bit code page of subtitle files.
QString decode(const QByteArray &bytes)
{
    if (bytes.startsWith("\xef\xbb\xbf"))
        return decodeWith("UTF-8", bytes, 3);
    if (bytes.startsWith(QByteArray("\xff\xfe\x00\x00", 4)))
        return decodeWith("UTF-32LE", bytes, 4);
    if (bytes.startsWith(QByteArray("\x00\x00\xfe\xff", 4)))
        return decodeWith("UTF-32BE", bytes, 4);
    if (bytes.startsWith("\xff\xfe"))
        return decodeWith("UTF-16LE", bytes, 2);
    if (bytes.startsWith("\xfe\xff"))
        return decodeWith("UTF-16BE", bytes, 2);
    if (const char *utf16 = unmarkedUtf16(bytes))
        return decodeWith(utf16, bytes, 0);

    QTextCodec::ConverterState state;
    const QString text = decodeWith("UTF-8", bytes, 0, &state);
    if (state.invalidChars == 0 && state.remainingChars == 0)
        return text;
    return decodeWith("Windows-1252", bytes, 0);
}

// The line that starts at pos, which moves past its end: CR LF, LF or CR.
bool nextLine(QStringView text, int &pos, QStringView &line)
{
    if (pos >= text.size())
        return false;
    int end = pos;
    while (end < text.size() && text.at(end) != QLatin1Char('\n')
           && text.at(end) != QLatin1Char('\r'))
        ++end;
    line = text.mid(pos, end - pos);
    pos = end + 1;
    if (end < text.size() && text.at(end) == QLatin1Char('\r') && pos < text.size()
        && text.at(pos) == QLatin1Char('\n'))
        ++pos;
    return true;
}

} // namespace

void SrtReader::read(QVector<SubtitleCue> &cues, const QString &filePath)
{
    cues.clear();
    if (filePath.isEmpty())
        return;
    QString why;
    const std::unique_ptr<QFile> file = openRegularFile(filePath, MaxFileBytes, &why);
    if (!file) {
        qWarning().noquote() << "Can't read subtitles from" << filePath << "-" << why;
        return;
    }
    const QString text = decode(file->read(qMin(file->size(), MaxFileBytes)));

    int blocks = 0;
    int blockLine = 0;
    SubtitleCue cue;
    const auto endBlock = [&] {
        if (cue.start < cue.end)
            cues.append(cue);
        cue = SubtitleCue();
        blockLine = 0;
    };
    int pos = 0;
    QStringView rawLine;
    while (nextLine(text, pos, rawLine)) {
        const QStringView line = rawLine.trimmed();
        if (blockLine == 0) {
            cue = SubtitleCue();
            if (!line.isEmpty()) {
                blockLine = 1; // the sequence number; its value is not used
                ++blocks;
            }
            continue;
        }
        if (line.isEmpty()) {
            endBlock();
        } else if (blockLine == 1) {
            parseTiming(line.toString(), cue);
            blockLine = 2;
        } else {
            cue.lines.append(line.toString());
            ++blockLine;
        }
    }
    // The last block need not end with an empty line.
    if (blockLine > 0)
        endBlock();

    if (cues.size() < blocks)
        qWarning().noquote() << "Skipped" << blocks - cues.size() << "of" << blocks
                             << "subtitle cues without a valid time range in" << filePath;
}
