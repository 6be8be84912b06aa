#pragma once

#include <functional>

class KelMessageBox;

// Answers message boxes as the user would. GUI thread only.
namespace MessageBoxInput {

// Waits, without blocking, for the next KelMessageBox to be shown as the
// active modal window, then runs inspect on it (when given) and clicks its
// footer button of that result index through its window. Returns at once:
// call it before the code that shows the box.
void pressButton(int index, std::function<void(KelMessageBox *)> inspect = {});

} // namespace MessageBoxInput
