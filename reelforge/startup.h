#pragma once

class QDate;
class QSettings;

// Decisions of the program's start-up that depend only on what they are
// given.
namespace Startup {

// Whether the crash reporter runs without its dialog: before 2 July 2023.
bool crashReporterWithoutDialog(const QDate &today);

// The user's consent to usage metrics as kept in the native settings store:
// a stored value that converts to the integer 1. A missing key is no
// consent, with a warning.
bool metricsConsent(const QSettings &store);

} // namespace Startup
