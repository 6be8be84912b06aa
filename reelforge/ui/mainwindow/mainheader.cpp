#include "ui/mainwindow/mainheader.h"

#include "ui/style.h"
#include "ui/ui.h"
#include "ui/widgets/badgedbutton.h"
#include "ui/widgets/buttonswitcher.h"
#include "widgets/kelexclusivebuttongroup.h"

#include <QCoreApplication>
#include <QHBoxLayout>

namespace {

const char Context[] = "MainWindow_Header";
constexpr int AddButtonStyleId = Style::WT_Button_Push_Accent_Filled_48;
constexpr int SwitcherStyleId = Style::WT_Frame_Panel;
constexpr int ViewButtonStyleId = Style::WT_Button_Segment_42;
constexpr int BadgeStyleId = Style::WT_Badge_Count;

int count(const VideoItem::StateCountersMap &counters, VideoItem::State state)
{
    return counters.value(state, 0);
}

} // namespace

class MainHeader::Private
{
public:
    KelButton *addButton = nullptr;
    ButtonSwitcher *switcher = nullptr;
    BadgedButton *queueButton = nullptr;
    BadgedButton *convertedButton = nullptr;
};

MainHeader::MainHeader(QWidget *parent) : QWidget(parent), d(new Private)
{
    d->addButton = new KelButton(AddButtonStyleId, QStringLiteral(":/svg/add.svg"));
    d->addButton->setObjectName(QStringLiteral("AddFile"));
    d->switcher = new ButtonSwitcher(SwitcherStyleId, ViewButtonStyleId);
    d->switcher->setMinimumWidth(320);
    auto *switcherLayout = static_cast<QBoxLayout *>(d->switcher->layout());
    switcherLayout->setContentsMargins(0, 0, 0, 0);
    switcherLayout->setSpacing(0);
    const auto addView = [this, switcherLayout](Enums::ListViewMode mode, const char *name) {
        auto *button = new BadgedButton(ViewButtonStyleId);
        button->setBadgeStyle(BadgeStyleId);
        button->setObjectName(QLatin1String(name));
        d->switcher->group()->addButton(button, QVariant::fromValue(mode));
        switcherLayout->addWidget(button);
        return button;
    };
    d->queueButton = addView(Enums::Queue, "QueueButton");
    d->convertedButton = addView(Enums::History, "ConvertedButton");
    d->switcher->group()->setCheckedSilently(QVariant::fromValue(Enums::Queue));

    auto *left = new QHBoxLayout;
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(8);
    left->addWidget(d->addButton);
    auto *leftBox = new QWidget;
    leftBox->setLayout(left);
    leftBox->setMinimumWidth(222);
    leftBox->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->setSpacing(8);
    layout->addWidget(leftBox);
    layout->addStretch();
    layout->addWidget(d->switcher);

    connect(d->addButton, &KelButton::clicked, this, &MainHeader::onAddClicked);
    connect(d->switcher, &ButtonSwitcher::toggled, this, [this](const QVariant &value) {
        const Enums::ListViewMode mode = value.canConvert<Enums::ListViewMode>()
                ? value.value<Enums::ListViewMode>()
                : Enums::Queue;
        emit viewModeToggled(mode);
    });
    translateUi();
}

MainHeader::~MainHeader() = default;

KelButton *MainHeader::addButton() const
{
    return d->addButton;
}

BadgedButton *MainHeader::queueButton() const
{
    return d->queueButton;
}

BadgedButton *MainHeader::convertedButton() const
{
    return d->convertedButton;
}

void MainHeader::onAddClicked()
{
    auto *ui = static_cast<Ui *>(kelUi());
    const QStringList paths = ui ? ui->selectVideoFiles() : QStringList();
    if (paths.isEmpty())
        return;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    // The group reports a check on a later pass of the event loop; the
    // queue must be on show before the files arrive.
    KelExclusiveButtonGroup *group = d->switcher->group();
    if (group->checkedData() != QVariant::fromValue(Enums::Queue)) {
        group->setCheckedSilently(QVariant::fromValue(Enums::Queue));
        emit viewModeToggled(Enums::Queue);
    }
    emit addFiles(urls, -1);
}

void MainHeader::setHistoryCount(int count)
{
    d->convertedButton->badge()->setText(QString::number(count));
}

void MainHeader::updateCounters(const VideoItem::StateCountersMap &counters)
{
    int total = 0;
    for (int value : counters)
        total += value;
    const int converted = count(counters, VideoItem::Converted);
    const int waiting = total - count(counters, VideoItem::Paused) - converted;
    d->queueButton->badge()->setText(QString::number(waiting));
    d->convertedButton->badge()->setSecondText(converted > 0 ? QStringLiteral("+%1").arg(converted)
                                                             : QString());
}

void MainHeader::translateUi()
{
    d->addButton->setText(QCoreApplication::translate(Context, "Add file"));
    d->queueButton->setText(QCoreApplication::translate(Context, "Queue"));
    d->convertedButton->setText(QCoreApplication::translate(Context, "Converted"));
}

QPoint MainHeader::addButtonAnchor() const
{
    return d->addButton->mapToGlobal(QPoint(d->addButton->width() / 2, d->addButton->height()));
}

#include "moc_mainheader.cpp"
