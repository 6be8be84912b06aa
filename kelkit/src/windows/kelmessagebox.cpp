#include "windows/kelmessagebox.h"

#include "styles/kelstyle.h"
#include "widgets/kelframe.h"
#include "widgets/keliconwidget.h"
#include "widgets/kellabel.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QPointer>

#include <algorithm>

namespace {

constexpr int MessageBoxStyleId = KelStyle::WT_MessageBox;
constexpr int MessageLabelStyleId = KelStyle::WT_Label_Message;
constexpr int IconBesideTextMetric = KelStyle::M_MessageBox_IconBesideText;
// A longer word is wrapped anywhere, so it cannot widen the box.
constexpr int LongestWrappedWord = 100;

} // namespace

class KelMessageBox::Private
{
public:
    void updateWrapMode();
    void updateDefaultButton();

    KelMessageBox *q = nullptr;
    QBoxLayout *contentLayout = nullptr;
    QBoxLayout *messageLayout = nullptr;
    KelIconWidget *icon = nullptr;
    KelLabel *message = nullptr;
    // The line edit that must hold text for the default button to work.
    QPointer<QLineEdit> requiredText;
};

void KelMessageBox::Private::updateWrapMode()
{
    if (!message->wordWrap())
        return;
    const QStringList words = message->text().split(QLatin1Char(' '));
    const bool hasLongWord = std::any_of(words.cbegin(), words.cend(), [](const QString &word) {
        return word.size() > LongestWrappedWord;
    });
    message->setWrapAnywhere(hasLongWord);
}

void KelMessageBox::Private::updateDefaultButton()
{
    QWidget *button = q->defaultButton();
    if (requiredText && button)
        button->setEnabled(!requiredText->text().isEmpty());
}

KelMessageBox::KelMessageBox(QWidget *parent, bool deferStyle)
    : KelDialog(MessageBoxStyleId, Movable, parent, Default, true), d(std::make_unique<Private>())
{
    d->q = this;
    setObjectName(QStringLiteral("KelMessageBox"));

    KelFrame *content = contentWidget();
    if (auto *existing = qobject_cast<QBoxLayout *>(content->layout())) {
        d->contentLayout = existing;
    } else {
        d->contentLayout = new QVBoxLayout(content);
        d->contentLayout->setContentsMargins(0, 0, 0, 0);
        d->contentLayout->setSpacing(0);
    }
    d->contentLayout->setObjectName(QStringLiteral("KelContentLayout"));

    const bool iconBesideText = kelStyle()->metric(IconBesideTextMetric) == 1;
    if (iconBesideText)
        d->messageLayout = new QHBoxLayout();
    else
        d->messageLayout = new QVBoxLayout();
    d->messageLayout->setObjectName(QStringLiteral("KelMessageLayout"));
    d->contentLayout->addLayout(d->messageLayout);
    d->messageLayout->setContentsMargins(0, 0, 0, 0);
    d->messageLayout->setSpacing(0);

    d->icon = new KelIconWidget(content);
    d->icon->setObjectName(QStringLiteral("KelIcon"));
    d->message = new KelLabel(MessageLabelStyleId, content);
    d->message->setObjectName(QStringLiteral("KelMessage"));
    d->message->setWordWrap(true);
    d->messageLayout->addWidget(d->icon, 0, iconBesideText ? Qt::Alignment() : Qt::AlignHCenter);
    d->messageLayout->addWidget(d->message, 1);
    d->messageLayout->addStretch();
    setIcon(QString());

    connect(d->message, &KelLabel::textChanged, this, [this] { d->updateWrapMode(); });

    if (!deferStyle)
        applyStyle();
}

KelMessageBox::~KelMessageBox() = default;

void KelMessageBox::setText(const QString &text)
{
    d->message->setText(text);
}

void KelMessageBox::setIcon(const QString &resourcePath)
{
    d->icon->setIcon(resourcePath);
    d->icon->setVisible(!resourcePath.isEmpty());
}

QLabel *KelMessageBox::messageLabel() const
{
    return d->message;
}

void KelMessageBox::addContentWidget(QWidget *widget, bool allowEmpty)
{
    if (!widget)
        return;
    d->contentLayout->addWidget(widget);
    auto *lineEdit = qobject_cast<QLineEdit *>(widget);
    if (allowEmpty || !lineEdit)
        return;
    d->requiredText = lineEdit;
    connect(lineEdit, &QLineEdit::textChanged, this, [this] { d->updateDefaultButton(); });
    d->updateDefaultButton();
}

void KelMessageBox::showEvent(QShowEvent *event)
{
    // Buttons may be added after the line edit that governs the default.
    d->updateDefaultButton();
    KelDialog::showEvent(event);
}

#include "moc_kelmessagebox.cpp"
