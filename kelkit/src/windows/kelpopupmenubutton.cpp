#include "windows/kelpopupmenubutton.h"

#include "styles/kelstyle.h"
#include "utils/kelgeometryutils.h"
#include "utils/kellayoututils.h"
#include "windows/kelcombobox.h"
#include "windows/kelpopupmenu.h"

#include <QBoxLayout>
#include <QEvent>

namespace {

constexpr int PopupStyleId = 3;
constexpr int OffsetMetric = 10;
constexpr int ComboOffsetSize = 1;

} // namespace

class KelPopupMenuButton::Private
{
public:
    KelPopupMenuButton *owner = nullptr;
    KelPopupMenu *popup = nullptr;
    int openMode = OpenOnToggle;
    int popupEdge = Qt::BottomEdge;
    int popupAlignment = Qt::AlignLeft;
    bool offsetSet = false;
    QPoint popupOffset;
};

KelPopupMenuButton::KelPopupMenuButton(int styleId, int openMode, int popupEdge, int popupAlignment,
                                       QWidget *parent, bool noStyle)
    : KelButton(styleId, parent, true), d(std::make_unique<Private>())
{
    d->owner = this;
    d->openMode = openMode;
    d->popupEdge = popupEdge;
    d->popupAlignment = popupAlignment;
    setCheckable(true);

    d->popup = new KelPopupMenu(PopupStyleId, Qt::Vertical, this);
    // Presses on the button while the popup is open still reach it.
    d->popup->addWatchedWidget(this);
    d->popup->setObjectName(QStringLiteral("KelPopupButtonPopup"));
    connect(this, &QObject::objectNameChanged, this, [this](const QString &name) {
        d->popup->setObjectName(name + QStringLiteral(" Popup"));
    });

    if (openMode == OpenOnToggle) {
        connect(this, &KelButton::toggled, this, [this](bool checked) {
            if (!checked) {
                closePopup();
                return;
            }
            showPopup(true);
            // Checked goes with a shown popup, also when it did not open.
            if (!isPopupVisible())
                setCheckedState(false);
        });
    }
    connect(d->popup, &KelWidget::showed, this, [this] { setCheckedState(true); });
    connect(d->popup, &KelWidget::hided, this, [this] {
        setCheckedState(false);
        popupHidden();
    });
    connect(this, &KelWidget::hided, this, &KelPopupMenuButton::closePopup);

    if (!noStyle)
        applyStyle();
}

KelPopupMenuButton::~KelPopupMenuButton() = default;

KelPopupMenu *KelPopupMenuButton::popup() const
{
    return d->popup;
}

int KelPopupMenuButton::openMode() const
{
    return d->openMode;
}

void KelPopupMenuButton::setPopupEdge(int edge)
{
    d->popupEdge = edge;
}

void KelPopupMenuButton::setPopupAlignment(int alignment)
{
    d->popupAlignment = alignment;
}

void KelPopupMenuButton::setPopupOffset(int dx, int dy)
{
    d->offsetSet = true;
    d->popupOffset = QPoint(dx, dy);
}

void KelPopupMenuButton::showPopup(bool animated)
{
    if (d->popup->isVisible() || !isVisible() || !isEnabled())
        return;
    bool allow = true;
    aboutToShowPopup(&allow);
    if (!allow)
        return;
    const QRect anchor = KelUtils::globalRect(this).marginsRemoved(margins());
    d->popup->placeBesideRect(anchor, d->popupEdge, d->popupAlignment, animated, d->popupOffset, 1);
}

void KelPopupMenuButton::closePopup()
{
    if (d->popup->isVisible())
        d->popup->close();
}

void KelPopupMenuButton::clearPopup()
{
    if (isVisible() && d->popup->isVisible())
        d->popup->close();
    KelUtils::deleteLayoutItems(d->popup->contentLayout());
}

bool KelPopupMenuButton::isPopupVisible() const
{
    return d->popup->isVisible();
}

void KelPopupMenuButton::applyStyle()
{
    if (!d->offsetSet) {
        if (qobject_cast<KelComboBox *>(this)) {
            const QSize size = kelStyle()->size(ComboOffsetSize);
            d->popupOffset = QPoint(size.width(), size.height());
        } else {
            const int metric = kelStyle()->metric(OffsetMetric);
            d->popupOffset = QPoint(-metric, metric);
        }
    }
    KelButton::applyStyle();
}

void KelPopupMenuButton::aboutToShowPopup(bool *) { }

void KelPopupMenuButton::popupHidden() { }

bool KelPopupMenuButton::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (d->openMode != OpenOnToggle) {
            event->accept();
            return true;
        }
        break;
    case QEvent::Enter:
        if (d->openMode == OpenOnHover)
            showPopup(true);
        break;
    default:
        break;
    }
    return KelButton::event(event);
}

#include "moc_kelpopupmenubutton.cpp"
