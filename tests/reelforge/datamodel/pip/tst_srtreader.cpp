#include "datamodel/pip/srtreader.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <sys/stat.h>

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
    void skippedCuesAreCounted();
    void onlyRegularFilesAreRead_data();
    void onlyRegularFilesAreRead();
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
    QTest::newRow("utf-16 le without bom")
            << encoded("UTF-16LE", czech).mid(2)
            << QStringLiteral("10000000-20000000:\u010dau \u0161\u00e9f");
    QTest::newRow("utf-16 be without bom")
            << encoded("UTF-16BE", czech).mid(2)
            << QStringLiteral("10000000-20000000:\u010dau \u0161\u00e9f");
    // Not valid UTF-8: the usual 8-bit code page of subtitle files.
    const QByteArray windows1252("1\n00:00:01,000 --> 00:00:02,000\ncaf\xe9 \x93na\xefve\x94\n");
    const QString decoded = QStringLiteral("10000000-20000000:caf\u00e9 \u201cna\u00efve\u201d");
    QTest::newRow("windows-1252") << windows1252 << decoded;
    QTest::newRow("cr only") << basic.toUtf8().replace("\n", "\r") << basicCue;
    QTest::newRow("mixed line ends")
            << QByteArray("1\r\n00:00:01,500 --> 00:00:04,000\rHello\nWorld\r\n\r\n") << basicCue;
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
    // Long recordings: the hours are not a time of day.
    QTest::newRow("past 24 hours")
            << QByteArray("1\n24:00:00,000 --> 24:00:01,250\nA\n\n2\n100:00:00,000 --> "
                          "100:00:02,000\nB\n")
            << QStringLiteral("864000000000-864012500000:A;3600000000000-3600020000000:B");
    QTest::newRow("cue crossing midnight") << QByteArray("1\n23:59:59,500 --> 24:00:00,500\nA\n")
                                           << QStringLiteral("863995000000-864005000000:A");
    QTest::newRow("minutes past 59 do not parse")
            << QByteArray("1\n00:00:01,000 --> 00:60:00,000\nA\n") << QString();
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

void tst_SrtReader::skippedCuesAreCounted()
{
    const QString path = m_dir.filePath(QStringLiteral("skipped.srt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("1\n00:00:02,000 --> 00:00:01,000\nA\n\n2\nbroken\nB\n\n"
               "3\n00:00:03,000 --> 00:00:04,000\nC\n");
    file.close();

    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^Skipped 2 of 3 subtitle cues .* in .*skipped.srt$"));
    QVector<SubtitleCue> cues;
    SrtReader::read(cues, path);
    QCOMPARE(describe(cues), QStringLiteral("30000000-40000000:C"));
}

void tst_SrtReader::onlyRegularFilesAreRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");

    // A FIFO without a writer would block the reader for good.
    QTest::newRow("fifo") << "fifo"
                          << "not a regular file";
    QTest::newRow("endless device") << "/dev/zero"
                                    << "not a regular file";
    QTest::newRow("folder") << "folder"
                            << "not a regular file";
    QTest::newRow("over 50 MB") << "large"
                                << "52428801 bytes, more than the 52428800 allowed";
}

void tst_SrtReader::onlyRegularFilesAreRead()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);

    QString path = kind;
    if (kind == QLatin1String("fifo")) {
        path = m_dir.filePath(QStringLiteral("cues.fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("folder")) {
        path = m_dir.filePath(QStringLiteral("folder.srt"));
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("large")) {
        // Sparse: it takes no room, but states its size.
        path = m_dir.filePath(QStringLiteral("large.srt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("1\n00:00:01,000 --> 00:00:02,000\nA\n\n");
        QVERIFY(file.resize(50 * 1024 * 1024 + 1));
    }

    QTest::ignoreMessage(QtWarningMsg,
                         qPrintable(QStringLiteral("Can't read subtitles from %1 - %2")
                                            .arg(path, reason)));
    QVector<SubtitleCue> cues{SubtitleCue{1, 2, {QStringLiteral("old")}}};
    SrtReader::read(cues, path);
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
