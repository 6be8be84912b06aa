#pragma once

#include "core/transcodinginfo.h"

#include <QUuid>

// A queue item as the worker link sees it. The data model's items implement
// it; the link calls it on the GUI thread.
class WorkerTaskItem
{
public:
    virtual ~WorkerTaskItem() = default;

    virtual QUuid id() const = 0;
    // Once the task went out, a further send resumes it.
    virtual bool isTaskSent() const = 0;
    // Marks the task sent, counts the features it uses and returns it.
    virtual TranscodingInfo takeTask() = 0;
};
