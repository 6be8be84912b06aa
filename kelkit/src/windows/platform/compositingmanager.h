#pragma once

// Whether the display blends translucent windows with what lies below
// them. Without that a translucent window shows black where it is clear,
// so shadows and rounded outlines need another way. GUI thread only.
namespace KelPlatform {

bool isCompositingManagerRunning();

// Test seam: 0 or 1 fixes the answer, -1 asks the display again.
void setCompositingManagerOverride(int running);

} // namespace KelPlatform
