#include "kellogger.h"

#include "platform/debugoutput.h"
#include "platform/executablepath.h"
#include "platform/threadid.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QMutex>
#include <QScreen>
#include <QTextStream>
#include <QTouchDevice>

#include <atomic>

namespace {

// Lock order: fileMutex before folderNameMutex.
QBasicMutex fileMutex;
QBasicMutex folderNameMutex;

QString &folderNameStorage()
{
    static QString name;
    return name;
}

int levelBit(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return KelLogger::Debug;
    case QtInfoMsg:
        return KelLogger::Info;
    case QtWarningMsg:
        return KelLogger::Warning;
    case QtCriticalMsg:
        return KelLogger::Critical;
    case QtFatalMsg:
        return KelLogger::Fatal;
    }
    return KelLogger::Critical;
}

QLatin1String levelTag(int level)
{
    switch (level) {
    case KelLogger::Debug:
        return QLatin1String(" (D) ");
    case KelLogger::Info:
        return QLatin1String(" (I) ");
    case KelLogger::Warning:
        return QLatin1String(" (W) ");
    case KelLogger::Critical:
        return QLatin1String(" (!) ");
    default:
        return QLatin1String(" (x) ");
    }
}

QLatin1String levelColour(int level)
{
    switch (level) {
    case KelLogger::Debug:
        return QLatin1String("\033[0m");
    case KelLogger::Info:
        return QLatin1String("\033[37m");
    case KelLogger::Warning:
        return QLatin1String("\033[35m");
    default:
        return QLatin1String("\033[31m");
    }
}

bool isIdentifierChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Whether the keyword "operator" starts at i; its symbol ("<", "()",
// "->", ...) must not be read as brackets.
bool isOperatorAt(const QString &s, int i)
{
    static const QLatin1String keyword("operator");
    if (s.midRef(i, keyword.size()) != keyword)
        return false;
    if (i > 0 && isIdentifierChar(s.at(i - 1)))
        return false;
    const int after = i + keyword.size();
    return after >= s.size() || !isIdentifierChar(s.at(after));
}

// Index of the "(" that opens the argument list: the first one outside
// template brackets, or the first one after an operator's own symbol.
int argumentListStart(const QString &s)
{
    int depth = 0;
    for (int i = 0; i < s.size(); ++i) {
        if (depth == 0 && isOperatorAt(s, i)) {
            int from = i + int(qstrlen("operator"));
            if (s.midRef(from).startsWith(QLatin1String("()")))
                from += 2;
            return s.indexOf(QLatin1Char('('), from);
        }
        const QChar c = s.at(i);
        if (c == QLatin1Char('<'))
            ++depth;
        else if (c == QLatin1Char('>') && depth > 0)
            --depth;
        else if (c == QLatin1Char('(') && depth == 0)
            return i;
    }
    return -1;
}

// Drops GCC's return type and specifiers ("static", "virtual") in front of
// the qualified name: the name starts after the last blank outside brackets.
QString withoutReturnType(const QString &head)
{
    int depth = 0;
    int start = 0;
    for (int i = 0; i < head.size(); ++i) {
        if (depth == 0 && isOperatorAt(head, i))
            break;
        const QChar c = head.at(i);
        if (c == QLatin1Char('<') || c == QLatin1Char('(') || c == QLatin1Char('['))
            ++depth;
        else if ((c == QLatin1Char('>') || c == QLatin1Char(')') || c == QLatin1Char(']'))
                 && depth > 0)
            --depth;
        else if (c == QLatin1Char(' ') && depth == 0)
            start = i + 1;
    }
    return head.mid(start);
}

QString cleanName(QString s)
{
    int conv = s.indexOf(QLatin1String("__thiscall"));
    if (conv >= 0) {
        s.remove(0, conv + int(qstrlen("__thiscall")) + 1);
    } else {
        conv = s.indexOf(QLatin1String("__cdecl"));
        if (conv >= 0)
            s.remove(0, conv + int(qstrlen("__cdecl")) + 1);
    }

    const int lambda = s.indexOf(QLatin1String("<lambda"));
    if (lambda >= 0) {
        // GCC names a lambda after its enclosing function with that
        // function's arguments ("Foo::bar(int)::<lambda()>"); keep the
        // enclosing name alone, as for other functions.
        QString enclosing = s.left(lambda);
        if (enclosing.endsWith(QLatin1String("::")))
            enclosing.chop(2);
        if (enclosing.isEmpty())
            return QStringLiteral("lambda()");
        QString outer = cleanName(enclosing);
        if (outer.endsWith(QLatin1String("()")))
            outer.chop(2);
        return outer + QLatin1String("::lambda()");
    }

    const int args = argumentListStart(s);
    if (args >= 0)
        s.truncate(args);
    return withoutReturnType(s) + QLatin1String("()");
}

QStringList logFilesOf(const QString &dir)
{
    QStringList files;
    const QFileInfoList entries = QDir(dir).entryInfoList(QDir::Files | QDir::Hidden
                                                                  | QDir::NoSymLinks,
                                                          QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (entry.fileName().endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
            files.append(entry.absoluteFilePath());
    }
    return files;
}

} // namespace

class KelLogger::Private
{
public:
    explicit Private(KelLogger *q) : q(q) { }

    void handle(QtMsgType type, const QMessageLogContext &context, const QString &message);
    void changeIndent(int delta);

    // Writes one line to the current file, rotating first when needed, and
    // emits the file signals after the lock is released.
    void writeLine(const QString &line);
    // The *Locked functions expect fileMutex to be held.
    bool writeLineLocked(const QString &line, QString *openedFile);
    void pruneFolderLocked();
    QString newFileNameLocked() const;

    KelLogger *const q;

    const bool rulesSet = qEnvironmentVariableIsSet("QT_LOGGING_RULES");
    // Shared by all threads without a lock: trace scopes of different
    // threads indent one another's lines.
    std::atomic<int> indentLevel{0};
    const int indentWidth = 2;
    const int keptFiles = 10;
    const qint64 rotationSize = 0x80000;
    const int suppressedLevels = Debug;
    const bool fileOutput = true;
    const int functionColumn = 40;
    const bool functionNames = true;
    const bool messageSignal = false;
    const bool colours = true;

    // Guarded by fileMutex.
    QFile logFile;
    QTextStream stream;
};

void KelLogger::Private::handle(QtMsgType type, const QMessageLogContext &context,
                                const QString &message)
{
    const int level = levelBit(type);
    if (!rulesSet && (suppressedLevels & level))
        return;
    if (message == QLatin1String(">")) {
        changeIndent(1);
        return;
    }
    if (message == QLatin1String("<")) {
        changeIndent(-1);
        return;
    }

    const QDateTime now = QDateTime::currentDateTime();
    const qint64 threadId = KelPlatform::currentThreadId();

    QString prefix = QLocale::c().toString(now.time(), QStringLiteral("hh:mm:ss.zzz"))
            + QLatin1Char(':') + levelTag(level)
            + QString::number(threadId).rightJustified(5, QLatin1Char(' ')) + QLatin1String(": ");
    QString function;
    if (functionNames && context.function) {
        function = KelLogger::cleanFunctionName(QString::fromUtf8(context.function));
        prefix += function.leftJustified(functionColumn, QLatin1Char(' '), true)
                + QLatin1String(": ");
    }

    QString text = message;
    if (type == QtFatalMsg)
        text += QLatin1String("\nApplication terminated.");
    const QString indent(indentWidth * indentLevel.load(), QLatin1Char(' '));
    const QString line = prefix + indent + text;

    if (fileOutput)
        writeLine(line);

    if (colours) {
        KelPlatform::writeDebugOutput(QLatin1String("\033[37m") + prefix + indent
                                      + levelColour(level) + text + QLatin1String("\033[0m\n"));
    } else {
        KelPlatform::writeDebugOutput(line + QLatin1Char('\n'));
    }

    if (messageSignal)
        emit q->messageReceived({now, level, threadId, function, indent + text, line});
}

void KelLogger::Private::changeIndent(int delta)
{
    int current = indentLevel.load();
    while (!indentLevel.compare_exchange_weak(current, qMax(0, current + delta))) { }
}

void KelLogger::Private::writeLine(const QString &line)
{
    QString openedFile;
    {
        QMutexLocker locker(&fileMutex);
        writeLineLocked(line, &openedFile);
    }
    if (!openedFile.isEmpty()) {
        emit q->logFileNameChanged(openedFile);
        emit q->logFileNamesChanged(logFilesOf(QFileInfo(openedFile).absolutePath()));
    }
}

bool KelLogger::Private::writeLineLocked(const QString &line, QString *openedFile)
{
    if (logFile.isOpen() && logFile.size() > rotationSize) {
        stream.setDevice(nullptr);
        logFile.close();
        pruneFolderLocked();
    }
    if (!logFile.isOpen()) {
        logFile.setFileName(newFileNameLocked());
        if (!logFile.open(QIODevice::Append | QIODevice::Text))
            return false;
        stream.setDevice(&logFile);
        stream.setCodec("UTF-8");
        *openedFile = logFile.fileName();
    }
    stream << line << '\n';
    stream.flush();
    return true;
}

void KelLogger::Private::pruneFolderLocked()
{
    const QFileInfoList entries = QDir(KelLogger::logDir())
                                          .entryInfoList(QDir::Files | QDir::Hidden
                                                                 | QDir::NoSymLinks,
                                                         QDir::Time | QDir::Reversed);
    // The open file counts but stays: on this platform removing it would
    // only unlink it, and the lines still to come would be lost with it.
    const QString openFile = logFile.isOpen() ? QFileInfo(logFile).absoluteFilePath() : QString();
    int excess = entries.size() - keptFiles;
    for (const QFileInfo &entry : entries) {
        if (excess <= 0)
            break;
        if (entry.absoluteFilePath() == openFile)
            continue;
        QFile::remove(entry.absoluteFilePath());
        --excess;
    }
}

QString KelLogger::Private::newFileNameLocked() const
{
    const QString dir = KelLogger::logDir();
    const QString name = QFileInfo(KelPlatform::executablePath()).completeBaseName()
            + QLatin1Char('_')
            + QLocale::c().toString(QDateTime::currentDateTime(),
                                    QStringLiteral("yyyy-MM-dd_hh_mm_ss"));
    const QString extension = QStringLiteral("txt");
    QString path = QStringLiteral("%1/%2.%3").arg(dir, name, extension);
    for (int counter = 1; QFile::exists(path); ++counter)
        path = QStringLiteral("%1/%2-%3.%4").arg(dir, name, QString::number(counter), extension);
    return path;
}

KelLogger::KelLogger() : d(new Private(this))
{
    qRegisterMetaType<KelLogger::MsgInfo>();
}

KelLogger::~KelLogger()
{
    const QtMessageHandler previous = qInstallMessageHandler(nullptr);
    if (previous != &KelLogger::messageHandler)
        qInstallMessageHandler(previous);
    QMutexLocker locker(&fileMutex);
    d->stream.setDevice(nullptr);
    d->logFile.close();
}

KelLogger *KelLogger::instance()
{
    static KelLogger logger;
    return &logger;
}

void KelLogger::setFolderName(const QString &folderName)
{
    QMutexLocker locker(&folderNameMutex);
    folderNameStorage() = folderName;
}

QString KelLogger::logDir()
{
    QString folderName;
    {
        QMutexLocker locker(&folderNameMutex);
        QString &stored = folderNameStorage();
        if (stored.isEmpty())
            stored = QCoreApplication::applicationName();
        folderName = stored;
    }
    const QString dir = QDir::homePath() + QLatin1String("/.") + folderName + QLatin1String("/log");
    QDir().mkpath(dir);
    return dir;
}

void KelLogger::messageHandler(QtMsgType type, const QMessageLogContext &context,
                               const QString &message)
{
    // A message raised while one is handled on this thread (by Qt inside the
    // file code, or by a slot of the logger's signals) is only echoed, so the
    // file lock is never taken twice.
    static thread_local bool handling = false;
    if (handling) {
        KelPlatform::writeDebugOutput(message + QLatin1Char('\n'));
        return;
    }
    handling = true;
    instance()->d->handle(type, context, message);
    handling = false;
}

QString KelLogger::cleanFunctionName(const QString &signature)
{
    const QString name = cleanName(signature);
    return name.contains(QLatin1String("TraceLogger")) ? QString() : name;
}

void KelLogger::beginLogSession(const QString &buildVersion)
{
    {
        QMutexLocker locker(&fileMutex);
        d->pruneFolderLocked();
    }
    d->writeLine(QLatin1String("\n\n") + QString(60, QLatin1Char('-')));
    d->writeLine(QStringLiteral("Application started"));

    qInfo().noquote() << "Timestamp:"
                      << QLocale::c().toString(QDateTime::currentDateTime(),
                                               QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
    qInfo().noquote() << "OS version:" << QSysInfo::prettyProductName();
    qInfo().noquote() << "Kernel version:" << QSysInfo::kernelType() << QSysInfo::kernelVersion();
    qInfo().noquote() << "CPU architecture:" << QSysInfo::currentCpuArchitecture();
    qInfo().noquote() << "Build ABI:" << QSysInfo::buildAbi();
    qInfo().noquote() << "Executable:" << KelPlatform::executablePath();
    qInfo().noquote() << "BuildVersion:" << buildVersion;
    qInfo().noquote() << "DisplayVersion:" << QCoreApplication::applicationVersion();
    qInfo().noquote() << "PID:" << QCoreApplication::applicationPid();
    qInfo().noquote() << "Main thread id:" << KelPlatform::currentThreadId();
    qInfo().noquote() << "Qt::AA_EnableHighDpiScaling:"
                      << QCoreApplication::testAttribute(Qt::AA_EnableHighDpiScaling);
    qInfo().noquote() << "Qt::AA_DisableHighDpiScaling:"
                      << QCoreApplication::testAttribute(Qt::AA_DisableHighDpiScaling);

    static const char *const scaleVariables[] = {"QT_AUTO_SCREEN_SCALE_FACTOR",
                                                 "QT_SCREEN_SCALE_FACTORS", "QT_SCALE_FACTOR",
                                                 "QT_DEVICE_PIXEL_RATIO"};
    for (const char *variable : scaleVariables) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            qInfo().noquote() << QStringLiteral("Overrided %1 found:").arg(QLatin1String(variable))
                              << value;
    }

    // Screens exist only in the GUI program.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (int i = 0; i < screens.size(); ++i) {
        const QScreen *screen = screens.at(i);
        const QRect geometry = screen->geometry();
        const QRect available = screen->availableGeometry();
        QString line = QStringLiteral("Qt Screen %1:").arg(i);
        if (screen == QGuiApplication::primaryScreen())
            line += QLatin1String(" primary,");
        line += QStringLiteral(" winScale: %1%")
                        .arg(qRound(screen->logicalDotsPerInch() * screen->devicePixelRatio() / 96.0
                                    * 100.0));
        line += QStringLiteral(", pixelRatio: %1").arg(screen->devicePixelRatio());
        line += QStringLiteral(", logDpi: %1, phyDpi: %2")
                        .arg(screen->logicalDotsPerInch())
                        .arg(screen->physicalDotsPerInch());
        if (screen->physicalDotsPerInch() > 0) {
            line += QStringLiteral(", log/phy: %1%")
                            .arg(qRound(screen->logicalDotsPerInch() / screen->physicalDotsPerInch()
                                        * 100.0));
        }
        line += QStringLiteral(", geometry: {x:%1, y:%2, w: %3, h: %4}")
                        .arg(geometry.x())
                        .arg(geometry.y())
                        .arg(geometry.width())
                        .arg(geometry.height());
        line += QStringLiteral(", available: {x:%1, y:%2, w: %3, h: %4}")
                        .arg(available.x())
                        .arg(available.y())
                        .arg(available.width())
                        .arg(available.height());
        qInfo().noquote() << line;
    }
    QStringList touchDevices;
    const QList<const QTouchDevice *> devices = QTouchDevice::devices();
    for (const QTouchDevice *device : devices)
        touchDevices.append(device->name());
    qInfo().noquote() << "Touch devices:" << touchDevices.join(QLatin1String(", "));
}

#include "moc_kellogger.cpp"
