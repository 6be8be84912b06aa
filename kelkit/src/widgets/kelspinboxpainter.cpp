#include "widgets/kelspinboxpainter.h"

#include "utils/kelgeometryutils.h"
#include "widgets/kelspinboxarrowpainter.h"

#include <QAbstractSpinBox>
#include <QDebug>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionSpinBox>

namespace {

// Lays out a spin box for its painter: the edit field inside the frame and
// the arrows at its right end, meeting at the centre line.
class SpinBoxProxyStyle : public QProxyStyle
{
public:
    SpinBoxProxyStyle(KelSpinBoxPainter *painter, QObject *parent) : m_painter(painter)
    {
        setParent(parent);
    }

    // The painter dies before its spin box; the spin box then gets the
    // plain layout.
    void detach() { m_painter = nullptr; }

    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &contents,
                           const QWidget *widget) const override
    {
        const auto *spin = qstyleoption_cast<const QStyleOptionSpinBox *>(option);
        if (type != CT_SpinBox || !spin || !m_painter)
            return QProxyStyle::sizeFromContents(type, option, contents, widget);
        const QMargins c = m_painter->contentsMargins() + frameBands();
        return contents + QSize(c.left() + c.right() + arrowWidth(spin), c.top() + c.bottom());
    }

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option,
                         SubControl subControl, const QWidget *widget) const override
    {
        const auto *spin = qstyleoption_cast<const QStyleOptionSpinBox *>(option);
        if (control != CC_SpinBox || !spin || !m_painter)
            return QProxyStyle::subControlRect(control, option, subControl, widget);
        const QRect content = spin->rect.marginsRemoved(frameBands());
        const int arrows = arrowWidth(spin);
        const QRect edit = content.adjusted(0, 0, -arrows, 0);
        switch (subControl) {
        case SC_SpinBoxEditField:
            return edit;
        case SC_SpinBoxUp:
        case SC_SpinBoxDown: {
            if (arrows < 1)
                return QRect();
            const QRect area(QPoint(edit.right() + 1, content.top()), content.bottomRight());
            const int centre = area.center().y();
            if (subControl == SC_SpinBoxUp) {
                const QRect upper(area.topLeft(), QPoint(area.right(), centre));
                return KelUtils::fitRect(Qt::AlignRight | Qt::AlignBottom, upper,
                                         m_painter->upArrowPainter()->sizeHint());
            }
            const QRect lower(QPoint(area.left(), centre + 1), area.bottomRight());
            return KelUtils::fitRect(Qt::AlignRight | Qt::AlignTop, lower,
                                     m_painter->downArrowPainter()->sizeHint());
        }
        default:
            return QProxyStyle::subControlRect(control, option, subControl, widget);
        }
    }

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_SpinControls_DisableOnBounds)
            return true;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    QMargins frameBands() const { return m_painter->margins() + m_painter->borderWidths(); }

    int arrowWidth(const QStyleOptionSpinBox *spin) const
    {
        if (spin->buttonSymbols == QAbstractSpinBox::NoButtons || !m_painter->upArrowPainter()
            || !m_painter->downArrowPainter())
            return 0;
        return m_painter->upArrowPainter()->sizeHint().width();
    }

    KelSpinBoxPainter *m_painter;
};

} // namespace

KelSpinBoxPainter::KelSpinBoxPainter(QWidget *owner) : KelFramePainter(owner)
{
    m_upArrowPainter = std::make_unique<KelSpinBoxArrowPainter>(this);
    m_downArrowPainter = std::make_unique<KelSpinBoxArrowPainter>(this);
    if (auto *spin = qobject_cast<QAbstractSpinBox *>(owner)) {
        spin->setFrame(false);
        m_style = new SpinBoxProxyStyle(this, spin);
        spin->setStyle(m_style);
    }
}

KelSpinBoxPainter::~KelSpinBoxPainter()
{
    if (m_style)
        static_cast<SpinBoxProxyStyle *>(m_style.data())->detach();
}

KelSpinBoxArrowPainter *KelSpinBoxPainter::upArrowPainter() const
{
    return m_upArrowPainter.get();
}

KelSpinBoxArrowPainter *KelSpinBoxPainter::downArrowPainter() const
{
    return m_downArrowPainter.get();
}

void KelSpinBoxPainter::drawSpinBox(KelPaintContext &ctx, const QStyleOptionSpinBox *option)
{
    QWidget *owner = widget();
    if (!owner || !option) {
        qWarning() << "KelSpinBoxPainter paint failed, base:" << owner << ", opt:" << option;
        return;
    }
    if (option->buttonSymbols == QAbstractSpinBox::NoButtons)
        return;

    struct Arrow
    {
        QStyle::SubControl control;
        QAbstractSpinBox::StepEnabledFlag step;
        KelSpinBoxArrowPainter *painter;
        const char *failure;
    };
    const Arrow arrows[] = {
            {QStyle::SC_SpinBoxUp, QAbstractSpinBox::StepUpEnabled, m_upArrowPainter.get(),
             "Cant calc spinbox up arrow rect, check spin->upButton() style"},
            {QStyle::SC_SpinBoxDown, QAbstractSpinBox::StepDownEnabled, m_downArrowPainter.get(),
             "Cant calc spinbox down arrow rect, check spin->downButton() style"},
    };
    for (const Arrow &arrow : arrows) {
        if (!(option->subControls & arrow.control))
            continue;
        const QRect rect = owner->style()->subControlRect(QStyle::CC_SpinBox, option, arrow.control,
                                                          owner);
        if (rect.isEmpty()) {
            // Every paint would say it again.
            if (!m_arrowFailureReported)
                qWarning() << arrow.failure;
            m_arrowFailureReported = true;
            continue;
        }
        const bool enabled = (option->state & QStyle::State_Enabled)
                && (option->stepEnabled & arrow.step);
        const bool active = option->activeSubControls & arrow.control;
        const bool hovered = (option->state & QStyle::State_MouseOver) && active && enabled;
        const bool pressed = (option->state & QStyle::State_Sunken) && active && enabled;
        arrow.painter->paintArrow(ctx, rect, hovered, pressed, !enabled);
    }
}
