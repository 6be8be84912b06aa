#include "ui/mainwindow/card.h"

#include "datamodel/codecinfo.h"
#include "painting/kelicon.h"
#include "styles/kelstyle.h"
#include "ui/dialoglaunch.h"
#include "ui/mainwindow/cardmetainfo.h"
#include "ui/mainwindow/cardresources.h"
#include "ui/mainwindow/cardthumbnail.h"
#include "ui/mainwindow/thumbicon.h"
#include "ui/progressbar.h"
#include "ui/style.h"
#include "ui/ui.h"
#include "ui/widgets/editablelabel.h"
#include "widgets/keliconlabel.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QModelIndex>
#include <QPointer>
#include <QTime>

namespace {

const char Context[] = "MainWindow_Card";
const char TrimDisambiguation[] = "Bottom row 'Trim' button";
constexpr int WatermarkTextLimit = 100;
// The last second of a day: a QTime holds no more.
constexpr qint64 MaxShownMs = 24 * 60 * 60 * 1000 - 1000;

QString cardText(const char *text, const char *disambiguation = nullptr)
{
    return QCoreApplication::translate(Context, text, disambiguation);
}

Ui *appUi()
{
    return dynamic_cast<Ui *>(kelUi());
}

// A plain widget holding a horizontal box without margins.
QWidget *makeBox(QWidget *parent, int spacing, const char *objectName = nullptr)
{
    auto *box = new QWidget(parent);
    if (objectName)
        box->setObjectName(QLatin1String(objectName));
    auto *layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return box;
}

QHBoxLayout *boxLayout(QWidget *box)
{
    return static_cast<QHBoxLayout *>(box->layout());
}

KelButton *makeButton(int styleId, const char *icon, QWidget *parent, const char *objectName)
{
    auto *button = new KelButton(styleId, QLatin1String(icon), parent);
    button->setObjectName(QLatin1String(objectName));
    return button;
}

// Showing a child makes Qt activate every visible ancestor's layout at once:
// in a list of many cards, the whole list on each state change. The parent's
// layout is held back while the card changes and lays out once, on the
// request that the change posts.
class ParentLayoutHold
{
public:
    explicit ParentLayoutHold(QWidget *widget)
    {
        QWidget *parent = widget->isWindow() ? nullptr : widget->parentWidget();
        m_layout = parent ? parent->layout() : nullptr;
        if (m_layout && m_layout->isEnabled())
            m_layout->setEnabled(false);
        else
            m_layout = nullptr;
    }
    ~ParentLayoutHold()
    {
        if (m_layout)
            m_layout->setEnabled(true);
    }
    ParentLayoutHold(const ParentLayoutHold &) = delete;
    ParentLayoutHold &operator=(const ParentLayoutHold &) = delete;

private:
    QPointer<QLayout> m_layout;
};

// In the user's words; empty when the reason is not known.
QString failReasonText(VideoItem::FailReason reason)
{
    switch (reason) {
    case VideoItem::NoTargetFormat:
        return cardText("no output format is chosen");
    case VideoItem::SourceMissing:
        return cardText("the source file is gone");
    case VideoItem::OutputFolderNotWritable:
        return cardText("the output folder is not writable");
    case VideoItem::ConverterFailed:
        return cardText("the converter could not convert this file");
    case VideoItem::ConverterLost:
        return cardText("the converter stopped unexpectedly");
    case VideoItem::NoFailure:
        break;
    }
    return QString();
}

bool showsOutput(VideoItem::State state)
{
    return state == VideoItem::Converted || state == VideoItem::History;
}

// A main button may carry a file's thumbnail, which is no icon of the
// provider: re-styling must keep it instead of looking it up by name.
class PropMainButton : public KelButton
{
public:
    PropMainButton(const char *icon, QWidget *parent)
        : KelButton(Style::WT_Card_Prop, QLatin1String(icon), parent)
    { }

    void applyStyle() override
    {
        if (hasStyleId() && dynamic_cast<ThumbIcon *>(icon())) {
            kelStyle()->applyButtonStyle(this, styleId(), QString());
            return;
        }
        KelButton::applyStyle();
    }
};

// The size and minimum size of a complete card, by its item's state (-1
// without an item), as complete cards last computed them: what a card that
// is not built yet takes in the list. Cards of one state differ only in
// width, which the list sets.
using SizeHints = std::pair<QSize, QSize>;
QHash<int, SizeHints> &completeSizeHints()
{
    static QHash<int, SizeHints> hints;
    return hints;
}

// The encoded picture when there is one, else the decoded one the item holds.
void showThumbnail(CardThumbnail *thumbnail, const VideoItem *item)
{
    const QByteArray data = item->thumbnailData();
    if (data.isEmpty())
        thumbnail->setImage(item->thumbnail());
    else
        thumbnail->setImageData(data);
}

} // namespace

class Card::ExtraPropButton : public QWidget
{
public:
    ExtraPropButton(const char *mainIcon, const char *extraIcon, const char *objectName,
                    QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(QLatin1String(objectName));
        auto *layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(1);
        mainButton = new PropMainButton(mainIcon, this);
        mainButton->setObjectName(QStringLiteral("MainButton"));
        extraButton = makeButton(Style::WT_Card_Prop_Extra, extraIcon, this, "ExtraButton");
        extraButton->hide();
        layout->addWidget(mainButton, 1);
        layout->addWidget(extraButton);
        setMinimumWidth(220);
    }

    // WT_Card_Prop_Set marks a value as set.
    void show(bool isSet, const QString &text)
    {
        mainButton->setStyleId(isSet ? Style::WT_Card_Prop_Set : Style::WT_Card_Prop);
        mainButton->setText(text);
        extraButton->setVisible(isSet);
    }

    KelButton *mainButton = nullptr;
    KelButton *extraButton = nullptr;
};

class Card::TopRow : public QWidget
{
public:
    explicit TopRow(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("TopRow"));
        auto *layout = new QHBoxLayout(this);
        layout->setContentsMargins(16, 12, 10, 8);
        layout->setSpacing(16);

        title = new EditableLabel(Style::WT_LineEdit_Title, this);
        title->setObjectName(QStringLiteral("Title"));
        title->setMaxLength(255);
        title->setAcceptDrops(false);
        editIcon = title->addButton(QStringLiteral(":/svg/edit.svg"));

        tools = makeBox(this, 8);
        boxLayout(tools)->setContentsMargins(0, 0, 0, 2);
        tools->setFixedHeight(38);
        settings = makeButton(Style::WT_Button_Tool_36, ":/svg/settings.svg", tools, "TopSettings");
        folder = makeButton(Style::WT_Button_Tool_36, ":/svg/folder1.svg", tools, "TopFolder");
        cross = makeButton(Style::WT_Button_Tool_36, ":/svg/close.svg", tools, "TopCross");
        for (KelButton *button : {settings, folder, cross})
            boxLayout(tools)->addWidget(button);

        layout->addWidget(title, 0, Qt::AlignBottom);
        layout->addStretch();
        layout->addWidget(tools);

        QObject::connect(title, &KelLineEdit::focused, this, [this] { updatePencil(); });
        QObject::connect(title, &KelLineEdit::focusLost, this, [this] { updatePencil(); });
    }

    void updateForState(VideoItem::State state)
    {
        const bool imported = state == VideoItem::Imported;
        title->setEnabled(imported);
        for (KelButton *button : {settings, folder, cross})
            button->setVisible(imported);
        updatePencil();
    }

    void updatePencil() { editIcon->setVisible(title->isEnabledTo(this) && !title->hasFocus()); }

    EditableLabel *title = nullptr;
    KelButton *settings = nullptr;
    KelButton *folder = nullptr;
    KelButton *cross = nullptr;
    QWidget *tools = nullptr;
    KelButton *editIcon = nullptr;
};

class Card::MidRow : public QWidget
{
public:
    // Follows the theme: a lighter arrow on the dark one.
    class ArrowIcon : public KelIconLabel
    {
    public:
        explicit ArrowIcon(QWidget *parent) : KelIconLabel(-1, parent)
        {
            setObjectName(QStringLiteral("Arrow"));
            setFixedSize(48, 40);
            setColorizeIcon(false);
            applyStyle();
        }

        void applyStyle() override
        {
            const bool dark = kelStyle() && kelStyle()->isDarkTheme();
            setIcon(dark ? QStringLiteral(":/svg/card-arrow-dark.svg")
                         : QStringLiteral(":/svg/card-arrow-light.svg"));
        }
    };

    explicit MidRow(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("MidRow"));
        auto *layout = new QHBoxLayout(this);
        layout->setContentsMargins(16, 0, 24, 0);
        layout->setSpacing(8);

        sourceInfo = new CardMetainfo(CardMetainfo::Source, this);
        sourceInfo->setObjectName(QStringLiteral("MidSourceInfo"));
        targetInfo = new CardMetainfo(CardMetainfo::Target, this);
        targetInfo->setObjectName(QStringLiteral("MidTargetInfo"));
        keepSizeWhenHidden(targetInfo);
        arrow = new ArrowIcon(this);
        keepSizeWhenHidden(arrow);

        convertBox = makeBox(this, 0, "MidConvertButtonBox");
        convertBox->setMinimumWidth(200);
        convert = makeButton(Style::WT_Button_Push_Accent_Outline_48, "", convertBox, "MidConvert");
        boxLayout(convertBox)->addWidget(convert);

        toolButtons = makeBox(this, 8, "MidToolButtons");
        toolButtons->setMinimumWidth(200);
        restart = makeButton(Style::WT_Button_Push_Gray_Filled_48, ":/svg/restart.svg", toolButtons,
                             "MidRestart");
        pause = makeButton(Style::WT_Button_Push_Gray_Filled_48, ":/svg/card-pause.svg",
                           toolButtons, "MidPause");
        pause->setCheckable(true);
        folder = makeButton(Style::WT_Button_Push_Gray_Filled_48, ":/svg/folder1.svg", toolButtons,
                            "MidFolder");
        cross = makeButton(Style::WT_Button_Push_Gray_Filled_48, ":/svg/close.svg", toolButtons,
                           "MidCross");
        boxLayout(toolButtons)->addStretch();
        for (KelButton *button : {restart, pause, folder, cross})
            boxLayout(toolButtons)->addWidget(button);

        layout->addWidget(sourceInfo, 1);
        layout->addWidget(arrow);
        layout->addWidget(targetInfo, 1);
        layout->addSpacing(16);
        layout->addWidget(convertBox, 0, Qt::AlignVCenter);
        layout->addWidget(toolButtons, 0, Qt::AlignVCenter);
    }

    void updateForState(VideoItem::State state)
    {
        if (state == VideoItem::Imported) {
            convertBox->show();
            toolButtons->hide();
        } else {
            convertBox->hide();
            restart->setVisible(state == VideoItem::ConvertFailed || state == VideoItem::Converted);
            pause->setVisible(state == VideoItem::Scheduled || state == VideoItem::Converting);
            folder->setVisible(state == VideoItem::Converted || state == VideoItem::History);
            cross->show();
            toolButtons->show();
        }
        const bool inHistory = state == VideoItem::History;
        arrow->setVisible(!inHistory);
        targetInfo->setVisible(!inHistory);
    }

    static void keepSizeWhenHidden(QWidget *widget)
    {
        QSizePolicy policy = widget->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        widget->setSizePolicy(policy);
    }

    CardMetainfo *sourceInfo = nullptr;
    CardMetainfo *targetInfo = nullptr;
    KelButton *convert = nullptr;
    KelButton *restart = nullptr;
    KelButton *pause = nullptr;
    KelButton *folder = nullptr;
    KelButton *cross = nullptr;
    ArrowIcon *arrow = nullptr;
    QWidget *convertBox = nullptr;
    QWidget *toolButtons = nullptr;
};

class Card::BottomRow : public QWidget
{
public:
    explicit BottomRow(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("BottomRow"));
        auto *layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 16, 18, 0);
        layout->setSpacing(16);

        extraBox = makeBox(this, 16, "BottomExtra");
        trim = new ExtraPropButton(":/svg/trim.svg", ":/svg/settings.svg", "BottomTrim", extraBox);
        trim->setMinimumWidth(kelStyle()->size(Style::SZ_Card_Thumbnail).width());
        subtitles = new ExtraPropButton(":/svg/subtitles.svg", ":/svg/close.svg", "BottomSubtitles",
                                        extraBox);
        watermark = new ExtraPropButton(":/svg/watermark.svg", ":/svg/close.svg", "BottomWatermark",
                                        extraBox);
        audio = new KelButton(KelStyle::WT_CheckBox, extraBox);
        audio->setCheckable(true);
        QHBoxLayout *extra = boxLayout(extraBox);
        extra->addWidget(trim);
        extra->addWidget(subtitles);
        extra->addWidget(watermark);
        extra->addSpacing(18);
        extra->addWidget(audio);
        extra->addStretch(1);

        progress = new ProgressBar(this);
        progress->setObjectName(QStringLiteral("BottomProgress"));
        message = new KelIconLabel(Style::WT_Card_Message_Success, this);
        message->setObjectName(QStringLiteral("BottomMessage"));
        watermarkIcon = new ThumbIcon(QSize(24, 24), this);

        layout->addWidget(extraBox);
        layout->addWidget(progress);
        layout->addWidget(message, 0, Qt::AlignBottom);
    }

    void updateForState(VideoItem::State state)
    {
        extraBox->setVisible(state == VideoItem::Imported);
        progress->setVisible(state == VideoItem::Importing || state == VideoItem::Scheduled
                             || state == VideoItem::Converting);
        message->setVisible(state == VideoItem::ImportFailed || state == VideoItem::ConvertFailed
                            || state == VideoItem::Converted);
    }

    QWidget *extraBox = nullptr;
    ExtraPropButton *trim = nullptr;
    ExtraPropButton *subtitles = nullptr;
    ExtraPropButton *watermark = nullptr;
    KelButton *audio = nullptr;
    ProgressBar *progress = nullptr;
    KelIconLabel *message = nullptr;
    ThumbIcon *watermarkIcon = nullptr;
};

class Card::Private
{
public:
    explicit Private(Card *q) : q(q) { }

    bool isBuilt() const { return topRow; }
    void build();
    int sizeKey() const;
    SizeHints sizeHints();
    void followStateUnbuilt();
    void connectButtons();
    void removeItem();
    void showItemFile(bool inFolder);

    void updateTopRow(VideoItem::State state);
    void updateMidRow(VideoItem::State state);
    void updateBottomRow(VideoItem::State state);
    void updateProgress();
    void updateMessage();
    void updateTooltips();
    void updateTrim();
    void updateSubtitles();
    void updateWatermark();
    void updateCapabilities();
    void updateAudio(bool supported);

    Card *const q;
    CardThumbnail *thumbnail = nullptr;
    TopRow *topRow = nullptr;
    MidRow *midRow = nullptr;
    BottomRow *bottomRow = nullptr;
    // The size the layout was last given while not built.
    QSize unbuiltSizeHint;
    bool buildPosted = false;
};

Card::Card(QWidget *parent, Construction construction)
    : KelButton(Style::WT_Card, parent), d(std::make_unique<Private>(this))
{
    initCardResources();
    setObjectName(QStringLiteral("Card"));
    setFocusPolicy(Qt::ClickFocus);
    connect(this, &KelWidget::focused, this, [this] { setChecked(true); });
    setEnabled(false);
    if (construction == Complete)
        d->build();
}

Card::~Card() = default;

void Card::Private::build()
{
    if (isBuilt())
        return;
    thumbnail = new CardThumbnail(q);
    thumbnail->setObjectName(QStringLiteral("Thumbnail"));
    topRow = new TopRow(q);
    midRow = new MidRow(q);
    bottomRow = new BottomRow(q);

    auto *grid = new QGridLayout(q);
    grid->setContentsMargins(18, 0, 0, 18);
    grid->setSpacing(0);
    grid->addWidget(thumbnail, 0, 0, 2, 1, Qt::AlignBottom);
    grid->addWidget(topRow, 0, 1);
    grid->addWidget(midRow, 1, 1);
    grid->addWidget(bottomRow, 2, 0, 1, 2);

    connectButtons();
    q->translateUi();
    if (const VideoItemPtr item = q->videoItem()) {
        midRow->sourceInfo->setVideoItem(item);
        midRow->targetInfo->setVideoItem(item);
        q->videoItemAttached(item);
    }
    // Styled now, so that the card measures as it will be shown; children
    // made after the card was shown wait for their own show.
    const bool shown = q->isVisible();
    for (QWidget *part : {static_cast<QWidget *>(thumbnail), static_cast<QWidget *>(topRow),
                          static_cast<QWidget *>(midRow), static_cast<QWidget *>(bottomRow)}) {
        part->ensurePolished();
        if (shown)
            part->show();
    }
    q->updateGeometry();
}

int Card::Private::sizeKey() const
{
    const VideoItemPtr item = q->videoItem();
    return item ? int(item->state()) : -1;
}

SizeHints Card::Private::sizeHints()
{
    const int key = sizeKey();
    if (!isBuilt()) {
        const auto known = completeSizeHints().constFind(key);
        if (known != completeSizeHints().constEnd()) {
            unbuiltSizeHint = known->first;
            return *known;
        }
        // The first card of its state to be measured measures for all.
        build();
    }
    const SizeHints hints{q->QWidget::sizeHint(), q->QWidget::minimumSizeHint()};
    completeSizeHints().insert(key, hints);
    return hints;
}

void Card::Private::followStateUnbuilt()
{
    if (isBuilt())
        return;
    const auto known = completeSizeHints().constFind(sizeKey());
    if (known == completeSizeHints().constEnd() || known->first != unbuiltSizeHint)
        q->updateGeometry();
}

void Card::prepareForView()
{
    d->build();
}

bool Card::event(QEvent *event)
{
    // Painted before the list prepared it (a row the list does not know
    // of): it is built on the next pass and painted again.
    if (event->type() == QEvent::Paint && !d->isBuilt() && !d->buildPosted) {
        d->buildPosted = true;
        QMetaObject::invokeMethod(
                this,
                [this] {
                    d->build();
                    update();
                },
                Qt::QueuedConnection);
    }
    return KelButton::event(event);
}

void Card::setVideoItem(VideoItemPtr item)
{
    VideoItemWatcher::setVideoItem(item);
    setEnabled(!item.isNull());
    if (!d->isBuilt())
        return;
    d->midRow->sourceInfo->setVideoItem(item);
    d->midRow->targetInfo->setVideoItem(item);
}

void Card::setIndex(const QModelIndex &index)
{
    setVideoItem(index.data(Qt::UserRole).value<VideoItemPtr>());
}

void Card::reset()
{
    setVideoItem(VideoItemPtr());
}

void Card::layoutIdChanged(int id)
{
    Q_UNUSED(id)
}

QSize Card::sizeHint() const
{
    return d->sizeHints().first;
}

QSize Card::minimumSizeHint() const
{
    return d->sizeHints().second;
}

void Card::Private::connectButtons()
{
    TopRow *top = topRow;
    MidRow *mid = midRow;
    BottomRow *bottom = bottomRow;
    // Runs action with the watched item; nothing without one.
    auto withItem = [this](auto action) {
        return [this, action] {
            if (const VideoItemPtr item = q->videoItem())
                action(item);
        };
    };

    QObject::connect(thumbnail, &KelButton::clicked, q, [this] { showItemFile(false); });
    QObject::connect(top->title, &QLineEdit::editingFinished, q,
                     withItem([top](const VideoItemPtr &item) {
                         item->setTargetName(top->title->text());
                     }));
    QObject::connect(top->settings, &KelButton::clicked, q, withItem([](const VideoItemPtr &item) {
                         if (Ui *ui = appUi())
                             ui->showTargetCodecDialog(item);
                     }));
    for (KelButton *folder : {top->folder, mid->folder})
        QObject::connect(folder, &KelButton::clicked, q, [this] { showItemFile(true); });
    for (KelButton *cross : {top->cross, mid->cross})
        QObject::connect(cross, &KelButton::clicked, q, [this] { removeItem(); });

    const auto showTrimDialog = withItem([](const VideoItemPtr &item) {
        if (Ui *ui = appUi())
            ui->showTrimDialog(item);
    });
    QObject::connect(mid->targetInfo, &CardMetainfo::trimClicked, q, showTrimDialog);
    QObject::connect(bottom->trim->mainButton, &KelButton::clicked, q, showTrimDialog);
    QObject::connect(bottom->trim->extraButton, &KelButton::clicked, q, showTrimDialog);

    QObject::connect(mid->convert, &KelButton::clicked, q,
                     withItem([](const VideoItemPtr &item) { emit item->convertClicked(); }));
    QObject::connect(mid->pause, &KelButton::toggled, q, [this](bool checked) {
        if (const VideoItemPtr item = q->videoItem())
            item->setPaused(checked);
    });
    QObject::connect(mid->restart, &KelButton::clicked, q, withItem([](const VideoItemPtr &item) {
                         const VideoItem::State state = item->state();
                         if (state == VideoItem::ConvertFailed || state == VideoItem::Converted)
                             item->setState(VideoItem::Imported);
                     }));

    QObject::connect(bottom->subtitles->mainButton, &KelButton::clicked, q,
                     withItem([](const VideoItemPtr &item) {
                         if (Ui *ui = appUi())
                             ui->showSubtitlesDialog(item);
                     }));
    QObject::connect(bottom->subtitles->extraButton, &KelButton::clicked, q,
                     withItem([](const VideoItemPtr &item) { item->setSubtitles(PipObjectPtr()); }));
    QObject::connect(bottom->watermark->mainButton, &KelButton::clicked, q,
                     withItem([](const VideoItemPtr &item) {
                         if (Ui *ui = appUi())
                             ui->showWatermarkDialog(item);
                     }));
    QObject::connect(bottom->watermark->extraButton, &KelButton::clicked, q,
                     withItem([](const VideoItemPtr &item) { item->setWatermark(PipObjectPtr()); }));
    QObject::connect(bottom->audio, &KelButton::toggled, q, [this](bool checked) {
        if (const VideoItemPtr item = q->videoItem())
            item->setUseAudio(checked);
    });

    QObject::connect(top->title, &KelLineEdit::focused, q, [this] { q->setChecked(true); });
}

void Card::videoItemAttached(VideoItemPtr item)
{
    VideoItem *it = item.data();
    if (!d->isBuilt()) {
        addConnection(
                connect(it, &VideoItem::stateChanged, this, [this] { d->followStateUnbuilt(); }));
        return;
    }
    TopRow *top = d->topRow;
    MidRow *mid = d->midRow;
    BottomRow *bottom = d->bottomRow;
    CardThumbnail *thumbnail = d->thumbnail;

    addConnection(connect(it, &VideoItem::stateChanged, this, [this](VideoItem::State state) {
        const ParentLayoutHold hold(this);
        d->updateTopRow(state);
        d->updateMidRow(state);
        d->updateBottomRow(state);
        d->updateProgress();
        d->updateMessage();
        d->updateTooltips();
    }));
    addConnection(connect(it, &VideoItem::thumbnailChanged, thumbnail, &CardThumbnail::setPath));
    addConnection(connect(it, &VideoItem::thumbnailChanged, this,
                          [thumbnail, it] { showThumbnail(thumbnail, it); }));
    addConnection(connect(it, &VideoItem::stateChanged, this, [thumbnail](VideoItem::State state) {
        thumbnail->setEnabled(state >= VideoItem::Imported);
    }));
    addConnection(connect(it, &VideoItem::targetNameChanged, top->title, &QLineEdit::setText));
    addConnection(connect(it, &VideoItem::trimChanged, this, [this] { d->updateTrim(); }));
    addConnection(connect(it, &VideoItem::subtitlesChanged, this, [this] { d->updateSubtitles(); }));
    addConnection(connect(it, &VideoItem::watermarkChanged, this, [this] { d->updateWatermark(); }));
    addConnection(connect(it, &VideoItem::pausedChanged, mid->pause, &KelButton::setCheckedState));
    addConnection(connect(it, &VideoItem::pausedChanged, this, [this] { d->updateTooltips(); }));
    addConnection(connect(it, &VideoItem::pausedChanged, this, [this] { d->updateProgress(); }));
    addConnection(connect(it, &VideoItem::progressChanged, this, [this] { d->updateProgress(); }));
    addConnection(connect(it, &VideoItem::supportAudioChanged, this,
                          [this](bool supported) { d->updateAudio(supported); }));
    addConnection(
            connect(it, &VideoItem::useAudioChanged, bottom->audio, &KelButton::setCheckedState));
    addConnection(connect(item->targetCodecInfo().data(), &CodecInfo::formatChanged, this,
                          [this] { d->updateCapabilities(); }));

    const VideoItem::State state = item->state();
    d->updateTopRow(state);
    d->updateMidRow(state);
    d->updateBottomRow(state);
    showThumbnail(thumbnail, it);
    // A stored item's picture is read now that its card is shown.
    item->loadThumbnail();
    top->title->setText(item->targetName());
    top->title->setCursorPosition(0);
    mid->pause->setCheckedState(item->isPaused());
    d->updateProgress();
    d->updateMessage();
    d->updateTooltips();
    d->updateTrim();
    d->updateSubtitles();
    d->updateWatermark();
    d->updateCapabilities();
}

void Card::Private::removeItem()
{
    const VideoItemPtr item = q->videoItem();
    if (!item)
        return;
    const QString name = topRow->title->text();
    Ui *ui = appUi();
    switch (item->state()) {
    case VideoItem::Scheduled:
    case VideoItem::Converting:
        if (ui && ui->confirmAbortAll(name))
            emit item->abortClicked();
        break;
    case VideoItem::Importing:
    case VideoItem::Imported:
        if (ui && ui->confirmRemove(name, false))
            emit item->removeClicked();
        break;
    case VideoItem::Converted:
        item->setState(VideoItem::History);
        break;
    default:
        emit item->removeClicked();
        break;
    }
}

void Card::Private::showItemFile(bool inFolder)
{
    const VideoItemPtr item = q->videoItem();
    KelUi *ui = kelUi();
    if (!item || !ui)
        return;
    const QString path = showsOutput(item->state()) ? item->targetFilePath()
                                                    : item->sourceFileInfo().absoluteFilePath();
    if (inFolder)
        ui->openLinkInExplorer(path);
    else
        ui->openLinkInSuitableApp(path);
}

void Card::Private::updateTopRow(VideoItem::State state)
{
    topRow->updateForState(state);
}

void Card::Private::updateMidRow(VideoItem::State state)
{
    midRow->updateForState(state);
}

void Card::Private::updateBottomRow(VideoItem::State state)
{
    bottomRow->updateForState(state);
    thumbnail->setEnabled(state >= VideoItem::Imported);
}

void Card::Private::updateProgress()
{
    const VideoItemPtr item = q->videoItem();
    if (!item)
        return;
    ProgressBar *bar = bottomRow->progress;
    const int progress = item->progress();
    bar->setProgress(progress);
    const VideoItem::State state = item->state();
    if (state == VideoItem::Importing) {
        bar->setImporting();
        return;
    }
    // Set on every update, so that a time of an earlier run never stays.
    // What is left is shown as at least a second: 00:00:00 would read as
    // done.
    const qint64 remaining = progress > 0 ? item->remainingTime() : -1;
    bar->setRemainingTime(
            remaining < 0
                    ? QTime()
                    : QTime::fromMSecsSinceStartOfDay(int(
                            qBound<qint64>(1000, (remaining + 999) / 1000 * 1000, MaxShownMs))));
    if (progress != 0) {
        if (progress < 0)
            bar->setScheduled();
        bar->setPaused(item->isPaused());
    }
    if (state == VideoItem::Scheduled) {
        bar->setScheduled();
        bar->setPaused(item->isPaused());
    }
}

void Card::Private::updateMessage()
{
    const VideoItemPtr item = q->videoItem();
    if (!item)
        return;
    KelIconLabel *message = bottomRow->message;
    message->setToolTip(QString());
    switch (item->state()) {
    case VideoItem::ImportFailed:
        message->setStyleId(Style::WT_Card_Message_Warning);
        message->setText(item->failureReason().isEmpty()
                                 ? cardText("Import failed")
                                 : cardText("Import failed: %1").arg(item->failureReason()));
        // The whole of it where the row is too narrow for the text.
        message->setToolTip(item->failureReason());
        break;
    case VideoItem::ConvertFailed: {
        message->setStyleId(Style::WT_Card_Message_Warning);
        const QString reason = item->failReason() == VideoItem::ConverterFailed
                        && !item->failDetail().isEmpty()
                ? item->failDetail()
                : failReasonText(item->failReason());
        message->setText(reason.isEmpty() ? cardText("Convert failed")
                                          : cardText("Convert failed: %1").arg(reason));
        // The whole of it where the row is too narrow for the text.
        message->setToolTip(reason);
        break;
    }
    case VideoItem::Converted:
        message->setStyleId(Style::WT_Card_Message_Success);
        message->setText(cardText("Completed!"));
        break;
    default:
        break;
    }
}

void Card::Private::updateTooltips()
{
    const VideoItemPtr item = q->videoItem();
    MidRow *mid = midRow;
    if (item && item->state() == VideoItem::Converting) {
        mid->cross->setToolTip(cardText("Stop"));
        mid->pause->setToolTip(item->isPaused() ? cardText("Resume") : cardText("Pause"));
    } else {
        mid->cross->setToolTip(cardText("Remove from queue"));
    }
}

void Card::Private::updateTrim()
{
    const VideoItemPtr item = q->videoItem();
    const bool trimmed = item && item->isTrimmed();
    bottomRow->trim->show(trimmed,
                          trimmed ? cardText("Trimmed", TrimDisambiguation)
                                  : cardText("Trim", TrimDisambiguation));
}

void Card::Private::updateSubtitles()
{
    const VideoItemPtr item = q->videoItem();
    const PipObjectPtr subtitles = item ? item->subtitles() : PipObjectPtr();
    bottomRow->subtitles->show(!subtitles.isNull(),
                               subtitles ? QFileInfo(subtitles->filePath()).fileName()
                                         : cardText("Subtitles"));
}

void Card::Private::updateWatermark()
{
    const VideoItemPtr item = q->videoItem();
    const PipObjectPtr watermark = item ? item->watermark() : PipObjectPtr();
    BottomRow *bottom = bottomRow;
    KelButton *button = bottom->watermark->mainButton;
    if (!watermark) {
        button->setIcon(":/svg/watermark.svg");
        bottom->watermark->show(false, cardText("Watermark"));
        return;
    }
    if (watermark->type() == PipObject::ImageWatermark) {
        bottom->watermarkIcon->setSource(watermark->filePath());
        button->setIcon(bottom->watermarkIcon);
        bottom->watermark->show(true, QFileInfo(watermark->filePath()).fileName());
        button->update();
        return;
    }
    QString text = watermark->text().trimmed();
    if (text.size() > WatermarkTextLimit)
        text = text.left(WatermarkTextLimit) + QStringLiteral("...");
    button->setIcon(":/svg/watermark.svg");
    bottom->watermark->show(true, text);
}

void Card::Private::updateCapabilities()
{
    const VideoItemPtr item = q->videoItem();
    if (!item)
        return;
    BottomRow *bottom = bottomRow;
    bottom->trim->setEnabled(item->isSourceNotSwf());
    const bool video = item->hasVideo();
    bottom->watermark->setEnabled(video);
    bottom->subtitles->setEnabled(video);
    // Shows the user's choice: a format change must not switch the sound
    // back on, nor make an audio-only source switchable.
    const bool audioOnly = DialogLaunch::isAudioOnly(*item->sourceCodecInfo());
    bottom->audio->setCheckedState(item->useAudio());
    bottom->audio->setEnabled(item->supportAudio() && !audioOnly);
    // Without a format the worker would refuse the task: the empty format
    // cell shows what to choose.
    const bool hasFormat = !item->targetCodecInfo()->format().isEmpty();
    midRow->convert->setEnabled(hasFormat);
    midRow->convert->setToolTip(hasFormat ? QString() : cardText("Choose an output format first"));
}

void Card::Private::updateAudio(bool supported)
{
    const VideoItemPtr item = q->videoItem();
    if (!item)
        return;
    KelButton *audio = bottomRow->audio;
    const bool audioOnly = DialogLaunch::isAudioOnly(*item->sourceCodecInfo());
    audio->setCheckedState(supported || audioOnly);
    audio->setEnabled(supported && !audioOnly);
}

void Card::translateUi()
{
    if (!d->isBuilt())
        return;
    TopRow *top = d->topRow;
    MidRow *mid = d->midRow;
    BottomRow *bottom = d->bottomRow;
    top->title->setToolTip(cardText("Output file name"));
    top->settings->setToolTip(cardText("Advanced settings..."));
    top->folder->setToolTip(cardText("Show source file in explorer"));
    top->cross->setToolTip(cardText("Remove from queue"));
    mid->sourceInfo->refresh();
    mid->targetInfo->refresh();
    mid->convert->setText(cardText("Convert"));
    d->updateCapabilities();
    mid->restart->setToolTip(cardText("Restart"));
    mid->folder->setToolTip(cardText("Show"));
    d->updateMessage();
    d->updateTooltips();
    bottom->trim->extraButton->setToolTip(cardText("Reset"));
    d->updateTrim();
    bottom->subtitles->extraButton->setToolTip(cardText("Reset"));
    d->updateSubtitles();
    bottom->watermark->extraButton->setToolTip(cardText("Reset"));
    d->updateWatermark();
    bottom->audio->setText(cardText("Audio"));
    bottom->progress->translateUi();
}

#include "moc_card.cpp"
