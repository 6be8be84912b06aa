#include "utils/platform/qtsymbolhooks.h"

#include <QDebug>
#include <QLabel>
#include <QTextDocument>
#include <QTextOption>

#include <atomic>

#include <dlfcn.h>

namespace {

using LabelSetText = void (*)(QLabel *, const QString &);
using SetDefaultTextOption = void (*)(QTextDocument *, const QTextOption &);

const char LabelSetTextSymbol[] = "_ZN6QLabel7setTextERK7QString";
const char SetDefaultTextOptionSymbol[]
        = "_ZN13QTextDocument20setDefaultTextOptionERK11QTextOption";

// Qt's own implementation: the next definition after ours in the lookup
// order. The program cannot work on without it.
template<typename Function>
Function qtImplementation(const char *symbol)
{
    dlerror();
    void *address = dlsym(RTLD_NEXT, symbol);
    if (!address) {
        const char *error = dlerror();
        qCritical() << "Create FAILED" << symbol << (error ? error : "not found");
        qFatal("Qt's %s cannot be reached", symbol);
    }
    return reinterpret_cast<Function>(address);
}

LabelSetText qtLabelSetText()
{
    static const auto function = qtImplementation<LabelSetText>(LabelSetTextSymbol);
    return function;
}

SetDefaultTextOption qtSetDefaultTextOption()
{
    static const auto function = qtImplementation<SetDefaultTextOption>(SetDefaultTextOptionSymbol);
    return function;
}

std::atomic<KelPlatform::LabelTextChangedHandler> labelTextChanged{nullptr};
std::atomic<KelPlatform::TextOptionFilter> textOptionFilter{nullptr};

} // namespace

void QLabel::setText(const QString &text)
{
    const auto handler = labelTextChanged.load(std::memory_order_acquire);
    if (!handler) {
        qtLabelSetText()(this, text);
        return;
    }
    const bool changed = text != this->text();
    qtLabelSetText()(this, text);
    if (changed)
        handler(this);
}

void QTextDocument::setDefaultTextOption(const QTextOption &option)
{
    const auto filter = textOptionFilter.load(std::memory_order_acquire);
    if (!filter) {
        qtSetDefaultTextOption()(this, option);
        return;
    }
    QTextOption edited = option;
    filter(this, edited);
    qtSetDefaultTextOption()(this, edited);
}

namespace KelPlatform {

void hookLabelSetText(LabelTextChangedHandler handler)
{
    // Resolved now, so that a missing symbol shows at start-up.
    qtLabelSetText();
    labelTextChanged.store(handler, std::memory_order_release);
}

void hookTextDocumentDefaultTextOption(TextOptionFilter filter)
{
    qtSetDefaultTextOption();
    textOptionFilter.store(filter, std::memory_order_release);
}

} // namespace KelPlatform
