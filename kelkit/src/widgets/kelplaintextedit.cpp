#include "widgets/kelplaintextedit.h"

#include "animators/kelwidgetstateanimator.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "styles/kelstyle.h"

#include <QAbstractTextDocumentLayout>
#include <QMetaObject>
#include <QTextBlock>
#include <QtMath>

class KelPlainTextEdit::Private
{
public:
    explicit Private(KelPlainTextEdit *q) : q(q) { }

    // Everything the frame draws around the text.
    QMargins frameBands() const
    {
        return q->margins() + q->borderWidths() + q->KelFramePainter::contentsMargins();
    }
    int autoHeight() const;
    int documentHeight() const;

    KelPlainTextEdit *q;
    QMetaObject::Connection autoHeightConnection;
    KelWidgetStateAnimator *stateAnimator = nullptr;
};

int KelPlainTextEdit::Private::autoHeight() const
{
    const QMargins bands = frameBands();
    return documentHeight() + 2 * q->frameWidth() + bands.top() + bands.bottom();
}

int KelPlainTextEdit::Private::documentHeight() const
{
    qreal height = 2 * q->document()->documentMargin();
    for (QTextBlock block = q->document()->firstBlock(); block.isValid(); block = block.next())
        height += q->blockBoundingRect(block).height();
    return qCeil(height);
}

KelPlainTextEdit::KelPlainTextEdit(int styleId, QWidget *parent)
    : QPlainTextEdit(parent), KelFramePainter(this), KelStyleable(styleId),
      d(std::make_unique<Private>(this))
{
    // The frame painter draws the frame; the viewport shows through it.
    setFrameStyle(QFrame::NoFrame);
    QPalette palette = this->palette();
    palette.setBrush(QPalette::Base, Qt::transparent);
    setPalette(palette);
    // Follows enabled state, hover and focus, as the line edit's does.
    d->stateAnimator = new KelWidgetStateAnimator(2, this);
    d->stateAnimator->setWidget(this);
    if (hasStyleId())
        applyStyle();
}

KelPlainTextEdit::KelPlainTextEdit(QWidget *parent) : KelPlainTextEdit(-1, parent) { }

KelPlainTextEdit::~KelPlainTextEdit() = default;

void KelPlainTextEdit::setAutoHeight(bool on)
{
    if (bool(d->autoHeightConnection) == on)
        return;
    if (on) {
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        d->autoHeightConnection = connect(document()->documentLayout(),
                                          &QAbstractTextDocumentLayout::documentSizeChanged, this,
                                          [this] { updateGeometry(); });
    } else {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        disconnect(d->autoHeightConnection);
        d->autoHeightConnection = {};
    }
    updateGeometry();
}

void KelPlainTextEdit::applyStyle()
{
    if (hasStyleId())
        kelStyle()->applyPlainTextEditStyle(this, styleId());
}

// A scroll area's size hints ignore its contents, and layouts never go
// below the minimum hint, so both follow the laid-out document here.
QSize KelPlainTextEdit::sizeHint() const
{
    QSize hint = QPlainTextEdit::sizeHint();
    if (d->autoHeightConnection)
        hint.setHeight(d->autoHeight());
    return hint;
}

QSize KelPlainTextEdit::minimumSizeHint() const
{
    QSize hint = QPlainTextEdit::minimumSizeHint();
    if (d->autoHeightConnection)
        hint.setHeight(d->autoHeight());
    return hint;
}

bool KelPlainTextEdit::event(QEvent *event)
{
    // The scroll area's own surface: the frame under the viewport.
    if (event->type() == QEvent::Paint) {
        KelPaintContext ctx(this);
        paintFrame(ctx, d->stateAnimator);
        if (KelPainting::dbgPaintKelFrame())
            KelPainting::diagPaintFramePainter(ctx, this);
        return true;
    }
    return QPlainTextEdit::event(event);
}

void KelPlainTextEdit::resizeEvent(QResizeEvent *event)
{
    setFrameSize(size());
    QPlainTextEdit::resizeEvent(event);
}

void KelPlainTextEdit::onGeometryChanged()
{
    setViewportMargins(d->frameBands());
    updateGeometry();
}

#include "moc_kelplaintextedit.cpp"
