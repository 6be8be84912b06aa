#pragma once

class QLabel;
class QTextDocument;
class QTextOption;

namespace KelPlatform {

// Our own definitions of QLabel::setText and
// QTextDocument::setDefaultTextOption take the place of Qt's for every
// caller that binds to them through the dynamic linker: the program's code
// and the other Qt libraries (QLabel's rich-text layout sets the option of
// its document that way). They call on to Qt's implementation, which
// dlsym(RTLD_NEXT) finds, and add the handler's work once one is set.
// Calls that Qt Widgets makes to QLabel::setText inside its own library
// never reach ours. A Qt function that cannot be found is fatal.

// Called after a label's text has really changed.
using LabelTextChangedHandler = void (*)(QLabel *label);
// May edit the option before the document takes it.
using TextOptionFilter = void (*)(QTextDocument *document, QTextOption &option);

void hookLabelSetText(LabelTextChangedHandler handler);
void hookTextDocumentDefaultTextOption(TextOptionFilter filter);

} // namespace KelPlatform
