#pragma once

#include <QObject>

#include <functional>

// An event filter that hands each event to a function, so that a class can
// watch other objects' events without being an event filter itself. The
// function's answer is the filter's: true stops the event. Install it like
// any filter; it is destroyed with its parent.
//
//     auto *filter = new KelFunctionFilter(
//             [this](QObject *, QEvent *event) { return handle(event); }, this);
//     content->installEventFilter(filter);
//
// Lives on its parent's thread.
class KelFunctionFilter : public QObject
{
    Q_OBJECT

public:
    using Function = std::function<bool(QObject *watched, QEvent *event)>;

    KelFunctionFilter(Function function, QObject *parent);
    ~KelFunctionFilter() override;

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const Function m_function;
};
