#pragma once

#include <QString>

namespace WorkerProgram {

// File name of the worker executable, with the platform's executable suffix.
QString fileName();

} // namespace WorkerProgram
