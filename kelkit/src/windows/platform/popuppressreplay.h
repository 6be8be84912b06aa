#pragma once

class QMouseEvent;

// The press that closes the open popups, handed on to the window under it.
// Qt hands it on by itself only where the platform integration says so; on
// xcb the popup's pointer grab takes the press and no other window ever
// sees it. There the popup replays it through this layer, as a spontaneous
// press posted to the window under the press, so that the widget there
// gets its click and a caption still starts the window manager's move.
// GUI thread only.
namespace KelPlatform {

// Whether Qt replays such a press itself on this platform.
bool platformReplaysPopupPress();

// Test seam: 0 or 1 fixes the answer of platformReplaysPopupPress(), -1
// asks the platform again.
void setPlatformReplaysPopupPressOverride(int replays);

// Posts a spontaneous copy of the press (global position, button, buttons,
// modifiers, timestamp) to the window under its global position, which is
// activated and raised first, as Qt's own replay does. False when no
// window of the application lies there or a modal window blocks it.
bool replayPopupPress(const QMouseEvent &press);

} // namespace KelPlatform
