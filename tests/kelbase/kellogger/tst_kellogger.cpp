#include "waitbound.h"

#include <kellogger/kellogger.h>
#include <kellogger/platform/threadid.h>
#include <kellogger/tracelogger.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTextStream>
#include <QThread>
#include <QtTest>

namespace {

const qint64 rotationSize = 524288;

QStringList linesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    QStringList lines;
    while (!stream.atEnd())
        lines.append(stream.readLine());
    return lines;
}

QString executableBaseName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QString fileStamp(const QDateTime &time)
{
    return QLocale::c().toString(time, QStringLiteral("yyyy-MM-dd_hh_mm_ss"));
}

void touch(const QString &path, const QDateTime &modified = QDateTime())
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
    // Written out first, or closing would stamp the time again.
    QVERIFY(file.flush());
    if (modified.isValid())
        QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

QSet<QString> filesOf(const QString &dir)
{
    const QStringList names = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    return QSet<QString>(names.begin(), names.end());
}

// The part of a line after its time stamp ("hh:mm:ss.zzz:").
QString withoutTime(const QString &line)
{
    static const QRegularExpression time("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d:");
    return time.match(line).hasMatch() ? line.mid(13) : QString();
}

QString threadColumn()
{
    return QString::number(KelPlatform::currentThreadId()).rightJustified(5, QLatin1Char(' '));
}

} // namespace

class TestKelLogger : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    // In this order: the first test sees the first file being opened.
    void fileNameTakesCounterAndSignalsFolder();
    void lineForm_data();
    void lineForm();
    void cleanFunctionName_data();
    void cleanFunctionName();
    void indentAndTraceScopes();
    void sessionHeaderPrunesAndWritesBlock();
    void rotationPastLimitPrunesToKeptFiles();
    void threadsWriteWholeLines();

private:
    QString currentFile() const
    {
        QMutexLocker locker(&m_fileMutex);
        return m_currentFile;
    }

    QtMessageHandler m_previousHandler = nullptr;
    QString m_logDir;
    mutable QMutex m_fileMutex;
    QString m_currentFile;
};

void TestKelLogger::initTestCase()
{
    // The logger reads this when it is created.
    qunsetenv("QT_LOGGING_RULES");
    KelLogger::setFolderName(QStringLiteral("Reel Logger Test"));
    QVERIFY(QDir(KelLogger::logDir()).removeRecursively());
    m_logDir = KelLogger::logDir();
    QCOMPARE(m_logDir, QDir::homePath() + QStringLiteral("/.Reel Logger Test/log"));
    QVERIFY(QFileInfo(m_logDir).isDir());

    connect(
            KelLogger::instance(), &KelLogger::logFileNameChanged, this,
            [this](const QString &name) {
                QMutexLocker locker(&m_fileMutex);
                m_currentFile = name;
            },
            Qt::DirectConnection);
    m_previousHandler = qInstallMessageHandler(KelLogger::messageHandler);
}

void TestKelLogger::cleanupTestCase()
{
    qInstallMessageHandler(m_previousHandler);
}

void TestKelLogger::fileNameTakesCounterAndSignalsFolder()
{
    // Files of the current and the next seconds exist already, with "-1".
    const QDateTime start = QDateTime::currentDateTime();
    QSet<QString> txtFiles;
    for (int second = 0; second < 5; ++second) {
        const QString name = executableBaseName() + QLatin1Char('_')
                + fileStamp(start.addSecs(second));
        for (const QString &file : {name + ".txt", name + "-1.txt"}) {
            touch(m_logDir + '/' + file);
            txtFiles.insert(m_logDir + '/' + file);
        }
    }
    touch(m_logDir + "/notes.TXT");
    touch(m_logDir + "/.hidden.txt");
    touch(m_logDir + "/notes.dat");
    QVERIFY(QFile::link(m_logDir + "/notes.dat", m_logDir + "/link.txt"));
    txtFiles << m_logDir + "/notes.TXT" << m_logDir + "/.hidden.txt";

    QSignalSpy nameSpy(KelLogger::instance(), &KelLogger::logFileNameChanged);
    QSignalSpy namesSpy(KelLogger::instance(), &KelLogger::logFileNamesChanged);
    qInfo("first line");

    QCOMPARE(nameSpy.count(), 1);
    const QString path = nameSpy.at(0).at(0).toString();
    const QRegularExpression form(QStringLiteral("^%1/%2_(.{19})-2\\.txt$")
                                          .arg(QRegularExpression::escape(m_logDir),
                                               QRegularExpression::escape(executableBaseName())));
    const QRegularExpressionMatch match = form.match(path);
    QVERIFY2(match.hasMatch(), qPrintable(path));
    const QDateTime opened = QLocale::c().toDateTime(match.captured(1),
                                                     QStringLiteral("yyyy-MM-dd_hh_mm_ss"));
    QVERIFY(opened.isValid());
    QVERIFY(opened.secsTo(start) <= 0 && start.secsTo(opened) < 5);
    QVERIFY(withoutTime(linesOf(path).value(0)).endsWith(QLatin1String(": first line")));

    QCOMPARE(namesSpy.count(), 1);
    const QStringList names = namesSpy.at(0).at(0).toStringList();
    txtFiles.insert(path);
    QCOMPARE(QSet<QString>(names.begin(), names.end()), txtFiles);
}

void TestKelLogger::lineForm_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("function");
    QTest::addColumn<QString>("expected"); // after the thread column; empty: not written

    const QString fooBar = QStringLiteral("Foo::bar()").leftJustified(40) + ": ";
    QTest::newRow("info") << int(QtInfoMsg) << QByteArray("void Foo::bar(int)")
                          << " (I) %1: " + fooBar + "message";
    QTest::newRow("warning") << int(QtWarningMsg) << QByteArray("void Foo::bar(int)")
                             << " (W) %1: " + fooBar + "message";
    QTest::newRow("critical") << int(QtCriticalMsg) << QByteArray("void Foo::bar(int)")
                              << " (!) %1: " + fooBar + "message";
    QTest::newRow("debug is dropped")
            << int(QtDebugMsg) << QByteArray("void Foo::bar(int)") << QString();
    QTest::newRow("long name is cut")
            << int(QtInfoMsg)
            << QByteArray("void Reel::SomeRatherLongNamespace::AnotherLongClass::method(int)")
            << " (I) %1: Reel::SomeRatherLongNamespace::AnotherLo: message";
    QTest::newRow("no function, no column") << int(QtInfoMsg) << QByteArray() << " (I) %1: message";
}

void TestKelLogger::lineForm()
{
    QFETCH(int, type);
    QFETCH(QByteArray, function);
    QFETCH(QString, expected);

    const QString file = currentFile();
    const int before = linesOf(file).size();
    QMessageLogger logger(nullptr, 0, function.isNull() ? nullptr : function.constData());
    switch (QtMsgType(type)) {
    case QtDebugMsg:
        logger.debug("message");
        break;
    case QtInfoMsg:
        logger.info("message");
        break;
    case QtWarningMsg:
        logger.warning("message");
        break;
    default:
        logger.critical("message");
        break;
    }

    const QStringList lines = linesOf(file).mid(before);
    if (expected.isEmpty()) {
        QCOMPARE(lines, QStringList());
        return;
    }
    QCOMPARE(lines.size(), 1);
    QCOMPARE(withoutTime(lines.at(0)), expected.arg(threadColumn()));
}

void TestKelLogger::cleanFunctionName_data()
{
    QTest::addColumn<QString>("signature");
    QTest::addColumn<QString>("name");

    QTest::newRow("cdecl") << "void __cdecl RemoteHandler::write(const class QByteArray &)"
                           << "RemoteHandler::write()";
    QTest::newRow("thiscall") << "int __thiscall Foo::bar(int) const"
                              << "Foo::bar()";
    QTest::newRow("msvc lambda") << "auto __cdecl Foo::bar::<lambda_1>::operator ()(void) const"
                                 << "Foo::bar::lambda()";
    QTest::newRow("plain") << "void Foo::bar(int)"
                           << "Foo::bar()";
    QTest::newRow("static") << "static void Foo::bar()"
                            << "Foo::bar()";
    QTest::newRow("free function") << "int main(int, char**)"
                                   << "main()";
    QTest::newRow("constructor") << "ns::Foo<T>::Foo() [with T = int]"
                                 << "ns::Foo<T>::Foo()";
    QTest::newRow("template return type")
            << "std::vector<std::pair<int, int> > ns::Foo<T>::bar(const std::string&, int) const "
               "[with T = int; std::string = std::__cxx11::basic_string<char>]"
            << "ns::Foo<T>::bar()";
    QTest::newRow("parenthesis in return type")
            << "static std::function<void(int)> ns::Foo<T>::fn() [with T = int]"
            << "ns::Foo<T>::fn()";
    QTest::newRow("conversion operator")
            << "ns::Foo<T>::operator std::string() const [with T = int]"
            << "ns::Foo<T>::operator std::string()";
    QTest::newRow("comparison operator")
            << "bool ns::Foo<T>::operator<(const ns::Foo<T>&) const [with T = int]"
            << "ns::Foo<T>::operator<()";
    QTest::newRow("call operator") << "void ns::Foo<T>::operator()(int) [with T = int]"
                                   << "ns::Foo<T>::operator()()";
    QTest::newRow("gcc lambda") << "ns::Foo<int>::bar(const std::string&, int) const::<lambda(int)>"
                                << "ns::Foo<int>::bar::lambda()";
    QTest::newRow("anonymous namespace") << "void {anonymous}::anon()"
                                         << "{anonymous}::anon()";
    QTest::newRow("trace scope") << "TraceLogger::~TraceLogger()" << QString();
}

void TestKelLogger::cleanFunctionName()
{
    QFETCH(QString, signature);
    QFETCH(QString, name);
    QCOMPARE(KelLogger::cleanFunctionName(signature), name);
}

void TestKelLogger::indentAndTraceScopes()
{
    const QString file = currentFile();
    const int before = linesOf(file).size();

    qInfo(">");
    qInfo("one level");
    qInfo(">");
    qInfo("two levels");
    qInfo("<");
    qInfo("<");
    qInfo("<"); // never below 0
    qInfo("flush left");
    {
        TraceLogger trace(Q_FUNC_INFO, QStringLiteral("void __thiscall Scope::run"));
        qInfo("inside the scope");
    }
    qInfo("after the scope");

    const QString column = threadColumn() + ": "
            + QStringLiteral("TestKelLogger::indentAndTraceScopes()").leftJustified(40) + ": ";
    QStringList bodies;
    for (const QString &line : linesOf(file).mid(before)) {
        const QString rest = withoutTime(line);
        QVERIFY2(rest.startsWith(" (I) " + column), qPrintable(line));
        bodies.append(rest.mid(5 + column.size()));
    }
    QCOMPARE(bodies.size(), 7);
    QCOMPARE(bodies.mid(0, 5),
             (QStringList{"  one level", "    two levels", "flush left",
                          "Entering 'void Scope::run'", "  inside the scope"}));
    QVERIFY2(QRegularExpression("^Leaving 'void Scope::run'\\. Elapsed time: \\d+$")
                     .match(bodies.at(5))
                     .hasMatch(),
             qPrintable(bodies.at(5)));
    QCOMPARE(bodies.at(6), QStringLiteral("after the scope"));
}

void TestKelLogger::sessionHeaderPrunesAndWritesBlock()
{
    const QDateTime old = QDateTime::currentDateTime().addDays(-30);
    for (int i = 0; i < 12; ++i)
        touch(m_logDir + QStringLiteral("/old-%1.log").arg(i), old.addSecs(i));
    QVERIFY(filesOf(m_logDir).size() > 10);
    const QString file = currentFile();
    const int before = linesOf(file).size();
    // Even as the oldest file, the open one is not removed.
    {
        QFile open(file);
        QVERIFY(open.open(QIODevice::Append));
        QVERIFY(open.setFileTime(old.addDays(-1), QFileDevice::FileModificationTime));
    }

    KelLogger::instance()->beginLogSession(QStringLiteral("9.9.9"));

    // Every kind of file counts, and the old ones go first.
    QCOMPARE(currentFile(), file);
    QCOMPARE(filesOf(m_logDir).size(), 10);
    QVERIFY(QFile::exists(file));
    for (int i = 0; i < 12; ++i)
        QVERIFY(!QFile::exists(m_logDir + QStringLiteral("/old-%1.log").arg(i)));

    const QStringList lines = linesOf(file).mid(before);
    QVERIFY(lines.size() > 5);
    QCOMPARE(lines.mid(0, 4),
             (QStringList{QString(), QString(), QString(60, '-'), "Application started"}));
    const QString body = lines.mid(4).join('\n');
    for (const QString &expected :
         {QStringLiteral(": Timestamp: "), QStringLiteral(": OS version: "),
          QStringLiteral(": Kernel version: "), QStringLiteral(": BuildVersion: 9.9.9\n"),
          QStringLiteral(": PID: %1\n").arg(QCoreApplication::applicationPid()),
          QStringLiteral(": Qt::AA_DisableHighDpiScaling: false")}) {
        QVERIFY2(body.contains(expected), qPrintable(expected));
    }
}

void TestKelLogger::rotationPastLimitPrunesToKeptFiles()
{
    const QDateTime old = QDateTime::currentDateTime().addDays(-20);
    for (int i = 0; i < 12; ++i)
        touch(m_logDir + QStringLiteral("/other-%1.dat").arg(i), old.addSecs(i));

    const QString first = currentFile();
    const QString filler(1000, QLatin1Char('r'));
    while (QFileInfo(first).size() + 3000 < rotationSize)
        qInfo("%s", qPrintable(filler));

    // Fill the file to exactly the limit: a file of that size is kept.
    const qint64 sizeBefore = QFileInfo(first).size();
    qInfo("x");
    const qint64 overhead = QFileInfo(first).size() - sizeBefore - 1;
    const qint64 remaining = rotationSize - QFileInfo(first).size() - overhead;
    QVERIFY(remaining >= 0);
    qInfo("%s", qPrintable(QString(int(remaining), QLatin1Char('f'))));
    QCOMPARE(QFileInfo(first).size(), rotationSize);

    QSignalSpy nameSpy(KelLogger::instance(), &KelLogger::logFileNameChanged);
    qInfo("at the limit");
    QCOMPARE(nameSpy.count(), 0);
    QVERIFY(QFileInfo(first).size() > rotationSize);

    // Oldest first: the ten newest files survive the pruning.
    const QFileInfoList entries = QDir(m_logDir).entryInfoList(QDir::Files | QDir::Hidden
                                                                       | QDir::NoSymLinks,
                                                               QDir::Time | QDir::Reversed);
    QSet<QString> survivors;
    for (int i = qMax(0, entries.size() - 10); i < entries.size(); ++i)
        survivors.insert(entries.at(i).fileName());
    QVERIFY(survivors.contains(QFileInfo(first).fileName()));

    qInfo("past the limit");
    QCOMPARE(nameSpy.count(), 1);
    const QString second = nameSpy.at(0).at(0).toString();
    QVERIFY(second != first);
    QVERIFY(QFileInfo(second).fileName().startsWith(executableBaseName() + '_'));
    QVERIFY(withoutTime(linesOf(second).value(0)).endsWith(QLatin1String(": past the limit")));
    QVERIFY(withoutTime(linesOf(first).last()).endsWith(QLatin1String(": at the limit")));

    survivors.insert(QFileInfo(second).fileName());
    QCOMPARE(filesOf(m_logDir), survivors);
}

void TestKelLogger::threadsWriteWholeLines()
{
    const int threadCount = 4;
    const int linesPerThread = 2000;
    const QString tail(100, QLatin1Char('t'));

    std::vector<std::unique_ptr<QThread>> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back(QThread::create([t, tail] {
            for (int i = 0; i < linesPerThread; ++i)
                qInfo("thread-%d line-%d %s", t, i, qPrintable(tail));
        }));
    }
    for (auto &thread : threads)
        thread->start();
    for (auto &thread : threads)
        QVERIFY(thread->wait(WaitBound::ms()));

    const QRegularExpression form(
            QStringLiteral("^ \\(I\\) +\\d+: .{40}: thread-(\\d) line-(\\d+) %1$").arg(tail));
    QVector<QSet<int>> seen(threadCount);
    const QFileInfoList files = QDir(m_logDir).entryInfoList({"*.txt"}, QDir::Files);
    for (const QFileInfo &info : files) {
        for (const QString &line : linesOf(info.absoluteFilePath())) {
            if (!line.contains(QLatin1String("thread-")))
                continue;
            const QRegularExpressionMatch match = form.match(withoutTime(line));
            QVERIFY2(match.hasMatch(), qPrintable(line));
            seen[match.captured(1).toInt()].insert(match.captured(2).toInt());
        }
    }
    for (int t = 0; t < threadCount; ++t)
        QCOMPARE(seen.at(t).size(), linesPerThread);
}

QTEST_GUILESS_MAIN(TestKelLogger)
#include "tst_kellogger.moc"
