#include "ui/abstractdialog.h"

#include "styles/kelstyle.h"
#include "ui/widgets/badgedbutton.h"
#include "widgets/kelbutton.h"

#include <QCloseEvent>

namespace {

constexpr int RejectButtonStyle = KelStyle::WT_Button_Dialog;
constexpr int AcceptButtonStyle = KelStyle::WT_Button_Dialog_Accent;
constexpr int Rejected = 0;
constexpr int Accepted = 1;

} // namespace

class AbstractDialog::Private
{
public:
    KelButton *rejectButton = nullptr;
    BadgedButton *acceptButton = nullptr;
    bool finished = false;
};

AbstractDialog::AbstractDialog(int styleId, WindowParams params, QWidget *parent,
                               ShadowType shadowType)
    : KelDialog(styleId, params, parent, shadowType, false), d(std::make_unique<Private>())
{
    d->rejectButton = new KelButton(RejectButtonStyle);
    addButton(Rejected, d->rejectButton);
    d->acceptButton = new BadgedButton(AcceptButtonStyle);
    addButton(Accepted, d->acceptButton);
}

AbstractDialog::~AbstractDialog() = default;

KelButton *AbstractDialog::rejectButton() const
{
    return d->rejectButton;
}

BadgedButton *AbstractDialog::acceptButton() const
{
    return d->acceptButton;
}

void AbstractDialog::loadData() { }

bool AbstractDialog::onReject()
{
    return true;
}

bool AbstractDialog::onAccept()
{
    return true;
}

void AbstractDialog::done(int result)
{
    if (result == Rejected && !onReject())
        return;
    if (result == Accepted && !onAccept())
        return;
    d->finished = true;
    KelDialog::done(result);
}

void AbstractDialog::closeEvent(QCloseEvent *event)
{
    event->ignore();
    if (!d->finished && !onReject())
        return;
    event->accept();
    QWidget::closeEvent(event);
}

#include "moc_abstractdialog.cpp"
