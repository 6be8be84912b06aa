// Sets up the crash reporter as the programs do, then ends as asked:
// crashhelper <how> <attribute file> <machine id> <kept file> <dropped file> <quiet|tell>

#include "crashinstaller/crashinstaller.h"
#include "crashinstaller/uex.h"
#include "kellogger/kellogger.h"

#include <QCoreApplication>
#include <QStringList>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <sys/mman.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

volatile int stopDepth = -1;

__attribute__((noinline)) int recurse(int depth, volatile char *previous)
{
    volatile char frame[1024];
    frame[0] = previous ? char(previous[0] + 1) : 0;
    if (depth == stopDepth)
        return frame[0];
    return recurse(depth + 1, frame) + frame[1];
}

int crash(const QString &how)
{
    if (how == QLatin1String("segv")) {
        void *page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        *static_cast<volatile int *>(page) = 1;
    } else if (how == QLatin1String("overflow")) {
        return recurse(0, nullptr);
    } else if (how == QLatin1String("bus")) {
        // Touching a mapping past the end of its file.
        const int fd = memfd_create("crashhelper", 0);
        if (fd < 0 || ftruncate(fd, 4096) != 0)
            return 2;
        void *page = mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (page == MAP_FAILED || ftruncate(fd, 0) != 0)
            return 2;
        return *static_cast<volatile int *>(page);
    } else if (how == QLatin1String("fpe")) {
        raise(SIGFPE);
    } else if (how == QLatin1String("ill")) {
        __builtin_trap();
    } else if (how == QLatin1String("abort")) {
        abort();
    } else if (how == QLatin1String("thread")) {
        // A thread without the alternate stack.
        std::thread([] { crash(QStringLiteral("segv")); }).join();
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 7)
        return 2;
    const rlimit noCore = {0, 0};
    setrlimit(RLIMIT_CORE, &noCore);

    KelLogger::setFolderName(QStringLiteral("crashhelper"));
    const QString attributeFile = args.at(2);
    uex::update(attributeFile, uex::Running);

    auto installer = std::make_unique<CrashInstaller>(QStringLiteral("Reelmorph"),
                                                      QStringLiteral("1.5.0"),
                                                      args.at(6) == QLatin1String("quiet"));
    installer->setProperty(QStringLiteral("stale"), QStringLiteral("m_id"));
    installer->setProperty(args.at(3), QStringLiteral("m_id"));
    installer->setProperty(QStringLiteral("same"), QStringLiteral("alpha"));
    installer->setProperty(QStringLiteral("same"), QStringLiteral("beta"));
    installer->addFile(args.at(5), QStringLiteral("Configuration File"));
    installer->addFile(args.at(4), QStringLiteral("Configuration File"));
    installer->addFile(args.at(5), QStringLiteral("DirectX diagnostic File"));
    installer->addFile(QString(), QStringLiteral("DirectX diagnostic File"));
    installer->addLogFiles(KelLogger::logDir(), QStringLiteral("reel*.txt"), 10);
    installer->setAttributeFile(attributeFile);

    const int result = crash(args.at(1));
    installer.reset();
    uex::update(attributeFile, uex::CleanExit);
    return result;
}
