#include "utils/kelhooks.h"

#include "utils/platform/qtsymbolhooks.h"

#include <QTextDocument>

#include <map>

namespace {

struct TextOptionOverride
{
    KelUtils::ITextOptionCallback *callback = nullptr;
    QMetaObject::Connection ownerDestroyed;
};

// Owners in address order. Used on the GUI thread only.
std::map<QObject *, TextOptionOverride> &textOptionOverrides()
{
    static std::map<QObject *, TextOptionOverride> overrides;
    return overrides;
}

void editTextOption(QTextDocument *document, QTextOption &option)
{
    for (const auto &entry : textOptionOverrides()) {
        if (entry.first->findChild<QTextDocument *>() == document) {
            entry.second.callback->editTextOption(option);
            return;
        }
    }
}

} // namespace

namespace KelHooks {

void installTextOptionHook()
{
    KelPlatform::hookTextDocumentDefaultTextOption(editTextOption);
}

void installLabelSetTextHook(void (*textChanged)(QLabel *label))
{
    KelPlatform::hookLabelSetText(textChanged);
}

void registerTextOptionOverride(QObject *owner, KelUtils::ITextOptionCallback *callback)
{
    if (!owner || !callback)
        return;
    TextOptionOverride &entry = textOptionOverrides()[owner];
    entry.callback = callback;
    if (!entry.ownerDestroyed) {
        // Captures the address alone: by then the owner is no longer what
        // it was.
        entry.ownerDestroyed = QObject::connect(owner, &QObject::destroyed,
                                                [owner] { unregisterTextOptionOverride(owner); });
    }
}

void unregisterTextOptionOverride(QObject *owner)
{
    auto &overrides = textOptionOverrides();
    const auto entry = overrides.find(owner);
    if (entry == overrides.end())
        return;
    QObject::disconnect(entry->second.ownerDestroyed);
    overrides.erase(entry);
}

} // namespace KelHooks
