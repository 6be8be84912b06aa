#pragma once

#include "widgets/kellineedit.h"

// A label-like line edit that is edited in place: Escape puts back the text
// it had when it took the focus, Return and Enter end the editing, and
// after editing the start of the text shows. Ending the editing clears the
// focus. GUI thread only.
class EditableLabel : public KelLineEdit
{
    Q_OBJECT

public:
    explicit EditableLabel(int styleId, QWidget *parent = nullptr);
    ~EditableLabel() override;

protected:
    bool event(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString m_textAtFocusIn;
};
