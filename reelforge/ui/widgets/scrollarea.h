#pragma once

#include "widgets/kelscrollarea.h"

class ItemButton;
class KelExclusiveButtonGroup;
class QVBoxLayout;

// A scrolling column of exclusive item rows, as the preset chooser's two
// lists use it. A fill starts with clearItems(), adds rows with addItem()
// and ends with finishFill(). A row whose data holds a preset shows the
// preset's frame size or audio bit rate as its information text.
// GUI thread only.
class ScrollArea : public KelScrollArea
{
    Q_OBJECT

public:
    explicit ScrollArea(int buttonStyleId, QWidget *parent = nullptr);
    ~ScrollArea() override;

    KelExclusiveButtonGroup *group() const;
    QList<ItemButton *> items() const;

    // Disables the layout and deletes every row.
    void clearItems();
    ItemButton *addItem(const QString &text, const QString &iconPath, const QVariant &data);
    // Appends the closing stretch, enables the layout again and sizes the
    // content to the viewport's width.
    void finishFill();
    // Recomputes the information texts, as after a change of language.
    void updateInfoTexts();

signals:
    void buttonClicked();

private:
    KelExclusiveButtonGroup *m_group = nullptr;
    QWidget *m_content = nullptr;
    QVBoxLayout *m_layout = nullptr;
};
