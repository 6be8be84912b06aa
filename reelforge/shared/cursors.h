#pragma once

#include <QCursor>

// The hand cursors shown while an overlay is moved. They are drawn for the
// main window's device pixel ratio once, on the first request: a cursor
// asked for before the main window exists stays the default arrow for the
// rest of the run. GUI thread.
class Cursors
{
public:
    enum Id { ClosedHand = 0, OpenHand = 1 };

    // A default cursor for an id without a picture.
    static QCursor cursor(int id);

private:
    Cursors() = delete;
};
