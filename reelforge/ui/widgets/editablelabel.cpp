#include "ui/widgets/editablelabel.h"

#include <QKeyEvent>

EditableLabel::EditableLabel(int styleId, QWidget *parent) : KelLineEdit(styleId, parent)
{
    setClearFocusOnClickOutside(true);
    connect(this, &QLineEdit::editingFinished, this, [this] {
        clearFocus();
        setCursorPosition(0);
    });
}

EditableLabel::~EditableLabel() = default;

bool EditableLabel::event(QEvent *event)
{
    // Escape and Return belong to the label while it edits, not to a
    // shortcut of the window.
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Cancel) || key->key() == Qt::Key_Return
            || key->key() == Qt::Key_Enter) {
            event->accept();
            return true;
        }
    }
    return KelLineEdit::event(event);
}

void EditableLabel::focusInEvent(QFocusEvent *event)
{
    m_textAtFocusIn = text();
    KelLineEdit::focusInEvent(event);
}

void EditableLabel::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel)) {
        setTextSilently(m_textAtFocusIn);
        clearFocus();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Consumed, so that a dialog's default button does not fire too.
        clearFocus();
        event->accept();
        return;
    }
    KelLineEdit::keyPressEvent(event);
}

#include "moc_editablelabel.cpp"
