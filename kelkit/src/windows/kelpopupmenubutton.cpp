#include "windows/kelpopupmenubutton.h"

#include "styles/kelstyle.h"
#include "utils/kelgeometryutils.h"
#include "utils/kellayoututils.h"
#include "windows/kelcombobox.h"
#include "windows/kelpopupmenu.h"

#include <QBoxLayout>
#include <QEvent>

namespace {

constexpr int PopupStyleId = KelStyle::WT_PopupMenu;
constexpr int OffsetMetric = KelStyle::M_SubMenu_Overlap;
constexpr int ComboOffsetSize = 1;

} // namespace

class KelPopupMenuButton::Private
{
public:
    KelPopupMenu *ensurePopup();
    bool hasVisiblePopup() const { return popup && popup->isVisible(); }

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

    connect(this, &QObject::objectNameChanged, this, [this](const QString &name) {
        if (d->popup)
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
    connect(this, &KelWidget::hided, this, &KelPopupMenuButton::closePopup);

    if (!noStyle)
        applyStyle();
}

KelPopupMenuButton::~KelPopupMenuButton() = default;

KelPopupMenu *KelPopupMenuButton::Private::ensurePopup()
{
    if (popup)
        return popup;
    popup = new KelPopupMenu(PopupStyleId, Qt::Vertical, owner);
    // Presses on the button while the popup is open still reach it.
    popup->addWatchedWidget(owner);
    const QString name = owner->objectName();
    popup->setObjectName(name.isEmpty() ? QStringLiteral("KelPopupButtonPopup")
                                        : name + QStringLiteral(" Popup"));
    KelPopupMenuButton *button = owner;
    QObject::connect(popup, &KelWidget::showed, owner, [button] { button->setCheckedState(true); });
    QObject::connect(popup, &KelWidget::hided, owner, [button] {
        button->setCheckedState(false);
        button->popupHidden();
    });
    owner->popupCreated(popup);
    return popup;
}

KelPopupMenu *KelPopupMenuButton::popup() const
{
    return d->ensurePopup();
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
    if (d->hasVisiblePopup() || !isVisible() || !isEnabled())
        return;
    d->ensurePopup();
    bool allow = true;
    aboutToShowPopup(&allow);
    if (!allow)
        return;
    const QRect anchor = KelUtils::globalRect(this).marginsRemoved(margins());
    d->popup->placeBesideRect(anchor, d->popupEdge, d->popupAlignment, animated, d->popupOffset, 1);
}

void KelPopupMenuButton::closePopup()
{
    if (d->hasVisiblePopup())
        d->popup->close();
}

void KelPopupMenuButton::clearPopup()
{
    if (!d->popup)
        return;
    if (isVisible() && d->popup->isVisible())
        d->popup->close();
    KelUtils::deleteLayoutItems(d->popup->contentLayout());
}

bool KelPopupMenuButton::isPopupVisible() const
{
    return d->hasVisiblePopup();
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

void KelPopupMenuButton::popupCreated(KelPopupMenu *) { }

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
