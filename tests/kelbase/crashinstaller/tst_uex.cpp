#include "crashinstaller/uex.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class tst_Uex : public QObject
{
    Q_OBJECT

private slots:
    void initReadsPreviousState_data();
    void initReadsPreviousState();
    void initOnUnopenableFileIsSilent();
    void finish_data();
    void finish();
};

namespace {

// Null for a missing file.
QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void tst_Uex::initReadsPreviousState_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("previous");

    QTest::newRow("missing file") << false << QByteArray() << 0;
    QTest::newRow("empty file") << true << QByteArray() << 0;
    QTest::newRow("clean exit") << true << QByteArray(1, '\0') << 0;
    QTest::newRow("still running") << true << QByteArray(1, '\1') << 1;
    QTest::newRow("crashed") << true << QByteArray(1, '\2') << 2;
    QTest::newRow("unknown value") << true << QByteArray(1, '\7') << 7;
    QTest::newRow("signed byte") << true << QByteArray(1, '\xff') << -1;
    QTest::newRow("longer file") << true << QByteArray("\2xyz", 4) << 2;
}

void tst_Uex::initReadsPreviousState()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QFETCH(int, previous);

    QTemporaryDir dir;
    const QString path = dir.filePath(".cf");
    if (exists) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), qint64(content.size()));
    }

    QCOMPARE(int(uex::init(path)), previous);
    QCOMPARE(contentOf(path), QByteArray(1, '\1'));
}

void tst_Uex::initOnUnopenableFileIsSilent()
{
    // A folder cannot be opened as a file even by root, who ignores modes.
    QTemporaryDir dir;
    const QString path = dir.filePath(".cf");
    QVERIFY(QDir().mkdir(path));

    static QStringList logged;
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &message) {
                logged << message;
            });
    const int state = uex::init(path);
    qInstallMessageHandler(previous);

    QCOMPARE(state, 0);
    QCOMPARE(logged, QStringList());
    QVERIFY(QFileInfo(path).isDir());
    QVERIFY(QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

void tst_Uex::finish_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("warning");

    QTest::newRow("running file") << "file" << QString();
    QTest::newRow("missing file stays missing") << "missing" << QString();
    QTest::newRow("folder") << "folder"
                            << "Can't open crash attribute file!!!";
    QTest::newRow("device full") << "/dev/full"
                                 << "Can't write crash attribute file!!!";
}

void tst_Uex::finish()
{
    QFETCH(QString, kind);
    QFETCH(QString, warning);

    QTemporaryDir dir;
    QString path = dir.filePath(".cf");
    if (kind == QLatin1String("file"))
        QCOMPARE(uex::init(path), uex::CleanExit);
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(path));
    else if (kind.startsWith(QLatin1Char('/')))
        path = kind;

    if (!warning.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
    uex::finish(path);

    if (kind == QLatin1String("file"))
        QCOMPARE(contentOf(path), QByteArray(1, '\0'));
    else if (kind == QLatin1String("missing"))
        QVERIFY(!QFileInfo::exists(path));
}

QTEST_GUILESS_MAIN(tst_Uex)

#include "tst_uex.moc"
