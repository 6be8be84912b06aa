#pragma once

class QLabel;
class QObject;
class QTextOption;

namespace KelUtils {

// Edits the default text option that Qt gives a document inside a widget.
class ITextOptionCallback
{
public:
    virtual ~ITextOptionCallback() = default;
    virtual void editTextOption(QTextOption &option) = 0;
};

} // namespace KelUtils

// The framework's changes to Qt functions for the whole process:
// - QLabel::setText hands every real change of a label's text, whoever sets
//   it, to the handler given at installation;
// - QTextDocument::setDefaultTextOption lets the widget that registered an
//   override edit the option of its own document, even when Qt resets it.
// Until installed, both behave exactly as Qt's. KelApplication installs
// them when it is constructed. GUI thread only.
//
// QApplication::widgetAt and QWindow::geometry are left as Qt has them, as
// on X11 Qt already answers what a change would add:
// - widgetAt finds the top-level window through the X server, which skips
//   the parts a mask cuts away (a widget mask is the window's X shape) and
//   windows transparent for mouse events (Qt gives them an empty input
//   shape), so a click-through window is looked through;
// - QWindow::geometry is kept from the X server's configure events, which
//   arrive through the event loop also while the window manager moves or
//   resizes the window, so it is the native rectangle in logical pixels.
namespace KelHooks {

void installTextOptionHook();
void installLabelSetTextHook(void (*textChanged)(QLabel *label));

// Registers the callback for the first QTextDocument below the owner,
// replacing an earlier one. The entry goes when the owner is destroyed.
void registerTextOptionOverride(QObject *owner, KelUtils::ITextOptionCallback *callback);
void unregisterTextOptionOverride(QObject *owner);

} // namespace KelHooks
