#include "kelsettingsfilecheck.h"

#include <QBrush>
#include <QDataStream>
#include <QDateTime>
#include <QPolygon>
#include <QSettings>
#include <QTemporaryDir>
#include <QUuid>
#include <QtEndian>
#include <QtTest>

namespace {

// A variant as QSettings serialises it into an INI value.
QByteArray stream(const QVariant &value, QDataStream::Version version = QDataStream::Qt_4_0)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(version);
    out << value;
    return bytes;
}

QByteArray patchedCount(QByteArray bytes, int offset, quint32 expected, quint32 count)
{
    if (qFromBigEndian<quint32>(bytes.constData() + offset) != expected)
        return QByteArray("fixture does not hold the expected count");
    qToBigEndian(count, bytes.data() + offset);
    return bytes;
}

// Every byte escaped, as a hand-edited or damaged file may hold it.
QByteArray escaped(const QByteArray &bytes)
{
    QByteArray text;
    for (const char c : bytes)
        text += "\\x" + QByteArray::number(uchar(c), 16);
    return text;
}

QByteArray iniValue(const QByteArray &bytes, const QByteArray &prefix = "@Variant(")
{
    return prefix + escaped(bytes) + ')';
}

QByteArray nestedLists(int depth)
{
    QVariant value = QVariantList{1};
    for (int i = 1; i < depth; ++i)
        value = QVariantList{value};
    return stream(value);
}

QByteArray gradientBrush()
{
    QLinearGradient gradient(0, 0, 1, 1);
    gradient.setColorAt(0.0, Qt::red);
    gradient.setColorAt(0.5, Qt::green);
    gradient.setColorAt(1.0, Qt::blue);
    return stream(QBrush(gradient));
}

} // namespace

class tst_KelSettingsFileCheck : public QObject
{
    Q_OBJECT

private slots:
    void valuesQSettingsWritesPass();
    void damagedValuesFail_data();
    void damagedValuesFail();
    void damagedValueFoundInEveryForm_data();
    void damagedValueFoundInEveryForm();
};

void tst_KelSettingsFileCheck::valuesQSettingsWritesPass()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("values.ini"));
    QLinearGradient linear(0, 0, 1, 1);
    linear.setColorAt(0, Qt::red);
    linear.setColorAt(1, QColor(1, 2, 3, 4));
    QRadialGradient radial(0.5, 0.5, 0.3);
    radial.setColorAt(0.2, Qt::white);
    QConicalGradient conical(0.5, 0.5, 45);
    conical.setColorAt(1, Qt::black);
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue("text", "a, b; \"c\" = @d");
        settings.setValue("list", QStringList{"x", "@y", ""});
        settings.setValue("bytes", QByteArray("\0\1\2)", 4));
        settings.setValue("geometry", QRectF(0.5, 1.5, 2, 3));
        settings.setValue("point", QPointF(0.25, 0.75));
        settings.setValue("colour", QColor(10, 20, 30, 40));
        settings.setValue("solid", QBrush(Qt::yellow, Qt::Dense4Pattern));
        settings.setValue("brushes", QVariantList{QBrush(linear), QBrush(radial), QBrush(conical)});
        settings.setValue("map",
                          QVariantMap{{"n", 1.5},
                                      {"l", QVariantList{1, "two", QDate(2020, 2, 29)}}});
        settings.setValue("hash", QVariantHash{{"u", QUuid::createUuid()}});
        settings.setValue("when",
                          QDateTime(QDate(2021, 3, 4), QTime(5, 6, 7), Qt::OffsetFromUTC, 3600));
        settings.setValue("time", QTime(23, 59));
        settings.setValue("polygon", QPolygon(QVector<QPoint>{QPoint(1, 2), QPoint(3, 4)}));
        settings.setValue("polygonF", QPolygonF(QVector<QPointF>{QPointF(1, 2)}));
        settings.setValue("numbers", QVariantList{qint64(-1), 2u, 3.5f, QChar('z'), true});
        settings.beginGroup("section");
        settings.setValue("deep", QVariantList{QVariantList{QVariantList{QBrush(linear)}}});
        settings.endGroup();
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray contents = file.readAll();
    QVERIFY(contents.contains("@Variant("));
    QVERIFY(contents.contains("@DateTime("));

    QString problem;
    QVERIFY2(KelSettingsFileCheck::isSafe(contents, &problem), qPrintable(problem));
}

void tst_KelSettingsFileCheck::damagedValuesFail_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("problem");

    const QByteArray gradient = gradientBrush();
    // Type, style, colour, gradient type: the stop count follows.
    QTest::newRow("gradient stop count")
            << iniValue(patchedCount(gradient, 4 + 1 + 11 + 4, 3, 100000000)) << "count";
    QTest::newRow("gradient cut short") << iniValue(gradient.left(gradient.size() - 9)) << "ends";
    QTest::newRow("string list count")
            << iniValue(patchedCount(stream(QStringList{"a", "b"}), 4, 2, 0x40000000)) << "count";
    QTest::newRow("nested list count")
            << iniValue(patchedCount(stream(QVariantList{QVariantList{1}}), 12, 1, 0x10000000))
            << "count";
    QTest::newRow("map count") << iniValue(
            patchedCount(stream(QVariantMap{{"k", 1}}), 4, 1, 0x20000000))
                               << "count";
    QTest::newRow("polygon point count") << iniValue(
            patchedCount(stream(QPolygon(QVector<QPoint>{QPoint(1, 2)})), 4, 1, 0x30000000))
                                         << "count";
    QTest::newRow("text length") << iniValue(patchedCount(stream(QString("abc")), 4, 6, 0x7ffffff0))
                                 << "ends";
    QByteArray texture = stream(QBrush(Qt::red));
    texture[4] = char(Qt::TexturePattern);
    QTest::newRow("texture brush") << iniValue(texture) << "texture";
    QByteArray colour = stream(QColor(Qt::red));
    colour[4] = 99;
    QTest::newRow("colour kind") << iniValue(colour) << "colour";
    QTest::newRow("deep nesting") << iniValue(nestedLists(40)) << "deeper";
    QTest::newRow("region") << iniValue(QByteArray("\0\0\0\x48\0\0\0\0", 8)) << "type 72";
    QTest::newRow("date time of another type")
            << iniValue(patchedCount(stream(QStringList{"a"}, QDataStream::Qt_5_6), 5, 1,
                                     0x40000000),
                        "@DateTime(")
            << "date";
}

void tst_KelSettingsFileCheck::damagedValuesFail()
{
    QFETCH(QByteArray, value);
    QFETCH(QString, problem);
    QString found;
    QVERIFY(!KelSettingsFileCheck::isSafe("[General]\nfine=1\nvalue=" + value + "\n", &found));
    QVERIFY2(found.startsWith(QLatin1String("value 2 cannot be read")), qPrintable(found));
    QVERIFY2(found.contains(problem), qPrintable(found));
}

void tst_KelSettingsFileCheck::damagedValueFoundInEveryForm_data()
{
    QTest::addColumn<QByteArray>("contents");
    const QByteArray damaged = escaped(patchedCount(stream(QStringList{"a"}), 4, 1, 0x40000000));

    QTest::newRow("plain") << "k=@Variant(" + damaged + ")\n";
    QTest::newRow("quoted") << "k=\"@Variant(" + damaged + ")\"\n";
    QTest::newRow("blanks around") << "k =  @Variant(" + damaged + ")  \t\n";
    QTest::newRow("list element") << "k=a, @Variant(" + damaged + "), b\n";
    QTest::newRow("escaped at sign") << "k=\\x40Variant(" + damaged + ")\n";
    QTest::newRow("octal at sign") << "k=\\100Variant(" + damaged + ")\n";
    QTest::newRow("continued line") << "k=@Vari\\\nant(" + damaged + ")\n";
    QTest::newRow("other section") << "[a]\nx=1\n[b]\nk=@Variant(" + damaged + ")\n";
    QTest::newRow("utf-8 file") << "\xef\xbb\xbf[General]\nk=@Variant(" + damaged + ")\n";
}

void tst_KelSettingsFileCheck::damagedValueFoundInEveryForm()
{
    QFETCH(QByteArray, contents);
    QVERIFY(!KelSettingsFileCheck::isSafe(contents));
    // What only looks like a serialised value stays text.
    QVERIFY(KelSettingsFileCheck::isSafe(
            "k=@@Variant(\\xff\\xff\\xff\\xff)\n; k=@Variant(\\xff)\n"));
}

QTEST_GUILESS_MAIN(tst_KelSettingsFileCheck)
#include "tst_kelsettingsfilecheck.moc"
