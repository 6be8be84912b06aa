#include "crashreporter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <execinfo.h>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace CrashReporter;

namespace {

const int CrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
const int CrashSignalCount = sizeof(CrashSignals) / sizeof(CrashSignals[0]);
const int MaxLogFiles = 64;
const int MaxFrames = 128;

const char BacktraceName[] = "backtrace.txt";
const char PropertiesName[] = "properties.txt";
const char FilesName[] = "files.txt";
const char LogsName[] = "logs";

struct Setup
{
    QByteArray appName;
    QByteArray appVersion;
    QByteArray reportFolder;
    unsigned flags = 0;
};

struct AttachedFile
{
    QByteArray description;
    QByteArray source;
    QByteArray copyName;
};

// What a report carries, encoded for the handler.
struct Plan
{
    QByteArray properties; // "name=value" lines
    std::vector<AttachedFile> files;
    QByteArray logFolder;
    std::vector<QByteArray> logMasks;
    int maxLogFiles = 0;
};

struct Reporter
{
    // Taken by install, uninstall and setContents; the handler reads only the
    // atomics below.
    std::mutex mutex;
    QString lastError;
    std::unique_ptr<Setup> setup;
    std::unique_ptr<Plan> plan;
    // Plans replaced while installed: a handler on another thread may still
    // read one.
    std::vector<std::unique_ptr<Plan>> retiredPlans;
    struct sigaction previousActions[CrashSignalCount];
    stack_t previousStack;

    std::atomic<const Setup *> activeSetup{nullptr};
    std::atomic<const Plan *> activePlan{nullptr};
    std::atomic<CrashCallback> callback{nullptr};
    std::atomic<void *> callbackParam{nullptr};
};

// Never destroyed, so a crash during static destruction still finds it.
Reporter &reporter()
{
    static Reporter *instance = new Reporter;
    return *instance;
}

// Static, since a thread may keep it as its alternate stack after uninstall.
alignas(16) char alternateStack[256 * 1024];

// ---- Async-signal-safe helpers: no allocation, no locks, no stdio. ----

// A fixed-size, always zero-terminated text.
class Text
{
public:
    Text &clear()
    {
        m_size = 0;
        m_data[0] = '\0';
        m_overflow = false;
        return *this;
    }
    Text &add(const char *text) { return add(text, std::strlen(text)); }
    Text &add(const QByteArray &text) { return add(text.constData(), size_t(text.size())); }
    Text &add(const Text &text) { return add(text.data(), text.size()); }
    Text &add(const char *text, size_t size)
    {
        if (size > Capacity - m_size) {
            m_overflow = true;
            size = Capacity - m_size;
        }
        std::memcpy(m_data + m_size, text, size);
        m_size += size;
        m_data[m_size] = '\0';
        return *this;
    }
    Text &addNumber(unsigned long long value, int width = 0, unsigned base = 10)
    {
        char digits[32];
        int count = 0;
        do {
            digits[count++] = "0123456789abcdef"[value % base];
            value /= base;
        } while (value != 0 && count < int(sizeof(digits)));
        while (count < width && count < int(sizeof(digits)))
            digits[count++] = '0';
        while (count > 0)
            add(&digits[--count], 1);
        return *this;
    }

    const char *data() const { return m_data; }
    size_t size() const { return m_size; }
    bool overflowed() const { return m_overflow; }

private:
    static const size_t Capacity = 4095;
    char m_data[Capacity + 1] = {};
    size_t m_size = 0;
    bool m_overflow = false;
};

struct LogCandidate
{
    struct timespec modified;
    char name[256];
};

// The handler's working memory. Static rather than on the stack: a signal
// stack may be small (a thread may have one of a sanitizer's), and only one
// thread ever writes a report (see handleCrash).
struct Scratch
{
    Text folder; // the report folder
    Text logs;   // its folder of log files
    Text path;   // a file being written
    Text source; // a log file being copied
    Text line;
    char copyBuffer[64 * 1024];
    alignas(struct dirent64) char entries[32 * 1024];
    LogCandidate candidates[MaxLogFiles];
} scratch;

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= size_t(written);
    }
    return true;
}

bool writeAll(int fd, const Text &text)
{
    return writeAll(fd, text.data(), text.size());
}

// Opens scratch.path as folder/name for writing.
int createFileIn(const Text &folder, const char *name)
{
    const Text &path = scratch.path.clear().add(folder).add("/").add(name);
    if (path.overflowed())
        return -1;
    return ::open(path.data(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
}

// Copies a regular file to folder/name; anything else (a FIFO would block)
// is refused.
bool copyFile(const char *source, const Text &folder, const char *name)
{
    const int in = ::open(source, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0)
        return false;
    struct stat info;
    if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(in);
        return false;
    }
    const int out = createFileIn(folder, name);
    bool ok = out >= 0;
    while (ok) {
        const ssize_t got = ::read(in, scratch.copyBuffer, sizeof(scratch.copyBuffer));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        ok = writeAll(out, scratch.copyBuffer, size_t(got));
    }
    if (out >= 0)
        ::close(out);
    ::close(in);
    return ok;
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// Wildcard match with '*' and '?', ignoring the case of ASCII letters.
bool matchesMask(const char *mask, const char *name)
{
    const char *starMask = nullptr;
    const char *starName = nullptr;
    while (*name) {
        if (*mask == '*') {
            starMask = ++mask;
            starName = name;
        } else if (*mask && (*mask == '?' || lowerAscii(*mask) == lowerAscii(*name))) {
            ++mask;
            ++name;
        } else if (starMask) {
            mask = starMask;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*mask == '*')
        ++mask;
    return *mask == '\0';
}

const char *signalName(int signal)
{
    switch (signal) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGFPE:
        return "SIGFPE";
    case SIGILL:
        return "SIGILL";
    case SIGABRT:
        return "SIGABRT";
    }
    return "?";
}

// "yyyy-MM-dd_hh_mm_ss" in UTC, without the (unsafe) time zone functions.
void addUtcTime(Text &text, long long seconds)
{
    long long days = seconds / 86400;
    long long rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    // Civil date from a day count since 1970-01-01 (proleptic Gregorian).
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096)
            / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;
    const long long day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const long long month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);

    text.addNumber(year, 4).add("-").addNumber(month, 2).add("-").addNumber(day, 2);
    text.add("_").addNumber(rest / 3600, 2).add("_").addNumber(rest / 60 % 60, 2);
    text.add("_").addNumber(rest % 60, 2);
}

void writeBacktrace(const Setup &setup, int signal, const siginfo_t *info, long long seconds)
{
    const int fd = createFileIn(scratch.folder, BacktraceName);
    if (fd < 0)
        return;
    Text &header = scratch.line.clear();
    header.add("Application: ").add(setup.appName).add("\nVersion: ").add(setup.appVersion);
    header.add("\nSignal: ").addNumber(unsigned(signal)).add(" (").add(signalName(signal));
    header.add(")\nAddress: 0x")
            .addNumber(reinterpret_cast<uintptr_t>(info ? info->si_addr : nullptr), 0, 16);
    header.add("\nPID: ").addNumber(unsigned(::getpid())).add("\nTime: ");
    addUtcTime(header, seconds);
    header.add(" UTC\n\nBacktrace:\n");
    writeAll(fd, header);

    void *frames[MaxFrames];
    const int count = ::backtrace(frames, MaxFrames);
    ::backtrace_symbols_fd(frames, count, fd);
    ::close(fd);
}

bool newer(const struct timespec &a, const struct timespec &b)
{
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

// Fills scratch.candidates with the newest matching regular files, newest
// first, and returns their count.
int findNewestLogs(const Plan &plan, int limit)
{
    const int dir = ::open(plan.logFolder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return 0;
    LogCandidate *candidates = scratch.candidates;
    int count = 0;
    ssize_t got;
    while ((got = ::getdents64(dir, scratch.entries, sizeof(scratch.entries))) > 0) {
        for (ssize_t offset = 0; offset < got;) {
            const auto *entry = reinterpret_cast<const struct dirent64 *>(scratch.entries + offset);
            offset += entry->d_reclen;
            const char *name = entry->d_name;
            bool matches = false;
            for (const QByteArray &mask : plan.logMasks)
                matches = matches || matchesMask(mask.constData(), name);
            struct stat info;
            if (!matches || ::fstatat(dir, name, &info, AT_SYMLINK_NOFOLLOW) != 0
                || !S_ISREG(info.st_mode)) {
                continue;
            }
            int at = count;
            while (at > 0 && newer(info.st_mtim, candidates[at - 1].modified))
                --at;
            if (at >= limit)
                continue;
            const int last = count < limit ? count++ : limit - 1;
            for (int i = last; i > at; --i)
                candidates[i] = candidates[i - 1];
            candidates[at].modified = info.st_mtim;
            const size_t length = std::min(std::strlen(name), sizeof(candidates[at].name) - 1);
            std::memcpy(candidates[at].name, name, length);
            candidates[at].name[length] = '\0';
        }
    }
    ::close(dir);
    return count;
}

void writeFiles(const Plan &plan)
{
    const int manifest = createFileIn(scratch.folder, FilesName);
    Text &line = scratch.line;
    for (const AttachedFile &file : plan.files) {
        line.clear().add(file.description).add(": ").add(file.source);
        if (copyFile(file.source.constData(), scratch.folder, file.copyName.constData()))
            line.add(" -> ").add(file.copyName).add("\n");
        else
            line.add(" (not readable)\n");
        if (manifest >= 0)
            writeAll(manifest, line);
    }

    const int limit = std::min(plan.maxLogFiles, MaxLogFiles);
    const int count = limit > 0 ? findNewestLogs(plan, limit) : 0;
    scratch.logs.clear().add(scratch.folder).add("/").add(LogsName);
    if (count > 0)
        ::mkdir(scratch.logs.data(), 0700);
    for (int i = 0; i < count; ++i) {
        const char *name = scratch.candidates[i].name;
        scratch.source.clear().add(plan.logFolder).add("/").add(name);
        line.clear().add("Log file: ").add(scratch.source);
        if (copyFile(scratch.source.data(), scratch.logs, name))
            line.add(" -> ").add(LogsName).add("/").add(name).add("\n");
        else
            line.add(" (not readable)\n");
        if (manifest >= 0)
            writeAll(manifest, line);
    }
    if (manifest >= 0)
        ::close(manifest);
}

void writeProperties(const Plan &plan)
{
    const int fd = createFileIn(scratch.folder, PropertiesName);
    if (fd < 0)
        return;
    writeAll(fd, plan.properties.constData(), size_t(plan.properties.size()));
    ::close(fd);
}

void tell(const Setup &setup, int signal, bool written)
{
    if (setup.flags & NoDialog)
        return;
    Text &message = scratch.line.clear();
    message.add(setup.appName).add(" crashed with signal ").addNumber(unsigned(signal));
    message.add(written ? ". A crash report was written to "
                        : ". No crash report could be written to ");
    message.add(scratch.folder).add("\n");
    writeAll(STDERR_FILENO, message);
}

void writeReport(const Setup &setup, const Plan *plan, int signal, const siginfo_t *info)
{
    struct timespec now = {};
    ::clock_gettime(CLOCK_REALTIME, &now);

    Text &folder = scratch.folder.clear();
    folder.add(setup.reportFolder).add("/crash_");
    addUtcTime(folder, now.tv_sec);
    folder.add("_").addNumber(unsigned(::getpid()));
    ::mkdir(setup.reportFolder.constData(), 0700);
    if (folder.overflowed() || ::mkdir(folder.data(), 0700) != 0) {
        tell(setup, signal, false);
        return;
    }
    writeBacktrace(setup, signal, info, now.tv_sec);
    if (plan) {
        writeProperties(*plan);
        writeFiles(*plan);
    }
    tell(setup, signal, true);
}

void handleCrash(int signal, siginfo_t *info, void *)
{
    static std::atomic_flag busy = ATOMIC_FLAG_INIT;
    if (busy.test_and_set()) {
        // Another thread writes the report; its re-raise ends the process.
        for (;;)
            ::pause();
    }
    Reporter &r = reporter();
    int result = ContinueReport;
    if (CrashCallback callback = r.callback.load())
        result = callback(r.callbackParam.load());
    const Setup *setup = r.activeSetup.load();
    if (setup && result != SkipReport)
        writeReport(*setup, r.activePlan.load(), signal, info);

    // With the default actions back, the re-raised signal ends the process as
    // soon as the handler returns and the signal is unblocked.
    struct sigaction defaultAction = {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    for (int crashSignal : CrashSignals)
        ::sigaction(crashSignal, &defaultAction, nullptr);
    ::raise(signal);
}

// ---- Preparation, outside any signal handler. ----

QByteArray oneLine(const QString &text)
{
    return text.toUtf8().replace('\n', "\\n").replace('\r', "\\r");
}

std::unique_ptr<Plan> makePlan(const Contents &contents)
{
    auto plan = std::make_unique<Plan>();
    for (const auto &property : contents.properties)
        plan->properties += oneLine(property.first) + '=' + oneLine(property.second) + '\n';

    QSet<QString> taken = {BacktraceName, PropertiesName, FilesName, LogsName};
    for (const auto &file : contents.files) {
        QString base = QFileInfo(file.second).fileName();
        if (base.isEmpty())
            base = QStringLiteral("file");
        QString copyName = base;
        for (int n = 2; taken.contains(copyName); ++n)
            copyName = QStringLiteral("%1-%2").arg(n).arg(base);
        taken.insert(copyName);
        plan->files.push_back(
                {oneLine(file.first), QFile::encodeName(file.second), QFile::encodeName(copyName)});
    }

    plan->logFolder = QFile::encodeName(contents.logFolder);
    for (const QString &mask : contents.logMasks)
        plan->logMasks.push_back(mask.toUtf8());
    plan->maxLogFiles = contents.maxLogFiles;
    return plan;
}

void restoreActions(Reporter &r, int count)
{
    for (int i = 0; i < count; ++i)
        ::sigaction(CrashSignals[i], &r.previousActions[i], nullptr);
}

void restoreStack(Reporter &r)
{
    stack_t current;
    if (::sigaltstack(nullptr, &current) == 0 && current.ss_sp == alternateStack) {
        stack_t previous = r.previousStack;
        previous.ss_flags &= SS_DISABLE;
        ::sigaltstack(&previous, nullptr);
    }
}

} // namespace

int CrashReporter::install(const InstallInfo &info)
{
    Reporter &r = reporter();
    std::lock_guard<std::mutex> lock(r.mutex);
    const auto fail = [&r](const QString &reason) {
        r.lastError = reason;
        return -1;
    };
    if (r.setup)
        return fail(QStringLiteral("The crash reporter is already installed."));
    if (info.reportFolder.isEmpty() || !QDir().mkpath(info.reportFolder))
        return fail(QStringLiteral("Cannot create the crash report folder \"%1\".")
                            .arg(info.reportFolder));

    // backtrace() loads its unwinder on first use, which must not happen in
    // the signal handler.
    void *frame;
    ::backtrace(&frame, 1);

    auto setup = std::make_unique<Setup>();
    setup->appName = info.appName.toUtf8();
    setup->appVersion = info.appVersion.toUtf8();
    setup->reportFolder = QFile::encodeName(QDir(info.reportFolder).absolutePath());
    setup->flags = info.flags;

    stack_t stack = {};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof(alternateStack);
    if (::sigaltstack(&stack, &r.previousStack) != 0)
        return fail(QStringLiteral("Cannot set the signal stack: %1").arg(qt_error_string(errno)));

    r.activeSetup.store(setup.get());
    struct sigaction action = {};
    action.sa_sigaction = handleCrash;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    // A second fault inside the handler ends the process at once.
    sigemptyset(&action.sa_mask);
    for (int crashSignal : CrashSignals)
        sigaddset(&action.sa_mask, crashSignal);
    for (int i = 0; i < CrashSignalCount; ++i) {
        if (::sigaction(CrashSignals[i], &action, &r.previousActions[i]) != 0) {
            const QString reason = qt_error_string(errno);
            restoreActions(r, i);
            restoreStack(r);
            r.activeSetup.store(nullptr);
            return fail(QStringLiteral("Cannot set the signal handler: %1").arg(reason));
        }
    }
    r.setup = std::move(setup);
    r.lastError.clear();
    return 0;
}

void CrashReporter::uninstall()
{
    Reporter &r = reporter();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!r.setup)
        return;
    restoreActions(r, CrashSignalCount);
    restoreStack(r);
    r.activeSetup.store(nullptr);
    r.activePlan.store(nullptr);
    r.callback.store(nullptr);
    r.callbackParam.store(nullptr);
    r.setup.reset();
    r.plan.reset();
    r.retiredPlans.clear();
}

QString CrashReporter::lastErrorMessage()
{
    Reporter &r = reporter();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.lastError;
}

void CrashReporter::setCrashCallback(CrashCallback callback, void *userParam)
{
    Reporter &r = reporter();
    std::lock_guard<std::mutex> lock(r.mutex);
    // Null first, so the handler never pairs a callback with another's data.
    r.callback.store(nullptr);
    r.callbackParam.store(userParam);
    r.callback.store(callback);
}

void CrashReporter::setContents(const Contents &contents)
{
    std::unique_ptr<Plan> plan = makePlan(contents);
    Reporter &r = reporter();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.activePlan.store(plan.get());
    if (r.plan && r.setup)
        r.retiredPlans.push_back(std::move(r.plan));
    r.plan = std::move(plan);
}
