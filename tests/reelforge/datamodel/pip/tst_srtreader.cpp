#include "datamodel/pip/srtreader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

namespace {

// "start-end:line|line" per cue, joined by ";".
QString describe(const QVector<SubtitleCue> &cues)
{
    QStringList out;
    for (const SubtitleCue &cue : cues)
        out << QStringLiteral("%1-%2:%3").arg(cue.start).arg(cue.end).arg(cue.lines.join('|'));
    return out.join(';');
}

QByteArray encoded(const char *codec, const QString &text)
{
    QTextCodec::ConverterState state; // default flags write the byte-order mark
    return QTextCodec::codecForName(codec)->fromUnicode(text.constData(), text.size(), &state);
}

} // namespace

class tst_SrtReader : public QObject
{
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void missingFileEmptiesOutput();
    void binaryGarbageDoesNotCrash();

private:
    QTemporaryDir m_dir;
};

void tst_SrtReader::read_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");

    const QString basic = QStringLiteral("1\n00:00:01,500 --> 00:00:04,000\nHello\nWorld\n\n");
    const QString basicCue = QStringLiteral("15000000-40000000:Hello|World");

    QTest::newRow("basic") << basic.toUtf8() << basicCue;
    QTest::newRow("no final blank line")
            << QByteArray("1\n00:00:01,500 --> 00:00:04,000\nHello\nWorld") << basicCue;
    QTest::newRow("crlf") << basic.toUtf8().replace("\n", "\r\n") << basicCue;
    QTest::newRow("utf-8 bom") << QByteArray("\xef\xbb\xbf") + basic.toUtf8() << basicCue;
    // U+010D holds a 0x0d byte in UTF-16; it must survive CRLF handling.
    const QString czech = QStringLiteral(
            "1\r\n00:00:01,000 --> 00:00:02,000\r\n\u010dau \u0161\u00e9f\r\n");
    QTest::newRow("utf-16 le bom crlf")
            << encoded("UTF-16LE", QChar(QChar::ByteOrderMark) + czech)
            << QStringLiteral("10000000-20000000:\u010dau \u0161\u00e9f");
    QTest::newRow("utf-16 be bom") << encoded("UTF-16BE", QChar(QChar::ByteOrderMark) + czech)
                                   << QStringLiteral("10000000-20000000:\u010dau \u0161\u00e9f");
    QTest::newRow("legacy 8-bit read as utf-8")
            << QByteArray("1\n00:00:01,000 --> 00:00:02,000\ncaf\xe9\n")
            << QStringLiteral("10000000-20000000:caf\ufffd");
    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("blank lines only") << QByteArray("\n\n \n") << QString();
    QTest::newRow("two cues, extra blank lines")
            << QByteArray("\n\n1\n00:00:01,000 --> 00:00:02,000\nA\n\n\n\n2\n"
                          "00:00:03,000 --> 00:00:04,000\nB\n")
            << QStringLiteral("10000000-20000000:A;30000000-40000000:B");
    QTest::newRow("overlapping cues keep file order")
            << QByteArray("1\n00:00:05,000 --> 00:00:08,000\nA\n\n2\n"
                          "00:00:01,000 --> 00:00:06,000\nB\n")
            << QStringLiteral("50000000-80000000:A;10000000-60000000:B");
    QTest::newRow("start not below end dropped")
            << QByteArray("1\n00:00:02,000 --> 00:00:02,000\nA\n\n2\n"
                          "00:00:03,000 --> 00:00:01,000\nB\n\n3\n"
                          "00:00:04,000 --> 00:00:05,000\nC\n")
            << QStringLiteral("40000000-50000000:C");
    QTest::newRow("no sequence number loses the cue")
            << QByteArray("00:00:01,000 --> 00:00:02,000\nText\n\n") << QString();
    QTest::newRow("unparsable start counts as 0")
            << QByteArray("1\nbad --> 00:00:02,000\nA\n") << QStringLiteral("0-20000000:A");
    QTest::newRow("unparsable end drops the cue")
            << QByteArray("1\n00:00:02,000 --> bad\nA\n") << QString();
    QTest::newRow("24 hours counts as 0")
            << QByteArray("1\n00:00:02,000 --> 24:00:00,000\nA\n") << QString();
    QTest::newRow("three arrows") << QByteArray("1\n00:00:01,000 --> 00:00:02,000 --> x\nA\n")
                                  << QString();
    QTest::newRow("full stop and short fraction, no spaces")
            << QByteArray("1\n00:00:01.5-->00:01\nA\n") << QStringLiteral("15000000-600000000:A");
    QTest::newRow("blank line inside the text ends the cue")
            << QByteArray("1\n00:00:01,000 --> 00:00:02,000\nA\n\nB\n00:00:03,000 --> "
                          "00:00:04,000\nC\n")
            << QStringLiteral("10000000-20000000:A;30000000-40000000:C");
    QTest::newRow("text lines trimmed, inner spaces kept")
            << QByteArray("1\n00:00:01,000 --> 00:00:02,000\n  two  words \t\n")
            << QStringLiteral("10000000-20000000:two  words");
}

void tst_SrtReader::read()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);

    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".srt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    QVector<SubtitleCue> cues;
    SrtReader::read(cues, path);
    QCOMPARE(describe(cues), expected);
}

void tst_SrtReader::missingFileEmptiesOutput()
{
    QVector<SubtitleCue> cues{SubtitleCue{1, 2, {QStringLiteral("old")}}};
    SrtReader::read(cues, m_dir.filePath(QStringLiteral("missing.srt")));
    QVERIFY(cues.isEmpty());
}

void tst_SrtReader::binaryGarbageDoesNotCrash()
{
    QByteArray garbage;
    quint32 seed = 12345;
    for (int i = 0; i < 64 * 1024; ++i) {
        seed = seed * 1103515245u + 12345u;
        garbage.append(char(seed >> 16));
    }
    // A real cue after the garbage still counts once a block boundary is found.
    garbage.append("\n\n1\n00:00:01,000 --> 00:00:02,000\nA\n");
    const QString path = m_dir.filePath(QStringLiteral("garbage.srt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(garbage);
    file.close();

    QVector<SubtitleCue> cues;
    SrtReader::read(cues, path);
    for (const SubtitleCue &cue : cues)
        QVERIFY(cue.start < cue.end);
}

QTEST_GUILESS_MAIN(tst_SrtReader)
#include "tst_srtreader.moc"
