#pragma once

#include <functional>

class QFileDialog;

// Answers Qt's own file choosers, which the offscreen platform shows as
// widget dialogs. GUI thread only.
namespace FileDialogInput {

// Waits, without blocking, for the next QFileDialog to be the active modal
// widget and runs action on it. Returns at once: call it before the code
// that opens the chooser.
void whenShown(std::function<void(QFileDialog *)> action);

} // namespace FileDialogInput
