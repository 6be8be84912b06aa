#pragma once

#include <functional>

class KelMessageBox;

// Answers message boxes as the user would. GUI thread only.
namespace MessageBoxInput {

// Waits, without blocking, for the next KelMessageBox to be shown as the
// active modal window and runs action on it. Returns at once: call it
// before the code that shows the box.
void whenShown(std::function<void(KelMessageBox *)> action);

// As whenShown(), then runs inspect on the box (when given) and clicks its
// footer button of that result index through its window.
void pressButton(int index, std::function<void(KelMessageBox *)> inspect = {});

} // namespace MessageBoxInput
