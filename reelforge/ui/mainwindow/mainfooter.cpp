#include "ui/mainwindow/mainfooter.h"

#include "ui/progressbar.h"
#include "ui/style.h"
#include "ui/widgets/badgedbutton.h"
#include "ui/widgets/postactionscombo.h"
#include "ui/widgets/presetscombo.h"
#include "ui/widgets/targetfoldercombo.h"

#include <QCoreApplication>
#include <QDebug>
#include <QHBoxLayout>

namespace {

const char Context[] = "MainWindow_Footer";
constexpr int ToolButtonStyleId = Style::WT_Button_Push_Gray_Filled_56;
constexpr int ConvertStyleId = Style::WT_Button_Push_Accent_Filled_56;
constexpr int BadgeStyleId = Style::WT_Badge;

int count(const VideoItem::StateCountersMap &counters, VideoItem::State state)
{
    return counters.value(state, 0);
}

QString badgeText(int value)
{
    return value > 0 ? QString::number(value) : QString();
}

} // namespace

class MainFooter::Private
{
public:
    QWidget *settingsBox = nullptr;
    PresetsCombo *presetsCombo = nullptr;
    TargetFolderCombo *folderCombo = nullptr;
    ProgressBar *progressBar = nullptr;
    QWidget *actionsBox = nullptr;
    PostActionsCombo *postActionsCombo = nullptr;
    KelButton *pauseButton = nullptr;
    BadgedButton *convertButton = nullptr;
    BadgedButton *cancelButton = nullptr;

    void setRunningLook(bool running);
};

void MainFooter::Private::setRunningLook(bool running)
{
    settingsBox->setVisible(!running);
    convertButton->setVisible(!running);
    progressBar->setVisible(running);
    pauseButton->setVisible(running);
    cancelButton->setVisible(running);
}

MainFooter::MainFooter(QWidget *parent) : QWidget(parent), d(new Private)
{
    d->settingsBox = new QWidget;
    d->settingsBox->setObjectName(QStringLiteral("SettingsBox"));
    d->presetsCombo = new PresetsCombo;
    d->presetsCombo->setObjectName(QStringLiteral("PresetsCombo"));
    d->folderCombo = new TargetFolderCombo(TargetFolderCombo::FooterMode);
    d->folderCombo->setObjectName(QStringLiteral("FolderCombo"));
    auto *settings = new QHBoxLayout(d->settingsBox);
    settings->setContentsMargins(0, 0, 0, 0);
    settings->setSpacing(16);
    settings->addWidget(d->presetsCombo);
    settings->addWidget(d->folderCombo);
    settings->addStretch();

    d->progressBar = new ProgressBar;
    d->progressBar->setObjectName(QStringLiteral("ProgressBar"));
    // It takes the place of the choosers: the running footer must not
    // widen the window beyond what the idle one asked for.
    d->progressBar->setSizePolicy(QSizePolicy::Ignored,
                                  d->progressBar->sizePolicy().verticalPolicy());
    d->postActionsCombo = new PostActionsCombo;
    d->postActionsCombo->setObjectName(QStringLiteral("PostActionsCombo"));

    d->pauseButton = new KelButton(ToolButtonStyleId, QStringLiteral(":/svg/card-pause.svg"));
    d->pauseButton->setCheckable(true);
    d->pauseButton->setObjectName(QStringLiteral("Pause"));
    d->convertButton = new BadgedButton(ConvertStyleId);
    d->convertButton->setBadgeStyle(BadgeStyleId);
    d->convertButton->setObjectName(QStringLiteral("Convert"));
    d->cancelButton = new BadgedButton(ToolButtonStyleId, QStringLiteral(":/svg/close.svg"));
    d->cancelButton->setBadgeStyle(BadgeStyleId);
    d->cancelButton->setObjectName(QStringLiteral("Cancel"));

    d->actionsBox = new QWidget;
    d->actionsBox->setObjectName(QStringLiteral("ActionsBox"));
    d->actionsBox->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    d->actionsBox->setMinimumWidth(320);
    auto *actions = new QHBoxLayout(d->actionsBox);
    actions->setContentsMargins(0, 0, 0, 0);
    actions->setSpacing(8);
    actions->addWidget(d->pauseButton);
    actions->addWidget(d->cancelButton, 1);
    actions->addWidget(d->convertButton);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->setSpacing(8);
    layout->addWidget(d->settingsBox);
    layout->addWidget(d->progressBar);
    layout->addSpacing(24);
    layout->addWidget(d->postActionsCombo);
    layout->addWidget(d->actionsBox);

    connect(d->presetsCombo, &PresetsCombo::presetClicked, this, &MainFooter::presetClicked);
    connect(d->convertButton, &KelButton::clicked, this, &MainFooter::convertAllClicked);
    connect(d->cancelButton, &KelButton::clicked, this, &MainFooter::abortAllClicked);
    connect(d->pauseButton, &KelButton::toggled, this, &MainFooter::pauseAllToggled);

    d->setRunningLook(false);
    d->progressBar->setProgress(0);
    d->progressBar->setRemainingTime(QTime());
    translateUi();
}

MainFooter::~MainFooter() = default;

PresetsCombo *MainFooter::presetsCombo() const
{
    return d->presetsCombo;
}

TargetFolderCombo *MainFooter::folderCombo() const
{
    return d->folderCombo;
}

PostActionsCombo *MainFooter::postActionsCombo() const
{
    return d->postActionsCombo;
}

ProgressBar *MainFooter::progressBar() const
{
    return d->progressBar;
}

KelButton *MainFooter::pauseButton() const
{
    return d->pauseButton;
}

BadgedButton *MainFooter::convertButton() const
{
    return d->convertButton;
}

BadgedButton *MainFooter::cancelButton() const
{
    return d->cancelButton;
}

void MainFooter::updateCounters(const VideoItem::StateCountersMap &counters)
{
    const int imported = count(counters, VideoItem::Imported);
    const int active = count(counters, VideoItem::Scheduled)
            + count(counters, VideoItem::Converting);
    const int paused = count(counters, VideoItem::Paused);
    const int done = count(counters, VideoItem::ConvertFailed)
            + count(counters, VideoItem::Converted);

    d->convertButton->setEnabled(imported >= 1);
    d->cancelButton->setEnabled(active > 0);
    d->pauseButton->setEnabled(active > 0);
    d->pauseButton->setCheckedState(active <= paused);
    d->cancelButton->badge()->setText(badgeText(active));
    d->convertButton->badge()->setText(badgeText(imported));
    d->setRunningLook(active >= 1);
    d->progressBar->setCounter(done, done + active);
    d->progressBar->setPaused(active == paused);
}

void MainFooter::setProgress(int value, const QTime &remaining)
{
    d->progressBar->setProgress(value);
    d->progressBar->setRemainingTime(remaining);
}

void MainFooter::translateUi()
{
    d->presetsCombo->translatePopup();
    d->folderCombo->translateUi();
    d->postActionsCombo->translateUi();
    d->progressBar->translateUi();
    d->cancelButton->setText(QCoreApplication::translate(Context, "Cancel all"));
    d->convertButton->setText(QCoreApplication::translate(Context, "Convert"));
}

void MainFooter::mousePressEvent(QMouseEvent *event)
{
    if (!d->progressBar->isHidden()) {
        qDebug() << "Request to show current item";
        emit requestShowCurrentItem();
    }
    QWidget::mousePressEvent(event);
}

#include "moc_mainfooter.cpp"
