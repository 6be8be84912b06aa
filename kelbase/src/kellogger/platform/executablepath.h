#pragma once

#include <QString>

namespace KelPlatform {

// Path of the running program; works before the application object exists.
QString executablePath();

} // namespace KelPlatform
