#pragma once

#include <functional>

class QFileDialog;

// Answers Qt's file choosers as the user would. GUI thread only.
namespace FileDialogInput {

// Runs action on the next file chooser once it is the active modal widget.
// Returns at once: call it before the code that shows the chooser.
void whenShown(std::function<void(QFileDialog *)> action);

} // namespace FileDialogInput
