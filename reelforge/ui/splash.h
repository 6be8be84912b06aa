#pragma once

class KelSplash;

// The program's start-up splash: the splash picture with the version and a
// white busy bar of running dots along its bottom. GUI thread only.
class Splash
{
public:
    // Shows it for at least minimumMs; with waitForMainWindow it stays until
    // the main window takes over. Null, and nothing shown, without a screen.
    static KelSplash *showSplash(int minimumMs, bool waitForMainWindow);

private:
    Splash() = delete;
};
