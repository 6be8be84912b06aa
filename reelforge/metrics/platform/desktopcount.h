#pragma once

// The desktops of the session the program runs in: always one, as the
// session has no others a program could be placed on.
int desktopCount();
