#include "privatesessionbus.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

const char PrivateBusMarker[] = "REEL_PRIVATE_SESSION_BUS";

const char PrivateBusConfig[]
        = "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
          " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
          "<busconfig>\n"
          "  <type>session</type>\n"
          "  <listen>unix:tmpdir=/tmp</listen>\n"
          "  <auth>EXTERNAL</auth>\n"
          "  <policy context=\"default\">\n"
          "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
          "    <allow eavesdrop=\"true\"/>\n"
          "    <allow own=\"*\"/>\n"
          "  </policy>\n"
          "</busconfig>\n";

} // namespace

namespace PrivateSessionBus {

bool isInside()
{
    const QByteArray config = qgetenv(PrivateBusMarker);
    if (config.isEmpty())
        return false;
    QFile::remove(QString::fromLocal8Bit(config));
    return true;
}

int rerunInside(int argc, char **argv)
{
    const QByteArray config
            = QDir::temp()
                      .filePath(QStringLiteral("reel-private-bus-%1.conf").arg(::getpid()))
                      .toLocal8Bit();
    QFile file(QString::fromLocal8Bit(config));
    if (!file.open(QIODevice::WriteOnly) || file.write(PrivateBusConfig) < 0) {
        std::fprintf(stderr, "FAIL: cannot write %s\n", config.constData());
        return 1;
    }
    file.close();
    qputenv(PrivateBusMarker, config);
    const QByteArray configOption = "--config-file=" + config;
    std::vector<char *> args{const_cast<char *>("dbus-run-session"),
                             const_cast<char *>(configOption.constData()),
                             const_cast<char *>("--")};
    for (int i = 0; i < argc; ++i)
        args.push_back(argv[i]);
    args.push_back(nullptr);
    execvp(args[0], args.data());
    std::fprintf(stderr,
                 "FAIL: dbus-run-session cannot be started (scripts/install-deps.sh installs "
                 "it)\n");
    return 1;
}

} // namespace PrivateSessionBus
