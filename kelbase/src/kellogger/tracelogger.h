#pragma once

#include <QString>

#include <memory>

// Scope object that logs entering and leaving a function with the elapsed
// time; lines logged in between are indented. Use on one thread.
class TraceLogger
{
public:
    // signature: the caller's Q_FUNC_INFO, shown in the function column.
    TraceLogger(const char *signature, const QString &name);
    ~TraceLogger();

    TraceLogger(const TraceLogger &) = delete;
    TraceLogger &operator=(const TraceLogger &) = delete;

private:
    class Private;
    std::unique_ptr<Private> d;
};
