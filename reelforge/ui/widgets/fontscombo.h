#pragma once

#include "widgets/kelbutton.h"
#include "windows/kelpopupmenu.h"

#include <QMap>
#include <QString>

#include <memory>

class FontsCombo;
class KelExclusiveButtonGroup;
class KelLineEdit;

// What the font chooser knows of one installed family.
struct FamilyInfo
{
    bool isSymbol = false;
    // Only for families whose names their own glyphs cannot show.
    QString sampleText;
    bool hasBold = false;
    bool hasItalic = false;
};

// The one menu of font families that every FontsCombo opens: a filter
// field over a column of rows, one per installed family, each drawn in its
// own typeface while filling stays within the fill budget. Made once by
// FontsCombo::initSharedMenu(). GUI thread only.
class GlobalFamiliesMenu : public KelPopupMenu
{
public:
    static constexpr int DefaultFillBudgetMs = 2000;
    static constexpr int FilterDelayMs = 150;

    GlobalFamiliesMenu(QWidget *parent, int popupStyleId, int rowStyleId, int filterStyleId);
    ~GlobalFamiliesMenu() override;

    // How long the fill may give rows their own typeface; menus made
    // afterwards use it.
    static void setFillBudget(int ms);

    QMap<QString, FamilyInfo> families() const;
    KelLineEdit *filterField() const;
    KelExclusiveButtonGroup *rowSwitch() const;
    // Null for a family without a row.
    KelButton *row(const QString &family) const;
    // The combo the menu was last shown for.
    FontsCombo *owner() const;

    // Checks the combo's family, sizes the menu to the combo and shows it
    // below the combo.
    void showFor(FontsCombo *combo);

private:
    class Private;
    std::unique_ptr<Private> d;
};

// A combo button that shows a font family and chooses it from the shared
// families menu. Setting a family reports whether it has bold and italic
// faces; a family the menu does not list has neither.
//
//     FontsCombo::initSharedMenu(mainWindow, Style::WT_PopupMenu_List, KelStyle::WT_PopupMenuButton,
//     Style::WT_LineEdit_Search_Underlined); auto *fonts = new FontsCombo(18, dialog);
//     fonts->setFamily(watermark->fontFamily());
//     connect(fonts, &FontsCombo::familyChanged, watermark, &PipObject::setFontFamily);
//
// GUI thread only.
class FontsCombo : public KelButton
{
    Q_OBJECT
    Q_PROPERTY(QString family READ family WRITE setFamily NOTIFY familyChanged)

public:
    explicit FontsCombo(int styleId, QWidget *parent = nullptr);
    ~FontsCombo() override;

    // Makes the shared menu; once per process while it lives.
    static void initSharedMenu(QWidget *parent, int popupStyleId, int rowStyleId, int filterStyleId);
    static void setSharedMenuPlaceholderText(const QString &text);
    // Null before initSharedMenu() or once the menu is gone.
    static GlobalFamiliesMenu *sharedMenu();

    QString family() const;
    bool hasBold() const;
    bool hasItalic() const;
    void setFamily(const QString &family);

signals:
    void familyChanged(QString value);
    void hasBoldChanged(bool value);
    void hasItalicChanged(bool value);

private:
    class Private;
    std::unique_ptr<Private> d;
};
