#pragma once

#include "datamodel/videoitem.h"
#include "ui/widgets/filepathselector.h"

#include <initializer_list>

class DisplaySlider;
class FontsCombo;
class KelFramePainter;
class KelLabel;
class QBoxLayout;
class SettingsProvider;

// The controls, rows and Save step that the watermark and the subtitles
// dialogs share, made alike and named for tests and styles. GUI thread only.
namespace OverlayControls {

// Spacing in the right-hand box's column.
constexpr int FieldGap = 5;  // caption to a framed field
constexpr int SliderGap = 1; // caption to a slider, whose spin box has its own margin
constexpr int RowGap = 16;   // between rows
constexpr int GroupGap = 24; // around groups of rows

// A caption of the right-hand box (WT_Label_Form).
KelLabel *label(const char *objectName);
// 1 to 100 with the suffix "%".
DisplaySlider *percentSlider(const char *objectName);
// Named "FontsCombo".
FontsCombo *fontsCombo();
// Named "FileSelector".
FilePathSelector *fileSelector(const FilePathSelector::FileChooser &chooser);

// A caption over its control, gap apart, then after as the space before
// the next row (none for 0).
void addRow(QBoxLayout *column, KelLabel *caption, int gap, QWidget *control, int after = 0);
// Moves the contents of the first widgets (contents margins) and the
// frames (outer frame margins) in by the box's indent, so that captions
// line up with the controls' text rather than their edges.
void indent(std::initializer_list<QWidget *> contents,
            std::initializer_list<KelFramePainter *> frames);

// The Save step of both dialogs: the edited copy becomes the last-used one
// through remember and, with an item, the item's through attach.
using Remember = void (SettingsProvider::*)(const PipObjectPtr &);
using Attach = void (VideoItem::*)(const PipObjectPtr &);
bool save(const PipObjectPtr &copy, const VideoItemPtr &item, Remember remember, Attach attach);

} // namespace OverlayControls
