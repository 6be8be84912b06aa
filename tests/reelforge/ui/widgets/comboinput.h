#pragma once

#include "popupinput.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "windows/kelcombobox.h"
#include "windows/kelpopupmenu.h"

#include <QBoxLayout>
#include <QtTest>

// Input and inspection of the framework combos in a shown window.
namespace ComboInput {

// The item buttons in the popup's order.
inline QList<KelButton *> itemButtons(const KelComboBox *combo)
{
    QList<KelButton *> buttons;
    QBoxLayout *layout = combo->popup()->contentLayout();
    for (int i = 0; i < layout->count(); ++i) {
        if (auto *button = qobject_cast<KelButton *>(layout->itemAt(i)->widget()))
            buttons.append(button);
    }
    return buttons;
}

// The item buttons' texts in the popup's order.
inline QStringList itemTexts(const KelComboBox *combo)
{
    QStringList texts;
    for (const KelButton *button : itemButtons(combo))
        texts.append(button->text());
    return texts;
}

// Opens the combo's popup by a click and clicks the item with that text, as
// a user would; returns once the popup has closed and the posted signals
// have run.
inline bool choose(KelComboBox *combo, const QString &text)
{
    PopupInput::click(PopupInput::centreOf(combo));
    if (!QTest::qWaitFor([combo] { return combo->isPopupVisible(); }, WaitBound::ms()))
        return false;
    if (!QTest::qWaitForWindowExposed(combo->popup(), WaitBound::ms()))
        return false;
    KelButton *item = nullptr;
    for (KelButton *button : itemButtons(combo)) {
        if (button->text() == text)
            item = button;
    }
    if (!item)
        return false;
    PopupInput::click(PopupInput::centreOf(item));
    if (!QTest::qWaitFor([combo] { return !combo->isPopupVisible(); }, WaitBound::ms()))
        return false;
    QCoreApplication::processEvents();
    return true;
}

} // namespace ComboInput
