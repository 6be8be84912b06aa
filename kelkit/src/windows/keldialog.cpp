#include "windows/keldialog.h"

#include "widgets/kelbutton.h"
#include "widgets/kelframe.h"

#include <QApplication>
#include <QDebug>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QVBoxLayout>

namespace {

const char ButtonIndexProperty[] = "KELPROP_ButtonIndex";

} // namespace

class KelDialog::Private
{
public:
    void dropParentShownConnection();

    QPointer<QEventLoop> loop;
    int defaultButtonIndex = 0;
    int result = 0;
    QMap<int, QPointer<QWidget>> buttons;
    KelFrame *content = nullptr;
    KelFrame *footer = nullptr;
    QMetaObject::Connection parentShownConnection;
};

void KelDialog::Private::dropParentShownConnection()
{
    QObject::disconnect(parentShownConnection);
    parentShownConnection = QMetaObject::Connection();
}

KelDialog::KelDialog(int styleId, WindowParams params, QWidget *parent, ShadowType shadowType,
                     bool deferStyle)
    : KelWindow(styleId, params | Movable | WindowButtons, parent, shadowType, true),
      d(std::make_unique<Private>())
{
    setWindowModality(Qt::WindowModal);

    auto *column = new QVBoxLayout(centralWidget());
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    d->content = new KelFrame(centralWidget());
    d->content->setObjectName(QStringLiteral("KelDialogContent"));
    column->addWidget(d->content);
    d->footer = new KelFrame(centralWidget());
    d->footer->setObjectName(QStringLiteral("KelFooter"));
    d->footer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    column->addWidget(d->footer);

    if (!d->footer->layout()) {
        auto *row = new QHBoxLayout(d->footer);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
    }
    if (QBoxLayout *row = footerLayout())
        row->addStretch();

    if (!deferStyle)
        KelWindow::applyStyle();
}

KelDialog::~KelDialog()
{
    if (d->loop)
        d->loop->exit(0);
}

KelFrame *KelDialog::contentWidget() const
{
    return d->content;
}

KelFrame *KelDialog::footerWidget() const
{
    return d->footer;
}

QBoxLayout *KelDialog::footerLayout() const
{
    return qobject_cast<QBoxLayout *>(d->footer->layout());
}

QWidget *KelDialog::addButton(int index, QWidget *button, bool isDefault, bool atFront)
{
    QBoxLayout *row = footerLayout();
    if (!row || !button)
        return nullptr;
    button->setProperty(ButtonIndexProperty, index);
    if (atFront)
        row->insertWidget(0, button);
    else
        row->addWidget(button);
    d->buttons.insert(index, button);
    if (isDefault && d->defaultButtonIndex == 0)
        d->defaultButtonIndex = index;
    if (auto *kelButton = qobject_cast<KelButton *>(button)) {
        connect(kelButton, &KelButton::clicked, this,
                [this, kelButton] { done(kelButton->property(ButtonIndexProperty).toInt()); });
    } else {
        qWarning() << "A dialog button must be a KelButton to end the dialog:" << button;
    }
    return button;
}

QWidget *KelDialog::button(int index) const
{
    return d->buttons.value(index);
}

QWidget *KelDialog::defaultButton() const
{
    return d->defaultButtonIndex != 0 ? button(d->defaultButtonIndex) : nullptr;
}

int KelDialog::result() const
{
    return d->result;
}

int KelDialog::exec(ShowStrategy strategy)
{
    if (d->loop)
        return 0;
    const bool deleteOnClose = testAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_DeleteOnClose, false);
    d->result = 0;

    showWhenParentReady(strategy);

    const Qt::MouseButtons pressed = QGuiApplication::mouseButtons();
    if (pressed != Qt::NoButton) {
        qCritical() << "There are pressed mouse buttons on dialog exec:" << pressed
                    << "Please dont exec dialogs from mousePress() or mouseDoubleClick() event "
                       "handlers!"
                    << "Because mouseRelease can go to wrong window and internal "
                       "QGuiApplicaktion::mouse_buttons state can get wrong state";
    }

    QPointer<KelDialog> self(this);
    QEventLoop loop;
    d->loop = &loop;
    loop.exec(QEventLoop::DialogExec);
    if (!self)
        return 0;
    d->loop = nullptr;
    const int result = d->result;
    if (deleteOnClose)
        delete this;
    return result;
}

void KelDialog::showWhenParentReady(ShowStrategy strategy)
{
    d->dropParentShownConnection();
    QWidget *parent = parentWidget();
    auto *parentWindow = parent ? qobject_cast<KelWidget *>(parent->window()) : nullptr;
    if (parentWindow && (parentWindow->isHidden() || parentWindow->isMinimized())) {
        if (parentWindow->isMinimized())
            QApplication::alert(parentWindow);
        d->parentShownConnection = connect(parentWindow, &KelWidget::showed, this, [this] {
            d->dropParentShownConnection();
            showWithStrategy(CenteredOnParent);
        });
        return;
    }
    showWithStrategy(strategy);
}

void KelDialog::done(int result)
{
    d->result = result;
    // A dialog still waiting for its parent is hidden already: closing it
    // sends no hide that would end exec().
    if (close() && d->loop)
        d->loop->exit(0);
}

void KelDialog::setVisible(bool visible)
{
    if (!visible)
        d->dropParentShownConnection();
    KelWindow::setVisible(visible);
}

bool KelDialog::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // A disabled default button, as in an empty text box that needs
            // text, cannot be chosen by the keyboard either.
            QWidget *defaultWidget = defaultButton();
            if (defaultWidget && defaultWidget->isEnabled()) {
                done(d->defaultButtonIndex);
                event->accept();
                return true;
            }
            break;
        }
        if (key->matches(QKeySequence::Cancel)) {
            done(0);
            event->accept();
            return true;
        }
        break;
    }
    case QEvent::Hide:
        if (d->loop && !((params() & MinimizeButton) && isMinimized()))
            d->loop->exit(0);
        break;
    case QEvent::Close:
        d->dropParentShownConnection();
        break;
    default:
        break;
    }
    return KelWindow::event(event);
}

#include "moc_keldialog.cpp"
