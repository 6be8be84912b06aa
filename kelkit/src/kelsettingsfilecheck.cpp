#include "kelsettingsfilecheck.h"

#include <QDataStream>
#include <QMetaType>
#include <QMutex>
#include <QSet>
#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <iterator>

namespace {

struct Int32Types
{
    QMutex lock;
    QSet<int> ids;
};

Int32Types &int32Types()
{
    static Int32Types types;
    return types;
}

bool isInt32Type(int id)
{
    if (QMetaType::typeFlags(id) & QMetaType::IsEnumeration)
        return true;
    Int32Types &types = int32Types();
    QMutexLocker locker(&types.lock);
    return types.ids.contains(id);
}

// Lists and maps inside lists and maps; deeper nesting is refused rather
// than followed by the decoder's recursion.
constexpr int MaxDepth = 32;
constexpr quint32 NullMarker = 0xffffffffu;

// Sizes in the stream of the fixed-size values.
constexpr int ColorSize = 1 + 5 * 2;
constexpr int PointFSize = 2 * 8;
constexpr int GradientStopSize = 8 + ColorSize;

// QVariant type ids of streams older than Qt 5, mapped as QVariant::load does.
int currentTypeId(quint32 streamed, int version)
{
    if (version >= QDataStream::Qt_5_0)
        return int(streamed);
    if (streamed == 127)
        return QMetaType::User;
    if (streamed >= 128 && streamed != quint32(QMetaType::User))
        return int(streamed - 97);
    if (streamed == 75)
        return QMetaType::QSizePolicy;
    if (streamed > 75 && streamed <= 86)
        return int(streamed - 1);
    return int(streamed);
}

// Walks one serialised QVariant as QDataStream would read it, without
// building anything, and refuses what would read past its end.
class VariantWalker
{
public:
    VariantWalker(const QByteArray &data, int version) : m_data(data), m_version(version) { }

    bool walk() { return variant(0); }
    QString problem() const { return m_problem; }

private:
    bool fail(const QString &problem)
    {
        if (m_problem.isEmpty())
            m_problem = problem;
        return false;
    }
    qint64 left() const { return m_data.size() - m_pos; }

    bool skip(qint64 bytes)
    {
        if (bytes < 0 || bytes > left())
            return fail(QStringLiteral("it ends inside a value"));
        m_pos += bytes;
        return true;
    }
    bool readUInt8(quint8 *value)
    {
        if (left() < 1)
            return skip(1);
        *value = quint8(m_data.at(int(m_pos++)));
        return true;
    }
    bool readUInt32(quint32 *value)
    {
        if (left() < 4)
            return skip(4);
        *value = qFromBigEndian<quint32>(m_data.constData() + m_pos);
        m_pos += 4;
        return true;
    }
    bool readInt32(qint32 *value)
    {
        quint32 raw = 0;
        if (!readUInt32(&raw))
            return false;
        *value = qint32(raw);
        return true;
    }

    // A count of elements of at least elementSize bytes each: more than the
    // rest of the value can hold is a damaged count.
    bool count(quint32 *n, qint64 elementSize)
    {
        if (!readUInt32(n))
            return false;
        if (qint64(*n) * elementSize > left())
            return fail(QStringLiteral("it holds a count of %1 that the value cannot hold").arg(*n));
        return true;
    }

    // QString and QByteArray: a byte length, or the null marker.
    bool bytes(QByteArray *out = nullptr)
    {
        quint32 length = 0;
        if (!readUInt32(&length))
            return false;
        if (length == NullMarker)
            return true;
        if (out && length <= left())
            *out = m_data.mid(int(m_pos), int(length));
        return skip(length);
    }

    bool color()
    {
        quint8 spec = 0;
        if (!readUInt8(&spec))
            return false;
        if (spec > ExtendedRgbSpec)
            return fail(QStringLiteral("it holds a colour of unknown kind %1").arg(int(spec)));
        return skip(ColorSize - 1);
    }

    bool brush()
    {
        quint8 style = 0;
        if (!readUInt8(&style) || !color())
            return false;
        if (style == TexturePattern)
            return fail(QStringLiteral("it holds a texture brush"));
        if (style > TexturePattern)
            return fail(QStringLiteral("it holds a brush of unknown style %1").arg(int(style)));
        if (style >= LinearGradientPattern && style <= ConicalGradientPattern) {
            qint32 type = 0;
            if (!readInt32(&type))
                return false;
            if (m_version >= QDataStream::Qt_4_3)
                return fail(QStringLiteral("it holds a brush of a newer stream version"));
            quint32 stops = 0;
            if (!count(&stops, GradientStopSize))
                return false;
            for (quint32 i = 0; i < stops; ++i) {
                if (!skip(8) || !color())
                    return false;
            }
            // Linear: start and final stop; radial: centre, focal point and
            // radius; anything else reads as conical: centre and angle.
            const qint64 geometry = type == LinearGradient ? 2 * PointFSize
                    : type == RadialGradient               ? 2 * PointFSize + 8
                                                           : PointFSize + 8;
            return skip(geometry);
        }
        return true;
    }

    bool list(int depth)
    {
        quint32 n = 0;
        if (!count(&n, 4))
            return false;
        for (quint32 i = 0; i < n; ++i) {
            if (!variant(depth + 1))
                return false;
        }
        return true;
    }

    bool map(int depth)
    {
        quint32 n = 0;
        if (!count(&n, 8))
            return false;
        for (quint32 i = 0; i < n; ++i) {
            if (!bytes() || !variant(depth + 1))
                return false;
        }
        return true;
    }

    bool stringList()
    {
        quint32 n = 0;
        if (!count(&n, 4))
            return false;
        for (quint32 i = 0; i < n; ++i) {
            if (!bytes())
                return false;
        }
        return true;
    }

    bool array(qint64 elementSize)
    {
        quint32 n = 0;
        return count(&n, elementSize) && skip(qint64(n) * elementSize);
    }

    bool dateTime()
    {
        const qint64 date = m_version >= QDataStream::Qt_5_0 ? 8 : 4;
        quint8 spec = 0;
        if (!skip(date + 4) || !readUInt8(&spec))
            return false;
        if (m_version < QDataStream::Qt_5_2 || spec == 0 || spec == 1)
            return true;
        if (spec == 2) // offset from UTC
            return skip(4);
        if (spec != 3)
            return fail(QStringLiteral("it holds a time of unknown kind %1").arg(int(spec)));
        // A time zone: its id, or for a fixed offset its description.
        QByteArray id;
        if (!bytes(&id))
            return false;
        if (id != QByteArray("\0O\0f\0f\0s\0e\0t\0F\0r\0o\0m\0U\0t\0c", 26))
            return true;
        // Id, offset, name, abbreviation, country, comment.
        return bytes() && skip(4) && bytes() && bytes() && skip(4) && bytes();
    }

    bool userType(int depth)
    {
        QByteArray name;
        if (!bytes(&name))
            return false;
        const int id = QMetaType::type(name.constData());
        // QVariant refuses a type it does not know and stops reading.
        if (id == QMetaType::UnknownType)
            return true;
        // Types Qt 4 did not have as core types come by name.
        if (id < QMetaType::User)
            return value(id, depth);
        if (isInt32Type(id))
            return skip(4);
        return fail(QStringLiteral("it holds a value of type %1")
                            .arg(QString::fromLatin1(name.constData())));
    }

    bool variant(int depth)
    {
        if (depth > MaxDepth)
            return fail(QStringLiteral("it nests lists deeper than %1").arg(MaxDepth));
        quint32 streamed = 0;
        if (!readUInt32(&streamed))
            return false;
        if (m_version >= QDataStream::Qt_4_2 && !skip(1)) // the null flag
            return false;
        return value(currentTypeId(streamed, m_version), depth);
    }

    bool value(int typeId, int depth)
    {
        switch (typeId) {
        case QMetaType::UnknownType:
            // Before Qt 5 an invalid variant carries an empty string.
            return m_version >= QDataStream::Qt_5_0 || bytes();
        case QMetaType::User:
            return userType(depth);
        case QMetaType::Bool:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            return skip(1);
        case QMetaType::QChar:
        case QMetaType::Short:
        case QMetaType::UShort:
            return skip(2);
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::QTime:
            return skip(4);
        case QMetaType::Float:
            return skip(m_version >= QDataStream::Qt_4_6 ? 8 : 4);
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::Double:
        case QMetaType::QPoint:
        case QMetaType::QSize:
            return skip(8);
        case QMetaType::QDate:
            return skip(m_version >= QDataStream::Qt_5_0 ? 8 : 4);
        case QMetaType::QUuid:
        case QMetaType::QRect:
        case QMetaType::QLine:
        case QMetaType::QPointF:
        case QMetaType::QSizeF:
            return skip(16);
        case QMetaType::QRectF:
        case QMetaType::QLineF:
            return skip(32);
        case QMetaType::QColor:
            return color();
        case QMetaType::QBrush:
            return brush();
        case QMetaType::QString:
        case QMetaType::QByteArray:
        case QMetaType::QLocale:
        case QMetaType::QUrl:
            return bytes();
        case QMetaType::QBitArray: {
            quint32 bits = 0;
            if (!readUInt32(&bits))
                return false;
            return skip((qint64(bits) + 7) / 8);
        }
        case QMetaType::QStringList:
            return stringList();
        case QMetaType::QVariantList:
            return list(depth);
        case QMetaType::QVariantMap:
        case QMetaType::QVariantHash:
            return map(depth);
        case QMetaType::QDateTime:
            return dateTime();
        case QMetaType::QPolygon:
            return array(8);
        case QMetaType::QPolygonF:
            return array(16);
        default:
            return fail(QStringLiteral("it holds a value of type %1").arg(typeId));
        }
    }

    // Qt's values of the kinds the walker checks.
    enum {
        ExtendedRgbSpec = 5,
        LinearGradientPattern = 15,
        ConicalGradientPattern = 17,
        TexturePattern = 24,
        LinearGradient = 0,
        RadialGradient = 1,
    };

    const QByteArray m_data;
    const int m_version;
    qint64 m_pos = 0;
    QString m_problem;
};

// The values of an INI file as QSettings' reader unescapes them: each line's
// value, split into its elements when it is a list.
class IniValueReader
{
public:
    explicit IniValueReader(const QByteArray &data) : m_data(data)
    {
        if (data.startsWith("\xef\xbb\xbf")) {
            m_utf8 = true;
            m_pos = 3;
        }
    }

    // False when there is no further value.
    bool next(QStringList *elements);

private:
    bool nextLine(int *lineStart, int *lineLength, int *equalsPos);
    QStringList unescaped(int from, int to) const;
    void appendRun(QString *result, int from, int to) const
    {
        const QByteArray run = m_data.mid(from, to - from);
        *result += m_utf8 ? QString::fromUtf8(run) : QString::fromLatin1(run);
    }

    const QByteArray m_data;
    bool m_utf8 = false;
    int m_pos = 0;
};

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IniValueReader::next(QStringList *elements)
{
    int lineStart = 0;
    int lineLength = 0;
    int equalsPos = -1;
    while (nextLine(&lineStart, &lineLength, &equalsPos)) {
        // Section headers and lines without a key carry no value.
        if (m_data.at(lineStart) == '[' || equalsPos < 0)
            continue;
        *elements = unescaped(equalsPos + 1, lineStart + lineLength);
        return true;
    }
    return false;
}

// One logical line, as QSettings splits them: quotes may span line ends, a
// backslash escapes the next character, ';' starts a comment.
bool IniValueReader::nextLine(int *lineStart, int *lineLength, int *equalsPos)
{
    const int size = m_data.size();
    bool inQuotes = false;
    *equalsPos = -1;
    int start = m_pos;
    while (start < size && isSpace(m_data.at(start)))
        ++start;

    int i = start;
    while (i < size) {
        const char c = m_data.at(i++);
        if (c == '=') {
            if (!inQuotes && *equalsPos == -1)
                *equalsPos = i - 1;
        } else if (c == '\n' || c == '\r') {
            if (i == start + 1) {
                ++start;
            } else if (!inQuotes) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < size) {
                const char escaped = m_data.at(i++);
                if (i < size) {
                    const char after = m_data.at(i);
                    if ((escaped == '\n' && after == '\r') || (escaped == '\r' && after == '\n'))
                        ++i;
                }
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == ';') {
            if (i == start + 1) {
                while (i < size && m_data.at(i) != '\n' && m_data.at(i) != '\r')
                    ++i;
                start = i;
            } else if (!inQuotes) {
                --i;
                break;
            }
        }
    }
    m_pos = i;
    *lineStart = start;
    *lineLength = i - start;
    return *lineLength > 0;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void chopTrailingBlanks(QString *text, int limit)
{
    int n = text->size();
    while (n > limit
           && (text->at(n - 1) == QLatin1Char(' ') || text->at(n - 1) == QLatin1Char('\t')))
        --n;
    text->truncate(n);
}

// The escapes, quotes and list commas of a value, undone as QSettings does:
// blanks around an unquoted element go, escaped ones stay.
QStringList IniValueReader::unescaped(int from, int to) const
{
    static const char simpleEscapes[][2] = {{'a', '\a'}, {'b', '\b'},  {'f', '\f'}, {'n', '\n'},
                                            {'r', '\r'}, {'t', '\t'},  {'v', '\v'}, {'"', '"'},
                                            {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
    QStringList elements;
    QString current;
    bool inQuotes = false;
    bool quoted = false;
    bool skipBlanks = true;
    int chopLimit = 0;
    auto endElement = [&] {
        if (!quoted)
            chopTrailingBlanks(&current, chopLimit);
        elements.append(current);
    };

    int i = from;
    while (i < to) {
        const char c = m_data.at(i);
        if (skipBlanks) {
            if (c == ' ' || c == '\t') {
                ++i;
                continue;
            }
            skipBlanks = false;
            chopLimit = current.size();
        }
        if (c == '\\') {
            if (++i >= to)
                break;
            const char e = m_data.at(i++);
            const auto simple = std::find_if(std::begin(simpleEscapes), std::end(simpleEscapes),
                                             [e](const char *escape) { return escape[0] == e; });
            if (simple != std::end(simpleEscapes)) {
                current += QLatin1Char((*simple)[1]);
            } else if (e == 'x' || (e >= '0' && e <= '7')) {
                const uint base = e == 'x' ? 16 : 8;
                uint value = e == 'x' ? 0 : uint(e - '0');
                bool digits = e != 'x';
                for (; i < to; ++i) {
                    const int digit = hexDigit(m_data.at(i));
                    if (digit < 0 || uint(digit) >= base)
                        break;
                    value = value * base + uint(digit);
                    digits = true;
                }
                if (digits)
                    current += QChar(ushort(value & 0xffff));
            } else if ((e == '\n' || e == '\r') && i < to) {
                const char after = m_data.at(i);
                if ((after == '\n' || after == '\r') && after != e)
                    ++i;
            }
            chopLimit = current.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            skipBlanks = !inQuotes;
        } else if (c == ',' && !inQuotes) {
            endElement();
            current.clear();
            quoted = false;
            ++i;
            skipBlanks = true;
        } else {
            int j = i + 1;
            while (j < to && m_data.at(j) != '\\' && m_data.at(j) != '"' && m_data.at(j) != ',')
                ++j;
            appendRun(&current, i, j);
            i = j;
        }
    }
    endElement();
    return elements;
}

// The stream inside a serialised value, and its stream version; none for a
// value QSettings does not deserialise.
bool serialisedValue(const QString &value, QByteArray *stream, int *version)
{
    if (!value.endsWith(QLatin1Char(')')))
        return false;
    int offset = 0;
    if (value.startsWith(QLatin1String("@Variant("))) {
        offset = 9;
        *version = QDataStream::Qt_4_0;
    } else if (value.startsWith(QLatin1String("@DateTime("))) {
        offset = 10;
        *version = QDataStream::Qt_5_6;
    } else {
        return false;
    }
    *stream = value.mid(offset).toLatin1();
    return true;
}

} // namespace

bool KelSettingsFileCheck::isSafe(const QByteArray &contents, QString *problem)
{
    IniValueReader reader(contents);
    QStringList elements;
    int valueNumber = 0;
    while (reader.next(&elements)) {
        ++valueNumber;
        for (const QString &element : qAsConst(elements)) {
            QByteArray stream;
            int version = 0;
            if (!serialisedValue(element, &stream, &version))
                continue;
            VariantWalker walker(stream, version);
            // A date and time value holds nothing but a date and time.
            const bool dateTime = version == QDataStream::Qt_5_6;
            const bool ok = dateTime
                    ? stream.startsWith(QByteArray("\0\0\0\x10", 4)) && walker.walk()
                    : walker.walk();
            if (ok)
                continue;
            if (problem) {
                *problem = QStringLiteral("value %1 cannot be read: %2")
                                   .arg(valueNumber)
                                   .arg(walker.problem().isEmpty()
                                                ? QStringLiteral("it is not a date and time")
                                                : walker.problem());
            }
            return false;
        }
    }
    return true;
}

void KelSettingsFileCheck::declareInt32Type(int typeId)
{
    Int32Types &types = int32Types();
    QMutexLocker locker(&types.lock);
    types.ids.insert(typeId);
}
