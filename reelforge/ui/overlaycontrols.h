#pragma once

#include "ui/widgets/filepathselector.h"

class DisplaySlider;
class FontsCombo;
class KelLabel;

// The controls that the watermark and the subtitles dialogs share, made
// alike and named for tests and styles. GUI thread only.
namespace OverlayControls {

// A caption of the right-hand box (WT_Label_Form).
KelLabel *label(const char *objectName);
// 1 to 100 with the suffix "%".
DisplaySlider *percentSlider(const char *objectName);
// Named "FontsCombo".
FontsCombo *fontsCombo();
// Named "FileSelector".
FilePathSelector *fileSelector(const FilePathSelector::FileChooser &chooser);
// How far captions and framed controls are indented in the box.
int indent();

} // namespace OverlayControls
