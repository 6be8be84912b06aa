#pragma once

class CodecInfo;
class KelWindow;

// The rule by which the program opens its non-modal editing dialogs.
// GUI thread only.
namespace DialogLaunch {

// Makes the dialog modeless and delete itself when closed, and shows it
// where it was last closed, when its geometry was saved, else centred on
// its parent. Nothing for null.
void showModeless(KelWindow *dialog);

// A source without a picture that has a real audio stream.
bool isAudioOnly(const CodecInfo &source);

} // namespace DialogLaunch
