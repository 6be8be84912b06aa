// Renders the framework's widgets in every state into PNG files, one per
// page, style and device pixel ratio, for review by eye:
//   QT_QPA_PLATFORM=offscreen kelgallery [output folder]
// The ratio is process-wide, so the program runs itself once per ratio.

#include "animators/kelwidgetstateanimator.h"
#include "itemviews/kellistwidget.h"
#include "itemviews/kellistwidgetitem.h"
#include "kelapplication.h"
#include "kelui.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "utils/kelcolorutils.h"
#include "utils/kelfontutils.h"
#include "utils/kelstatecolors.h"
#include "widgets/kelabstractscrollareashadows.h"
#include "widgets/kelanimatedscrollbar.h"
#include "widgets/kelbutton.h"
#include "widgets/kelexclusivebuttongroup.h"
#include "widgets/kelframe.h"
#include "widgets/keliconlabel.h"
#include "widgets/keliconwidget.h"
#include "widgets/kellabel.h"
#include "widgets/kellineedit.h"
#include "widgets/kelplaintextedit.h"
#include "widgets/kelprogressbar.h"
#include "widgets/kelscrollarea.h"
#include "widgets/kelslider.h"
#include "widgets/kelspinbox.h"
#include "widgets/keltabindicator.h"
#include "widgets/keltabwidget.h"
#include "widgets/scrollbarproxystyle.h"

#include <QDebug>
#include <QDir>
#include <QEventLoop>
#include <QGridLayout>
#include <QHoverEvent>
#include <QProcess>
#include <QScrollBar>
#include <QStringListModel>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <memory>

namespace {

const char RatioVariable[] = "KELGALLERY_RATIO";
const char *const Ratios[] = {"1", "1.5"};

// An application's light theme in its simplest form: the base style with an
// accent colour.
class AccentStyle : public KelStyle
{
public:
    using KelStyle::KelStyle;

    QString styleId() const override { return QStringLiteral("accent"); }
    QColor color(int id) const override
    {
        return id == CL_Accent ? QColor(0x2D, 0x7B, 0xE5) : KelStyle::color(id);
    }
};

// The states every widget is shown in, as columns.
enum State { Normal, Hovered, Pressed, Checked, CheckedHovered, Disabled };
const State AllStates[] = {Normal, Hovered, Pressed, Checked, CheckedHovered, Disabled};

QString stateName(State state)
{
    switch (state) {
    case Normal:
        return QStringLiteral("normal");
    case Hovered:
        return QStringLiteral("hover");
    case Pressed:
        return QStringLiteral("pressed");
    case Checked:
        return QStringLiteral("checked / focus");
    case CheckedHovered:
        return QStringLiteral("checked + hover");
    case Disabled:
        return QStringLiteral("disabled");
    }
    return QString();
}

KelWidgetStateAnimator *animatorOf(QWidget *widget)
{
    if (auto *button = qobject_cast<KelButton *>(widget))
        return button->stateAnimator();
    return widget->findChild<KelWidgetStateAnimator *>(QString(), Qt::FindDirectChildrenOnly);
}

// Puts a widget at rest in a state, as its animator would end up.
void showState(QWidget *widget, State state)
{
    auto *button = qobject_cast<KelButton *>(widget);
    if (state == Checked || state == CheckedHovered) {
        if (button) {
            button->setCheckable(true);
            button->setCheckedState(true);
        }
        if (KelWidgetStateAnimator *animator = animatorOf(widget)) {
            animator->setChecked(true, false);
            animator->setCheckedProgress(1.0);
        }
    }
    KelWidgetStateAnimator *animator = animatorOf(widget);
    if (animator && (state == Hovered || state == Pressed || state == CheckedHovered))
        animator->setHoveredProgress(1.0);
    if (animator && state == Pressed) {
        animator->setPressed(true, false);
        animator->setPressedProgress(1.0);
    }
    if (state == Disabled)
        widget->setEnabled(false);
}

KelLabel *caption(const QString &text, QWidget *parent)
{
    auto *label = new KelLabel(KelStyle::WT_Label_Row, parent);
    label->setText(text);
    return label;
}

// A page: a title and a grid whose first row names the states and whose
// first column names the widget of each row.
class Page : public QWidget
{
public:
    Page(const QString &title, const QList<State> &states) : m_states(states)
    {
        setAutoFillBackground(true);
        // The background of the framework's plain windows.
        KelUtils::setBackgroundColor(this, kelStyle()->color(KelStyle::CL_Window_Base));
        auto *column = new QVBoxLayout(this);
        column->setContentsMargins(16, 12, 16, 16);
        auto *heading = new KelLabel(-1, this);
        heading->setText(title);
        KelUtils::setWidgetFont(heading, 18, QFont::DemiBold);
        KelUtils::setTextColor(heading, kelStyle()->defaultTextColor());
        column->addWidget(heading);
        m_grid = new QGridLayout;
        m_grid->setHorizontalSpacing(14);
        m_grid->setVerticalSpacing(10);
        column->addLayout(m_grid);
        column->addStretch(1);
        for (int i = 0; i < m_states.size(); ++i)
            m_grid->addWidget(caption(stateName(m_states.at(i)), this), 0, i + 1);
    }

    using Maker = std::function<QWidget *(QWidget *parent, State state)>;

    // One widget per state column, each made in its state.
    void addStates(const QString &name, const Maker &make)
    {
        const int row = m_grid->rowCount();
        m_grid->addWidget(caption(name, this), row, 0, Qt::AlignLeft | Qt::AlignVCenter);
        for (int i = 0; i < m_states.size(); ++i) {
            QWidget *widget = make(this, m_states.at(i));
            m_grid->addWidget(widget, row, i + 1, Qt::AlignLeft | Qt::AlignVCenter);
        }
    }

    // The same for widgets whose own animator shows the state.
    void addStated(const QString &name, const std::function<QWidget *(QWidget *parent)> &make)
    {
        addStates(name, [make](QWidget *parent, State state) {
            QWidget *widget = make(parent);
            showState(widget, state);
            return widget;
        });
    }

    // A row of its own, across the state columns.
    void addWide(const QString &name, QWidget *widget)
    {
        const int row = m_grid->rowCount();
        m_grid->addWidget(caption(name, this), row, 0, Qt::AlignLeft | Qt::AlignVCenter);
        widget->setParent(this);
        m_grid->addWidget(widget, row, 1, 1, qMax(1, m_states.size()), Qt::AlignLeft);
    }

private:
    QList<State> m_states;
    QGridLayout *m_grid;
};

QString buttonIcon(int id)
{
    switch (id) {
    case 12:
        return kelStyle()->iconPath(KelStyle::IC_Close);
    case 22:
    case 23:
    case 24:
    case 25:
        return kelStyle()->iconPath(id - 12);
    case 26:
        return kelStyle()->iconPath(KelStyle::IC_Clear);
    default:
        return QString();
    }
}

QString buttonText(int id)
{
    switch (id) {
    case 13:
        return QStringLiteral("Check box");
    case 14:
        return QStringLiteral("Radio");
    case 15:
        return QStringLiteral("Toggle");
    case 16:
        return QStringLiteral("Menu item");
    case 17:
        return QStringLiteral("Submenu");
    case 18:
        return QStringLiteral("Combo");
    case 19:
        return QStringLiteral("List item|details");
    case 22:
    case 23:
    case 24:
    case 25:
    case 26:
        return QString();
    case 28:
        return QStringLiteral("Chip");
    default:
        return QStringLiteral("Button %1").arg(id);
    }
}

std::unique_ptr<QWidget> buttonsPage()
{
    auto page = std::make_unique<Page>(QStringLiteral("Buttons by style id"),
                                       QList<State>(std::begin(AllStates), std::end(AllStates)));
    const int ids[] = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 28};
    // The kinds that have a checked look; the others are never checkable.
    const QList<int> checkable{12, 13, 14, 15, 16, 17, 19};
    for (int id : ids) {
        const bool hasChecked = checkable.contains(id);
        page->addStates(QStringLiteral("id %1").arg(id),
                        [id, hasChecked](QWidget *parent, State state) -> QWidget * {
                            if (!hasChecked && (state == Checked || state == CheckedHovered))
                                return caption(QStringLiteral("-"), parent);
                            auto *button = new KelButton(id, buttonIcon(id), parent);
                            const QStringList texts = buttonText(id).split(QLatin1Char('|'));
                            button->setText(texts.first());
                            if (texts.size() > 1)
                                button->setSecondText(texts.last());
                            if (button->sizePolicy().horizontalPolicy() != QSizePolicy::Fixed)
                                button->setMinimumWidth(id == 19 ? 170 : 130);
                            showState(button, state);
                            return button;
                        });
    }
    return page;
}

std::unique_ptr<QWidget> inputsPage()
{
    const QList<State> states{Normal, Hovered, Checked, CheckedHovered, Disabled};
    auto page = std::make_unique<Page>(QStringLiteral("Inputs"), states);
    auto lineEdit = [](int id, const QString &text, std::function<void(KelLineEdit *)> dress) {
        return [id, text, dress](QWidget *parent) {
            auto *edit = new KelLineEdit(id, parent);
            edit->setText(text);
            edit->setFixedWidth(170);
            if (dress)
                dress(edit);
            return edit;
        };
    };
    page->addStated(QStringLiteral("line edit 29"), lineEdit(29, QStringLiteral("Some text"), {}));
    page->addStated(QStringLiteral("30, clear button"),
                    lineEdit(30, QStringLiteral("Clear me"), {}));
    page->addStated(QStringLiteral("32, password"), lineEdit(32, QStringLiteral("secret"), {}));
    page->addStated(QStringLiteral("placeholder"), lineEdit(29, QString(), [](KelLineEdit *edit) {
                        edit->setPlaceholderText(QStringLiteral("Type here"));
                    }));
    page->addStated(QStringLiteral("icon and button"),
                    lineEdit(29, QStringLiteral("Search"), [](KelLineEdit *edit) {
                        edit->setIcon(QStringLiteral(":/kelui/titlebar-maximize.svg"));
                        edit->setIconMargins(QMargins(8, 0, 0, 0));
                        edit->addButton(kelStyle()->iconPath(KelStyle::IC_TitleBar_Close));
                    }));
    page->addStated(QStringLiteral("plain text 35"), [](QWidget *parent) {
        auto *edit = new KelPlainTextEdit(KelStyle::WT_PlainTextEdit_AutoHeight, parent);
        edit->setPlainText(QStringLiteral("First line\nSecond line"));
        edit->setFixedWidth(170);
        return edit;
    });
    page->addStated(QStringLiteral("spin box 36"), [](QWidget *parent) {
        auto *spin = new KelSpinBox(KelStyle::WT_SpinBox, parent);
        spin->setRange(0, 100);
        spin->setValue(42);
        spin->setFixedWidth(110);
        return spin;
    });
    return page;
}

// A slider's position handle in a state: the slider draws the groove, the
// handle its own state.
QWidget *sliderInState(QWidget *parent, const std::function<void(KelSlider *)> &dress, State state)
{
    auto *slider = new KelSlider(KelStyle::WT_Slider_Default, Qt::Horizontal, parent);
    slider->setRange(0, 100);
    slider->setValue(40);
    slider->setAnimated(false);
    slider->setFixedWidth(150);
    if (dress)
        dress(slider);
    if (state == Disabled)
        slider->setEnabled(false);
    else
        showState(slider->positionHandle(), state);
    return slider;
}

// A trim handle as an editor shows it: a bubble above the groove with its
// time, whose bottom centre stands on the value.
void dressTrimHandle(KelButton *handle, const QString &text)
{
    handle->setBackground(KelStateColors(kelStyle()->color(KelStyle::CL_Button_Push_Base)));
    handle->setCornerRadii(QMargins(4, 4, 4, 4));
    handle->setTextColors(KelStateColors(kelStyle()->color(KelStyle::CL_Text_Light)));
    handle->setContentsMargins(QMargins(6, 2, 6, 2));
    handle->setText(text);
}

QWidget *trimmedSlider(State state)
{
    auto *holder = new QWidget;
    holder->setFixedSize(240, 56);
    auto *slider = new KelSlider(KelStyle::WT_Slider_Default, Qt::Horizontal, holder);
    slider->setGeometry(0, 28, 240, 24);
    slider->setRange(0, 100);
    slider->setAnimated(false);
    slider->setTrimColors(kelStyle()->accentColor(), kelStyle()->color(KelStyle::CL_Separator));
    slider->setTrimRange(20, 75);
    slider->setValue(45);
    dressTrimHandle(slider->leftTrimHandle(), QStringLiteral("0:20"));
    dressTrimHandle(slider->rightTrimHandle(), QStringLiteral("1:15"));
    for (KelButton *handle : {slider->leftTrimHandle(), slider->rightTrimHandle()}) {
        handle->setFixedSize(handle->sizeHint());
        if (state == Hovered)
            showState(handle, Hovered);
    }
    const QSize bubble = slider->leftTrimHandle()->size();
    slider->setLeftTrimHotSpot(QPoint(bubble.width() / 2, bubble.height() + 10));
    slider->setRightTrimHotSpot(QPoint(bubble.width() / 2, bubble.height() + 10));
    slider->setSubcontrolsParent(holder);
    slider->setTrimVisible(true);
    if (state == Disabled)
        holder->setEnabled(false);
    return holder;
}

std::unique_ptr<QWidget> slidersPage()
{
    const QList<State> states{Normal, Hovered, Pressed, Disabled};
    auto page = std::make_unique<Page>(QStringLiteral("Sliders and progress"), states);
    using Dress = std::function<void(KelSlider *)>;
    auto sliders = [](const Dress &dress) {
        return [dress](QWidget *parent, State state) { return sliderInState(parent, dress, state); };
    };
    page->addStates(QStringLiteral("slider 37"), sliders({}));
    page->addStates(QStringLiteral("at the minimum"),
                    sliders([](KelSlider *slider) { slider->setValue(0); }));
    page->addStates(QStringLiteral("hover mark"), sliders([](KelSlider *slider) {
                        slider->setHoverTracking(KelSlider::HoverMark);
                        slider->resize(slider->width(), 24);
                        QHoverEvent move(QEvent::HoverMove, QPointF(120, 12), QPointF(110, 12));
                        QCoreApplication::sendEvent(slider, &move);
                    }));
    page->addStates(QStringLiteral("handle colour, size"), sliders([](KelSlider *slider) {
                        slider->setGrooveHeight(4);
                        slider->setGrooveMargins(0, 0);
                        slider->setHandleColor(kelStyle()->defaultTextColor());
                        slider->setHandleSize(QSize(3, 20));
                        slider->setHoverTracking(KelSlider::HoverActiveAtMinimum);
                        slider->setGrooveColors(kelStyle()->color(KelStyle::CL_Separator),
                                                kelStyle()->accentColor());
                    }));
    page->addStates(QStringLiteral("trim handles"), [](QWidget *parent, State state) {
        QWidget *slider = trimmedSlider(state);
        slider->setParent(parent);
        return slider;
    });
    page->addStates(QStringLiteral("vertical"), [](QWidget *parent, State state) {
        auto *slider = new KelSlider(KelStyle::WT_Slider_Default, Qt::Vertical, parent);
        slider->setRange(0, 100);
        slider->setValue(70);
        slider->setAnimated(false);
        slider->setFixedHeight(90);
        if (state == Disabled)
            slider->setEnabled(false);
        else
            showState(slider->positionHandle(), state);
        return slider;
    });
    const KelProgressBar::State bars[] = {KelProgressBar::Normal, KelProgressBar::Paused,
                                          KelProgressBar::Indeterminate};
    // The paused look is drawn by derived bars; the base shows progress.
    const char *const barNames[] = {"progress", "paused", "indeterminate"};
    for (KelProgressBar::State barState : bars) {
        page->addStates(QString::fromLatin1(
                                barNames[barState == KelProgressBar::Normal           ? 0
                                                 : barState == KelProgressBar::Paused ? 1
                                                                                      : 2]),
                        [barState](QWidget *parent, State state) -> QWidget * {
                            if (state == Hovered || state == Pressed)
                                return caption(QStringLiteral("-"), parent);
                            auto *bar = new KelProgressBar(-1, parent);
                            bar->setRange(0, 100);
                            bar->setValue(60);
                            bar->setState(barState);
                            bar->setFixedWidth(150);
                            bar->setEnabled(state != Disabled);
                            return bar;
                        });
    }
    return page;
}

// A row of checkable buttons in a group, with an indicator of a shape.
QWidget *indicatedRow(KelTabIndicator::Shape shape, bool disabled)
{
    auto *frame = new KelFrame(-1, nullptr, true);
    auto *row = new QHBoxLayout(frame);
    row->setContentsMargins(4, 2, 4, 4);
    row->setSpacing(4);
    auto *group = new KelExclusiveButtonGroup(KelStyle::WT_MenuItem, frame);
    const QStringList names{"Video", "Audio", "Devices"};
    for (int i = 0; i < names.size(); ++i) {
        KelButton *button = group->createButton(i, QString());
        button->setText(names.at(i));
        button->setParent(frame);
        row->addWidget(button);
    }
    group->setCheckedSilently(1);
    frame->setFixedSize(frame->sizeHint());
    auto *indicator = new KelTabIndicator(frame, group, shape);
    indicator->setColor(shape == KelTabIndicator::FullHeight
                                ? KelUtils::colorWithAlphaF(kelStyle()->accentColor(), 0.25)
                                : kelStyle()->accentColor());
    frame->setEnabled(!disabled);
    return frame;
}

std::unique_ptr<QWidget> tabsPage()
{
    const QList<State> states{Normal, Disabled};
    auto page = std::make_unique<Page>(QStringLiteral("Tabs"), states);
    page->addStates(QStringLiteral("underline"), [](QWidget *parent, State state) {
        QWidget *row = indicatedRow(KelTabIndicator::Underline, state == Disabled);
        row->setParent(parent);
        return row;
    });
    page->addStates(QStringLiteral("full height"), [](QWidget *parent, State state) {
        QWidget *row = indicatedRow(KelTabIndicator::FullHeight, state == Disabled);
        row->setParent(parent);
        return row;
    });
    page->addStates(QStringLiteral("tab widget"), [](QWidget *parent, State state) {
        auto *tabs = new KelTabWidget(Qt::TopEdge, 16, parent);
        const QStringList names{"General", "Output", "About"};
        for (int i = 0; i < names.size(); ++i) {
            auto *label = new KelLabel(KelStyle::WT_Label_Message);
            label->setText(QStringLiteral("Page \"%1\"").arg(names.at(i)));
            tabs->addTab(i, label);
            tabs->setTabText(i, names.at(i));
        }
        tabs->setCurrentIndex(1);
        tabs->setFixedSize(300, 90);
        tabs->setEnabled(state != Disabled);
        return tabs;
    });
    return page;
}

// A column of rows taller than the area that shows it.
QWidget *rows(int count)
{
    auto *content = new QWidget;
    // A tint of its own shows where the area ends.
    content->setAutoFillBackground(true);
    KelUtils::setBackgroundColor(content, kelStyle()->color(KelStyle::CL_Dialog_Base));
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(8, 8, 8, 8);
    for (int i = 0; i < count; ++i) {
        auto *label = new KelLabel(KelStyle::WT_Label, content);
        label->setText(QStringLiteral("Row %1 of the content").arg(i + 1));
        column->addWidget(label);
    }
    return content;
}

KelScrollArea *scrolledArea(QWidget *parent, bool expandedBar)
{
    auto *area = new KelScrollArea(KelStyle::WT_ScrollArea, parent);
    area->setWidget(rows(20));
    area->setFixedSize(220, 150);
    KelAnimatedScrollBar::installOn(KelStyle::WT_ScrollBar, area);
    area->shadows()->setShadowEdges(Qt::TopEdge | Qt::BottomEdge, KelStyle::WT_Shadow,
                                    Qt::TopEdge | Qt::BottomEdge);
    for (auto *bar : area->findChildren<KelAnimatedScrollBar *>()) {
        if (expandedBar) {
            bar->proxyStyle()->expansionAnimator()->setHoveredProgress(1.0);
            bar->proxyStyle()->handleAnimator()->setHoveredProgress(1.0);
        }
    }
    return area;
}

std::unique_ptr<QWidget> scrollingPage()
{
    const QList<State> states{Normal, Hovered};
    auto page = std::make_unique<Page>(QStringLiteral("Scroll areas"), states);
    page->addStates(QStringLiteral("top"), [](QWidget *parent, State state) {
        return scrolledArea(parent, state == Hovered);
    });
    page->addStates(QStringLiteral("middle"), [](QWidget *parent, State state) {
        KelScrollArea *area = scrolledArea(parent, state == Hovered);
        area->setProperty("scrollTo", 0.5);
        return area;
    });
    page->addStates(QStringLiteral("end"), [](QWidget *parent, State state) {
        KelScrollArea *area = scrolledArea(parent, state == Hovered);
        area->setProperty("scrollTo", 1.0);
        return area;
    });
    return page;
}

// A list row as the application's cards are: a checkable button.
class ListRow : public KelButton, public KelListWidgetItem
{
public:
    explicit ListRow(QWidget *parent) : KelButton(KelStyle::WT_PopupMenuButton, parent)
    {
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    void setIndex(const QModelIndex &index) override
    {
        setText(index.data().toString());
        setSecondText(QStringLiteral("1920x1080"));
    }
    void reset() override
    {
        setText(QString());
        setSecondText(QString());
    }
    void layoutIdChanged(int) override { }
    void translateUi() override { }
};

std::unique_ptr<QWidget> listPage(QStringListModel *model)
{
    const QList<State> states{Normal};
    auto page = std::make_unique<Page>(QStringLiteral("List widget"), states);
    page->addStates(QStringLiteral("rows: checked, hover, disabled"),
                    [model](QWidget *parent, State) {
                        auto *list = new KelListWidget(KelStyle::WT_ScrollArea, parent);
                        auto *column = new QVBoxLayout;
                        column->setContentsMargins(6, 6, 6, 6);
                        column->setSpacing(2);
                        list->registerLayout(0, column);
                        list->setCurrentLayoutId(0);
                        list->setItemFactory([](QWidget *rowParent, const QModelIndex &index) {
                            auto *row = new ListRow(rowParent);
                            row->setIndex(index);
                            return row;
                        });
                        list->setModel(model);
                        KelAnimatedScrollBar::installOn(KelStyle::WT_ScrollBar, list);
                        list->shadows()->setShadowEdges(Qt::TopEdge | Qt::BottomEdge,
                                                        KelStyle::WT_Shadow,
                                                        Qt::TopEdge | Qt::BottomEdge);
                        list->setFixedSize(280, 260);
                        // Clips 8, 9 and 10, in view once scrolled.
                        list->selectIndex(model->index(7));
                        showState(column->itemAt(8)->widget(), Hovered);
                        column->itemAt(9)->widget()->setEnabled(false);
                        list->setProperty("scrollTo", 0.3);
                        return list;
                    });
    return page;
}

std::unique_ptr<QWidget> labelsPage()
{
    const QList<State> states{Normal, Disabled};
    auto page = std::make_unique<Page>(QStringLiteral("Labels and icons"), states);
    const int ids[] = {7, 8, 9, 27};
    for (int id : ids) {
        page->addStates(QStringLiteral("label %1").arg(id), [id](QWidget *parent, State state) {
            auto *label = new KelLabel(id, parent);
            label->setText(id == 8 ? QStringLiteral("An error message")
                                   : QStringLiteral("Label of style %1").arg(id));
            label->setEnabled(state != Disabled);
            return label;
        });
    }
    page->addStates(QStringLiteral("icon label"), [](QWidget *parent, State state) {
        auto *label = new KelIconLabel(KelStyle::WT_Button_Icon,
                                       kelStyle()->iconPath(KelStyle::IC_Close), parent);
        label->setText(QStringLiteral("Icon label"));
        label->setEnabled(state != Disabled);
        return label;
    });
    page->addStates(QStringLiteral("icon widget"), [](QWidget *parent, State state) {
        auto *icon = new KelIconWidget(parent);
        icon->setIcon(kelStyle()->iconPath(KelStyle::IC_TitleBar_Close));
        icon->setFixedSize(24, 24);
        icon->setEnabled(state != Disabled);
        return icon;
    });
    return page;
}

// Lays the page out, applies the scroll positions asked for and saves it.
bool save(QWidget *page, const QDir &dir, const QString &name)
{
    page->adjustSize();
    page->show();
    QCoreApplication::processEvents();
    for (QAbstractScrollArea *area : page->findChildren<QAbstractScrollArea *>()) {
        const QVariant to = area->property("scrollTo");
        if (!to.isValid())
            continue;
        QScrollBar *bar = area->verticalScrollBar();
        bar->setValue(qRound(bar->maximum() * to.toDouble()));
    }
    if (QWidget *focused = QApplication::focusWidget())
        focused->clearFocus();
    // Edge shadows fade in and out after scrolling; let them arrive.
    QEventLoop settle;
    QTimer::singleShot(600, &settle, &QEventLoop::quit);
    settle.exec();
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    if (!page->grab().save(path)) {
        qWarning().noquote() << "could not save" << path;
        return false;
    }
    qInfo().noquote() << "saved" << path;
    return true;
}

int renderPages(const QDir &dir, const QString &ratio)
{
    // Owned by the application, so they outlive the style manager.
    const QList<QPair<QString, KelStyle *>> styles{
            {QStringLiteral("base"), new KelStyle(qApp)},
            {QStringLiteral("accent"), new AccentStyle(qApp)},
    };
    for (const auto &style : styles)
        KelStyleManager::instance()->addStyle(style.second);

    QStringListModel model;
    QStringList names;
    for (int i = 1; i <= 30; ++i)
        names << QStringLiteral("Clip %1.mp4").arg(i);
    model.setStringList(names);

    bool ok = true;
    for (const auto &style : qAsConst(styles)) {
        KelStyleManager::instance()->setCurrentStyle(style.second->styleId());
        const QString suffix = QStringLiteral("-%1-%2x").arg(style.first, ratio);
        const QList<QPair<QString, std::function<std::unique_ptr<QWidget>()>>> pages{
                {QStringLiteral("buttons"), buttonsPage},
                {QStringLiteral("inputs"), inputsPage},
                {QStringLiteral("sliders"), slidersPage},
                {QStringLiteral("tabs"), tabsPage},
                {QStringLiteral("scrolling"), scrollingPage},
                {QStringLiteral("list"), [&model] { return listPage(&model); }},
                {QStringLiteral("labels"), labelsPage},
        };
        for (const auto &page : pages) {
            std::unique_ptr<QWidget> widget = page.second();
            ok = save(widget.get(), dir, page.first + suffix) && ok;
        }
    }
    return ok ? 0 : 1;
}

// Runs this program again once per ratio.
int renderAllRatios(const QString &program, const QStringList &arguments)
{
    int result = 0;
    for (const char *ratio : Ratios) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(RatioVariable), QString::fromLatin1(ratio));
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(ratio));
        if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(program, arguments);
        if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit
            || child.exitCode() != 0) {
            qWarning() << "rendering at ratio" << ratio << "failed";
            result = 1;
        }
    }
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    const QString ratio = QString::fromLocal8Bit(qgetenv(RatioVariable));
    if (ratio.isEmpty()) {
        QCoreApplication app(argc, argv);
        QStringList arguments = app.arguments();
        arguments.removeFirst();
        return renderAllRatios(QCoreApplication::applicationFilePath(), arguments);
    }
    KelApplication app(argc, argv);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("gallery"));
    QDir().mkpath(dir.path());
    return renderPages(dir, ratio);
}
