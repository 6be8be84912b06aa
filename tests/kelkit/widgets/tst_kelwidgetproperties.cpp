#include "kelapplication.h"
#include "kelui.h"
#include "layouts/kelflowlayout.h"
#include "layouts/kellayoutdnd.h"
#include "styles/kelstyle.h"
#include "widgets/kelbutton.h"
#include "widgets/keliconwidget.h"
#include "widgets/kellabel.h"
#include "widgets/kelprogressbar.h"
#include "widgets/kelscrollarea.h"
#include "widgets/kelslider.h"
#include "widgets/keltabwidget.h"
#include "windows/keltitlebar.h"
#include "windows/kelwindowframe.h"

#include <QSignalSpy>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// A widget made for one row and the getter that must see what the
// property wrote.
struct Subject
{
    std::function<QObject *()> make;
    std::function<QVariant(QObject *)> read;
};

template<class W, class R>
Subject subject(std::function<W *()> make, R read)
{
    return {[make] { return make(); },
            [read](QObject *w) { return QVariant::fromValue(read(static_cast<W *>(w))); }};
}

KelButton *checkableButton()
{
    auto *button = new KelButton(KelStyle::WT_Button_Push);
    button->setCheckable(true);
    return button;
}

const QHash<QString, Subject> &subjects()
{
    static const QHash<QString, Subject> table{
            {"button.text",
             subject<KelButton>([] { return new KelButton; },
                                [](KelButton *b) { return b->text(); })},
            {"button.checkable",
             subject<KelButton>([] { return new KelButton; },
                                [](KelButton *b) { return b->isCheckable(); })},
            {"button.checked",
             subject<KelButton>(checkableButton, [](KelButton *b) { return b->isChecked(); })},
            {"button.autoExclusive",
             subject<KelButton>([] { return new KelButton; },
                                [](KelButton *b) { return b->isAutoExclusive(); })},
            {"button.clickableWhenChecked",
             subject<KelButton>([] { return new KelButton; },
                                [](KelButton *b) { return b->isClickableWhenChecked(); })},
            {"button.keepPressedOnDrag",
             subject<KelButton>([] { return new KelButton; },
                                [](KelButton *b) { return b->keepPressedOnDrag(); })},
            {"icon.iconSize",
             subject<KelIconWidget>([] { return new KelIconWidget; },
                                    [](KelIconWidget *i) { return i->iconSize(); })},
            {"label.elideMode",
             subject<KelLabel>([] { return new KelLabel; },
                               [](KelLabel *l) { return int(l->elideMode()); })},
            {"label.wrapAnywhere",
             subject<KelLabel>([] { return new KelLabel; },
                               [](KelLabel *l) { return l->isWrapAnywhere(); })},
            {"progress.state",
             subject<KelProgressBar>([] { return new KelProgressBar; },
                                     [](KelProgressBar *p) { return int(p->state()); })},
            {"area.autoSizeEnabled",
             subject<KelScrollArea>([] { return new KelScrollArea; },
                                    [](KelScrollArea *a) { return a->isAutoSizeEnabled(); })},
            {"flow.uniformItemSizes",
             subject<KelFlowLayout>([] { return new KelFlowLayout; },
                                    [](KelFlowLayout *f) { return f->uniformItemSizes(); })},
            {"flow.stretch",
             subject<KelFlowLayout>([] { return new KelFlowLayout; },
                                    [](KelFlowLayout *f) { return int(f->stretch()); })},
            {"dnd.localMoveEnabled",
             subject<KelLayoutDnd>([] { return new KelLayoutDnd; },
                                   [](KelLayoutDnd *d) { return d->isLocalMoveEnabled(); })},
            {"dnd.externalDropEnabled",
             subject<KelLayoutDnd>([] { return new KelLayoutDnd; },
                                   [](KelLayoutDnd *d) { return d->isExternalDropEnabled(); })},
            {"frame.borderColor",
             subject<KelWindowFrame>([] { return new KelWindowFrame(nullptr, nullptr); },
                                     [](KelWindowFrame *f) { return f->borderColor(); })},
            {"frame.borderWidth",
             subject<KelWindowFrame>([] { return new KelWindowFrame(nullptr, nullptr); },
                                     [](KelWindowFrame *f) { return f->borderWidth(); })},
            {"frame.dimInactiveBorder",
             subject<KelWindowFrame>([] { return new KelWindowFrame(nullptr, nullptr); },
                                     [](KelWindowFrame *f) { return f->dimInactiveBorder(); })},
            {"frame.shadowColor",
             subject<KelWindowFrame>([] { return new KelWindowFrame(nullptr, nullptr); },
                                     [](KelWindowFrame *f) { return f->shadowColor(); })},
            {"frame.shadowRadius",
             subject<KelWindowFrame>([] { return new KelWindowFrame(nullptr, nullptr); },
                                     [](KelWindowFrame *f) { return f->shadowRadius(); })},
            {"frame.shadowOffset",
             subject<KelWindowFrame>([] { return new KelWindowFrame(nullptr, nullptr); },
                                     [](KelWindowFrame *f) { return f->shadowOffset(); })},
            {"titlebar.buttons",
             subject<KelTitleBar>([] { return new KelTitleBar(nullptr); },
                                  [](KelTitleBar *t) { return t->buttons(); })},
            {"slider.trimVisible",
             subject<KelSlider>([] { return new KelSlider(Qt::Horizontal); },
                                [](KelSlider *s) { return s->isTrimVisible(); })},
            {"slider.trimEnabled",
             subject<KelSlider>([] { return new KelSlider(Qt::Horizontal); },
                                [](KelSlider *s) { return s->isTrimEnabled(); })},
            {"slider.minTrimDuration",
             subject<KelSlider>([] { return new KelSlider(Qt::Horizontal); },
                                [](KelSlider *s) { return s->minTrimDuration(); })},
            {"slider.handleColor",
             subject<KelSlider>([] { return new KelSlider(Qt::Horizontal); },
                                [](KelSlider *s) { return s->handleColor(); })},
            {"slider.handleSize",
             subject<KelSlider>([] { return new KelSlider(Qt::Horizontal); },
                                [](KelSlider *s) { return s->handleSize(); })},
            {"slider.animated",
             subject<KelSlider>([] { return new KelSlider(Qt::Horizontal); },
                                [](KelSlider *s) { return s->isAnimated(); })},
            {"slider.clickMode",
             subject<KelSlider>([] { return new KelSlider(Qt::Horizontal); },
                                [](KelSlider *s) { return s->clickMode(); })},
    };
    return table;
}

} // namespace

// Every property written through the meta-object reaches the widget's own
// setter and reads back through its getter, so animations and tests that
// go by name see the state that code calling the functions sees.
class tst_KelWidgetProperties : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void writeReachesTheGetter_data();
    void writeReachesTheGetter();
    void notifySignalsFollowTheState();
};

void tst_KelWidgetProperties::initTestCase()
{
    QVERIFY(kelUi());
}

void tst_KelWidgetProperties::cleanupTestCase()
{
    delete kelUi();
}

void tst_KelWidgetProperties::writeReachesTheGetter_data()
{
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");

    // Values differ from each widget's default, so a write that goes
    // nowhere fails.
    const auto row = [](const char *subject, const char *property, const QVariant &value) {
        QTest::newRow(subject) << QString::fromLatin1(subject) << QByteArray(property) << value;
    };
    row("button.text", "text", QStringLiteral("Convert"));
    row("button.checkable", "checkable", true);
    row("button.checked", "checked", true);
    row("button.autoExclusive", "autoExclusive", true);
    row("button.clickableWhenChecked", "clickableWhenChecked", true);
    row("button.keepPressedOnDrag", "keepPressedOnDrag", true);
    row("icon.iconSize", "iconSize", QSize(13, 17));
    row("label.elideMode", "elideMode", int(Qt::ElideRight));
    row("label.wrapAnywhere", "wrapAnywhere", true);
    row("progress.state", "state", int(KelProgressBar::Paused));
    row("area.autoSizeEnabled", "autoSizeEnabled", true);
    row("flow.uniformItemSizes", "uniformItemSizes", true);
    row("flow.stretch", "stretch", int(KelFlowLayout::StretchWhenWrapped));
    row("dnd.localMoveEnabled", "localMoveEnabled", true);
    row("dnd.externalDropEnabled", "externalDropEnabled", true);
    row("frame.borderColor", "borderColor", QColor(Qt::blue));
    row("frame.borderWidth", "borderWidth", 3);
    row("frame.dimInactiveBorder", "dimInactiveBorder", false);
    row("frame.shadowColor", "shadowColor", QColor(Qt::green));
    row("frame.shadowRadius", "shadowRadius", 9);
    row("frame.shadowOffset", "shadowOffset", 2);
    row("titlebar.buttons", "buttons", int(KelTitleBar::CloseButton));
    row("slider.trimVisible", "trimVisible", true);
    row("slider.trimEnabled", "trimEnabled", false);
    row("slider.minTrimDuration", "minTrimDuration", 7);
    row("slider.handleColor", "handleColor", QColor(Qt::red));
    row("slider.handleSize", "handleSize", QSize(10, 20));
    row("slider.animated", "animated", false);
    row("slider.clickMode", "clickMode", int(KelSlider::ClickMovesValue));
}

void tst_KelWidgetProperties::writeReachesTheGetter()
{
    QFETCH(QString, subject);
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);

    const Subject &s = subjects().value(subject);
    std::unique_ptr<QObject> widget(s.make());
    QVERIFY(s.read(widget.get()) != value);
    QVERIFY(widget->setProperty(property.constData(), value));
    QCOMPARE(s.read(widget.get()), value);
    QVariant read = widget->property(property.constData());
    QVERIFY(read.convert(value.userType()));
    QCOMPARE(read, value);
}

void tst_KelWidgetProperties::notifySignalsFollowTheState()
{
    std::unique_ptr<KelButton> button(checkableButton());
    QSignalSpy toggled(button.get(), &KelButton::toggled);
    button->setProperty("checked", true);
    QVERIFY(toggled.wait());
    QCOMPARE(toggled.takeFirst().at(0).toBool(), true);

    KelScrollArea area;
    QSignalSpy autoSize(&area, &KelScrollArea::autoSizeEnabledChanged);
    area.setProperty("autoSizeEnabled", true);
    QCOMPARE(autoSize.count(), 1);

    KelTabWidget tabs(Qt::TopEdge);
    tabs.addTab(0, new QWidget);
    tabs.addTab(1, new QWidget);
    QSignalSpy current(&tabs, &KelTabWidget::currentChanged);
    tabs.setProperty("currentIndex", 1);
    QCOMPARE(tabs.currentIndex(), 1);
    QCOMPARE(current.count(), 1);
    QCOMPARE(current.takeFirst().at(0).toInt(), 1);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelWidgetProperties test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelwidgetproperties.moc"
