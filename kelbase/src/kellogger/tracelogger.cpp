#include "tracelogger.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QMessageLogger>

class TraceLogger::Private
{
public:
    QMessageLogger logger() const { return QMessageLogger(nullptr, 0, signature); }

    const char *signature = nullptr;
    QString name;
    QElapsedTimer timer;
};

TraceLogger::TraceLogger(const char *signature, const QString &name) : d(new Private)
{
    d->signature = signature;
    d->name = name;
    d->name.remove(QLatin1String("__thiscall "));
    d->timer.start();
    d->logger().info().noquote() << QLatin1String("Entering '") + d->name + QLatin1Char('\'');
    d->logger().info("%s", ">");
}

TraceLogger::~TraceLogger()
{
    d->logger().info("%s", "<");
    d->logger().info().noquote() << QStringLiteral("Leaving '%1'. Elapsed time: %2")
                                            .arg(d->name)
                                            .arg(d->timer.elapsed());
}
