// singleappprobe MESSAGE [TIMEOUT_MS]
//
// The first start prints "primary" and then every message it receives as
// "message: TEXT", one a line, until it is killed. A later start sends
// MESSAGE to the first and exits 0 when it was delivered, 1 when not.
#include "platform/singleapplication.h"

#include <cstdio>

int main(int argc, char **argv)
{
    KelSingleApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString message = arguments.value(1);
    const int timeoutMs = arguments.size() > 2 ? arguments.at(2).toInt() : 5000;

    if (app.isRunning())
        return app.sendMessage(message, timeoutMs) ? 0 : 1;

    std::printf("primary\n");
    std::fflush(stdout);
    QObject::connect(&app, &KelSingleApplication::messageReceived, [](const QString &text) {
        std::printf("message: %s\n", qPrintable(text));
        std::fflush(stdout);
    });
    return app.exec();
}
