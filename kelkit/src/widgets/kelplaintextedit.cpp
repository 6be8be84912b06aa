#include "widgets/kelplaintextedit.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QtMath>

KelPlainTextEdit::KelPlainTextEdit(QWidget *parent) : QPlainTextEdit(parent) { }

void KelPlainTextEdit::setAutoHeight(bool on)
{
    if (bool(m_autoHeightConnection) == on)
        return;
    if (on) {
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        m_autoHeightConnection = connect(document()->documentLayout(),
                                         &QAbstractTextDocumentLayout::documentSizeChanged, this,
                                         [this] { updateGeometry(); });
    } else {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        disconnect(m_autoHeightConnection);
        m_autoHeightConnection = {};
    }
    updateGeometry();
}

// A scroll area's size hints ignore its contents, and layouts never go
// below the minimum hint, so both follow the laid-out document here.
QSize KelPlainTextEdit::sizeHint() const
{
    QSize hint = QPlainTextEdit::sizeHint();
    if (m_autoHeightConnection)
        hint.setHeight(autoHeight());
    return hint;
}

QSize KelPlainTextEdit::minimumSizeHint() const
{
    QSize hint = QPlainTextEdit::minimumSizeHint();
    if (m_autoHeightConnection)
        hint.setHeight(autoHeight());
    return hint;
}

int KelPlainTextEdit::autoHeight() const
{
    const QMargins margins = contentsMargins() + viewportMargins();
    return documentHeight() + 2 * frameWidth() + margins.top() + margins.bottom();
}

int KelPlainTextEdit::documentHeight() const
{
    qreal height = 2 * document()->documentMargin();
    for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next())
        height += blockBoundingRect(block).height();
    return qCeil(height);
}
