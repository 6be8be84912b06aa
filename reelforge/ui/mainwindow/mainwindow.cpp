#include "ui/mainwindow/mainwindow.h"

#include "application.h"
#include "core/appservices.h"
#include "datamodel/historymodel.h"
#include "datamodel/queuemodel.h"
#include "layouts/kellayoutdnd.h"
#include "metrics/usagestatistics.h"
#include "shared/mimedata.h"
#include "styles/kelstyle.h"
#include "ui/mainwindow/cardresources.h"
#include "ui/mainwindow/cardslist.h"
#include "ui/mainwindow/dragicon.h"
#include "ui/mainwindow/dropindicator.h"
#include "ui/mainwindow/mainfooter.h"
#include "ui/mainwindow/mainheader.h"
#include "ui/mainwindow/maintitlebar.h"
#include "ui/style.h"
#include "ui/ui.h"
#include "ui/widgets/fontscombo.h"
#include "widgets/kelbutton.h"

#include <kellogger/tracelogger.h>
#include <metrics/metricsender.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

// Outside any namespace, as the resource initialiser must be.
static void initMainWindowResources()
{
    static const bool initialised = [] {
        Q_INIT_RESOURCE(mainwindow);
        return true;
    }();
    Q_UNUSED(initialised)
    initCardResources();
}

namespace {

const char CardsAreaContext[] = "MainWindow_CardsArea";
constexpr int ClearHistoryStyleId = Style::WT_Button_Bordered_36;
constexpr int PlaceholderMargin = 16;
constexpr int MinimumCentralHeight = 600;

Application *application()
{
    return qobject_cast<Application *>(QCoreApplication::instance());
}

Ui *ui()
{
    return static_cast<Ui *>(kelUi());
}

int count(const VideoItem::StateCountersMap &counters, VideoItem::State state)
{
    return counters.value(state, 0);
}

} // namespace

class MainWindow::Private
{
public:
    Enums::ListViewMode viewMode = Enums::Queue;
    MainTitlebar *titlebar = nullptr;
    MainHeader *header = nullptr;
    QStackedWidget *stack = nullptr;
    CardsList *queueList = nullptr;
    CardsList *historyList = nullptr;
    KelButton *clearHistoryButton = nullptr;
    DropIndicator *queuePlaceholder = nullptr;
    MainFooter *footer = nullptr;
    DragIcon *dragIcon = nullptr;
    QueueModel *queueModel = nullptr;
    HistoryModel *historyModel = nullptr;
};

MainWindow::MainWindow(QWidget *parent)
    : KelWindow(KelStyle::WT_Window,
                KelWindow::Movable | KelWindow::Resizable | KelWindow::MinimizeButton
                        | KelWindow::MaximizeButton | KelWindow::WindowButtons,
                parent, KelWindow::Default, false, QStringLiteral("MainWindow")),
      d(new Private)
{
    TraceLogger trace(Q_FUNC_INFO, QStringLiteral("Create main widnow"));
    initMainWindowResources();
    if (Application *app = application()) {
        d->queueModel = app->queueModel();
        d->historyModel = app->historyModel();
    }
    d->titlebar = new MainTitlebar(this);

    auto *central = qobject_cast<QVBoxLayout *>(centralWidget()->layout());
    if (!central)
        central = new QVBoxLayout(centralWidget());
    central->setContentsMargins(0, 0, 0, 0);
    central->setSpacing(0);
    d->header = new MainHeader;
    d->stack = new QStackedWidget;
    d->footer = new MainFooter;
    central->addWidget(d->header);
    central->addWidget(d->stack);
    central->addWidget(d->footer);

    d->queueList = new CardsList(this);
    d->historyList = new CardsList(this);
    d->stack->addWidget(d->queueList);
    d->stack->addWidget(d->historyList);
    d->stack->setCurrentWidget(d->queueList);

    d->queuePlaceholder = new DropIndicator(DropIndicator::Placard, d->queueList);
    d->queuePlaceholder->setContentsMargins(PlaceholderMargin, PlaceholderMargin, PlaceholderMargin,
                                            PlaceholderMargin);
    connect(d->queueList, &KelScrollArea::resized, d->queuePlaceholder,
            qOverload<const QSize &>(&QWidget::resize));
    connect(d->queueList, &KelListWidget::rowCountChanged, this,
            [this] { updateQueuePlaceholder(); });

    // The queue keeps every card: its drop marker and creating only the
    // visible cards do not go together.
    d->queueList->setModel(d->queueModel);
    auto *contentLayout = static_cast<QBoxLayout *>(d->queueList->widget()->layout());
    contentLayout->insertItem(0, new QSpacerItem(0, 22, QSizePolicy::Fixed, QSizePolicy::Fixed));

    KelLayoutDnd *dnd = d->queueList->layoutDnd();
    dnd->setLocalMoveEnabled(true);
    dnd->setExternalDropEnabled(true);
    dnd->setDropIndicator(new DropIndicator(DropIndicator::Marker, d->queueList->widget()));
    dnd->setExternalDropFilter(
            [](const QMimeData *data) { return !MimeData::urlsWithFolders(data).isEmpty(); });

    d->dragIcon = new DragIcon(this);
    connect(dnd, &KelLayoutDnd::dragStarted, d->dragIcon, &DragIcon::startDrag);
    connect(dnd, &KelLayoutDnd::dragStopped, d->dragIcon, &DragIcon::finish);
    connect(dnd, &KelLayoutDnd::dropAllowedChanged, d->dragIcon, &DragIcon::setDropAllowed);
    connect(dnd, &KelLayoutDnd::dropAllowedChanged, this, [this] { updateQueuePlaceholder(); });

    d->historyList->setCreateOnlyVisibleItems(true);
    d->historyList->setModel(d->historyModel);
    auto *historyTop = new QHBoxLayout;
    historyTop->setContentsMargins(22, 18, 22, 6);
    d->clearHistoryButton = new KelButton(ClearHistoryStyleId);
    historyTop->addWidget(d->clearHistoryButton);
    static_cast<QBoxLayout *>(d->historyList->widget()->layout())->insertLayout(0, historyTop);
    updateClearHistoryButton();
    connect(d->clearHistoryButton, &KelButton::clicked, this, [this] { onClearHistoryClicked(); });
    connect(d->historyList, &KelListWidget::rowCountChanged, this,
            [this] { updateClearHistoryButton(); });

    setBlocked(true);
    FontsCombo::initSharedMenu(this, Style::WT_PopupMenu_List, KelStyle::WT_PopupMenuButton,
                               Style::WT_LineEdit_Search_Underlined);

    translateUi();

    centralWidget()->setMinimumHeight(MinimumCentralHeight);
    restoreSavedGeometry();

    if (d->queueModel)
        onCountersChanged(d->queueModel->counters());
    d->header->setHistoryCount(d->historyModel ? d->historyModel->rowCount() : 0);
    updateQueuePlaceholder();

    connect(d->header, &MainHeader::viewModeToggled, this,
            [this](Enums::ListViewMode mode) { onViewModeToggled(mode); });
    if (d->queueModel) {
        connect(d->header, &MainHeader::addFiles, d->queueModel, &QueueModel::addNewItems);
    }
    connect(d->footer, &MainFooter::presetClicked, this,
            [this](PresetInfoPointer preset) { onPresetClicked(preset); });
    connect(
            d->footer, &MainFooter::convertAllClicked, d->footer,
            [this] {
                if (d->queueModel)
                    d->queueModel->startAll();
            },
            Qt::DirectConnection);
    connect(d->footer, &MainFooter::abortAllClicked, this, [this] { onAbortAllClicked(); });
    if (d->queueModel) {
        connect(d->footer, &MainFooter::pauseAllToggled, d->queueModel, &QueueModel::pauseAll);
    }
    connect(
            d->footer, &MainFooter::requestShowCurrentItem, d->footer,
            [this] {
                const VideoItemPtr item = d->queueModel ? d->queueModel->activeItem()
                                                        : VideoItemPtr();
                if (item)
                    d->queueList->ensureCardVisible(item->id());
            },
            Qt::DirectConnection);
    if (d->queueModel) {
        connect(d->queueModel, &QueueModel::countersChanged, this,
                [this](const VideoItem::StateCountersMap &counters) {
                    onCountersChanged(counters);
                });
        connect(d->queueModel, &QueueModel::percentProgressChanged, d->footer,
                &MainFooter::setProgress);
        // Through the window, so that the route goes with it.
        connect(d->queueModel, &QueueModel::movedToHistory, this, [this](VideoItemPtr item) {
            if (d->historyModel)
                d->historyModel->addItem(item);
        });
    }
    connect(d->historyList, &KelListWidget::rowCountChanged, d->header,
            &MainHeader::setHistoryCount);
    connect(d->historyList, &KelListWidget::rowCountChanged, d->historyList,
            [this] { d->historyList->selectFirstCard(); });
    connect(this, &KelWidget::showed, this, [this] { updatePlaceholderArrow(); });
    connect(this, &KelWidget::resized, this, [this] { updatePlaceholderArrow(); });

    d->header->setObjectName(QStringLiteral("Header"));
    d->queueList->setObjectName(QStringLiteral("QueueList"));
    if (d->queueModel)
        d->queueModel->setObjectName(QStringLiteral("QueueFilterModel"));
    d->historyList->setObjectName(QStringLiteral("HistoryList"));
    if (d->historyModel)
        d->historyModel->setObjectName(QStringLiteral("HistoryFilterModel"));
    d->clearHistoryButton->setObjectName(QStringLiteral("ClearHistory"));
    d->footer->setObjectName(QStringLiteral("Footer"));
    d->dragIcon->setObjectName(QStringLiteral("DragIcon"));
}

MainWindow::~MainWindow()
{
    TraceLogger trace(Q_FUNC_INFO, QStringLiteral("Delete MainWindow"));
    saveWindowGeometry();
    // The children go after this body; nothing they emit on the way may
    // reach handlers that use the private record.
    const QList<QObject *> senders = {d->queueList,   d->historyList, d->queueList->layoutDnd(),
                                      d->header,      d->footer,      d->queueModel,
                                      d->historyModel};
    for (QObject *sender : senders) {
        if (sender)
            QObject::disconnect(sender, nullptr, this, nullptr);
    }
    QObject::disconnect(d->historyList, nullptr, d->historyList, nullptr);
    QObject::disconnect(d->footer, nullptr, d->footer, nullptr);
}

MainTitlebar *MainWindow::titlebar() const
{
    return d->titlebar;
}

MainHeader *MainWindow::header() const
{
    return d->header;
}

MainFooter *MainWindow::footer() const
{
    return d->footer;
}

CardsList *MainWindow::queueList() const
{
    return d->queueList;
}

CardsList *MainWindow::historyList() const
{
    return d->historyList;
}

KelButton *MainWindow::clearHistoryButton() const
{
    return d->clearHistoryButton;
}

DropIndicator *MainWindow::queuePlaceholder() const
{
    return d->queuePlaceholder;
}

DragIcon *MainWindow::dragIcon() const
{
    return d->dragIcon;
}

Enums::ListViewMode MainWindow::viewMode() const
{
    return d->viewMode;
}

void MainWindow::translateUi()
{
    KelWindow::translateUi();
    if (!d)
        return;
    d->titlebar->translateUi();
    d->header->translateUi();
    d->queueList->translateUi();
    d->historyList->translateUi();
    d->footer->translateUi();
    d->queuePlaceholder->translateUi();
    FontsCombo::setSharedMenuPlaceholderText(
            QCoreApplication::translate("Fonts", "Start typing to filter fonts"));
    updateClearHistoryButton();
    d->stack->setMinimumWidth(d->footer->sizeHint().width());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    const VideoItem::StateCountersMap counters = d->queueModel ? d->queueModel->counters()
                                                               : VideoItem::StateCountersMap();
    const int unfinished = count(counters, VideoItem::Scheduled)
            + count(counters, VideoItem::Converting);
    if (unfinished < 1 || ui()->confirmQuitApp())
        event->accept();
    else
        event->ignore();
    if (event->isAccepted() && d->queueModel)
        d->queueModel->convertedItemsToHistory();
}

void MainWindow::onCountersChanged(const VideoItem::StateCountersMap &counters)
{
    d->header->updateCounters(counters);
    // Convert all offers only the Imported items it would start.
    VideoItem::StateCountersMap offered = counters;
    if (d->queueModel)
        offered[VideoItem::Imported] = d->queueModel->offeredCount();
    d->footer->updateCounters(offered);
    if (d->viewMode == Enums::History && count(counters, VideoItem::Converted) >= 1
        && d->queueModel) {
        QTimer::singleShot(0, d->queueModel, &QueueModel::convertedItemsToHistory);
    }
}

void MainWindow::onViewModeToggled(Enums::ListViewMode mode)
{
    if (mode == d->viewMode)
        return;
    d->viewMode = mode;
    CardsList *shown = mode == Enums::History ? d->historyList : d->queueList;
    d->stack->setCurrentWidget(shown);
    if (mode == Enums::History && d->queueModel)
        d->queueModel->convertedItemsToHistory();
    shown->selectFirstCard();
    d->footer->setVisible(mode == Enums::Queue);
}

void MainWindow::onPresetClicked(PresetInfoPointer preset)
{
    if (!d->queueModel)
        return;
    const int imported = count(d->queueModel->counters(), VideoItem::Imported);
    if (imported == 0)
        return;
    if (imported == 1) {
        d->queueModel->applyPresetToAll(preset);
        return;
    }
    const VideoItemPtr selected = d->queueList->selectedVideoItem();
    int options = Enums::ApplyPresetCancel;
    if (selected)
        options |= Enums::ApplyPresetToSelection;
    if (imported >= 1)
        options |= Enums::ApplyPresetToAll;
    const QString name = preset
            ? preset->name
            : QCoreApplication::translate("MainWindow_Presets", "Same as source");
    const int answer = ui()->askApplyPreset(name, options);
    UsageStatistics *usage = appServices().usageStatistics;
    if (answer == Enums::ApplyPresetToSelection) {
        if (usage)
            usage->add(QStringLiteral("useprst"), QString());
        d->queueModel->applyPreset(selected, preset);
    } else if (answer == Enums::ApplyPresetToAll) {
        if (usage)
            usage->add(QStringLiteral("useprst"), QString());
        d->queueModel->applyPresetToAll(preset);
    }
}

void MainWindow::onAbortAllClicked()
{
    if (d->queueModel && ui()->confirmAbortAll(QString()))
        d->queueModel->abortAll();
}

void MainWindow::onClearHistoryClicked()
{
    if (!d->historyModel || !ui()->confirmClearHistory())
        return;
    MetricSender::send(QStringLiteral("clhst"), QString::number(d->historyModel->rowCount()),
                       QString());
    d->historyModel->clear();
}

void MainWindow::updateClearHistoryButton()
{
    const bool empty = !d->historyModel || d->historyModel->rowCount() == 0;
    d->clearHistoryButton->setEnabled(!empty);
    if (empty) {
        d->clearHistoryButton->setText(
                QCoreApplication::translate(CardsAreaContext, "Convertation history is empty"));
        d->clearHistoryButton->setIcon(QString());
    } else {
        d->clearHistoryButton->setText(
                QCoreApplication::translate(CardsAreaContext, "Clear history"));
        d->clearHistoryButton->setIcon(QStringLiteral(":/svg/clear.svg"));
    }
}

void MainWindow::updateQueuePlaceholder()
{
    const bool empty = !d->queueModel || d->queueModel->rowCount() == 0;
    d->queuePlaceholder->setVisible(empty && !d->queueList->layoutDnd()->isDropAllowed());
}

void MainWindow::updatePlaceholderArrow()
{
    d->queuePlaceholder->setHintPoint(d->header->addButtonAnchor());
}
