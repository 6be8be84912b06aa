#pragma once

class QScreen;

// The screen's dots per inch as the desktop scales it: the logical DPI
// times the device pixel ratio, rounded; 96 without a screen. GUI thread.
int screenDpi(const QScreen *screen);
