#include "layouts/kelflowlayout.h"
#include "layouts/kellayoutreplacer.h"
#include "layouts/kelspacerorwidgetitem.h"
#include "waitbound.h"

#include "../offscreenleak.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A window whose vertical layout holds a header label, the replaced layout
// and a footer label.
struct Fixture
{
    Fixture()
    {
        outer = new QVBoxLayout(&window);
        outer->addWidget(new QLabel(QStringLiteral("header")));
        box = new QVBoxLayout;
        flow = new KelFlowLayout;
        for (const char *name : {"A", "B", "C", "D", "E"}) {
            auto *widget = new QWidget(&window);
            widget->setObjectName(QLatin1String(name));
            widget->setFixedSize(20, 20);
            box->addWidget(widget);
        }
        replacer.registerLayout(0, box);
        replacer.registerLayout(1, flow);
        outer->addLayout(box);
        replacer.setCurrentLayoutId(0);
        outer->addWidget(new QLabel(QStringLiteral("footer")));
    }

    QString order() const
    {
        QString result;
        QLayout *layout = replacer.layout();
        for (int i = 0; i < layout->count(); ++i) {
            QLayoutItem *item = layout->itemAt(i);
            result += item->widget() ? item->widget()->objectName() : QStringLiteral("_");
        }
        return result;
    }

    QWidget window;
    KelLayoutReplacer replacer;
    QVBoxLayout *outer;
    QVBoxLayout *box;
    KelFlowLayout *flow;
};

} // namespace

class tst_KelLayoutReplacer : public QObject
{
    Q_OBJECT

private slots:
    void firstSelectionAdoptsTheOthers();
    void switchKeepsOrderAndPlace();
    void unknownOrSameIdChangesNothing();
    void moveItems_data();
    void moveItems();
    void insertsIntoBothKinds();
    void destructionDeletesOrphans();
    void spacerOrWidgetItem();
    void spacerOrWidgetItemFollowsWidget();
};

void tst_KelLayoutReplacer::firstSelectionAdoptsTheOthers()
{
    KelLayoutReplacer replacer;
    QSignalSpy about(&replacer, &KelLayoutReplacer::currentLayoutIdAboutToChange);
    QSignalSpy changed(&replacer, &KelLayoutReplacer::currentLayoutIdChanged);
    QCOMPARE(replacer.currentLayoutId(), -1);
    QCOMPARE(replacer.layout(), nullptr);

    QWidget holder;
    auto *first = new QVBoxLayout(&holder);
    auto *second = new KelFlowLayout;
    replacer.registerLayout(3, first);
    replacer.registerLayout(5, second);
    replacer.setCurrentLayoutId(3);

    QCOMPARE(replacer.currentLayoutId(), 3);
    QCOMPARE(replacer.layout(), first);
    QCOMPARE(first->parent(), &holder);
    QCOMPARE(second->parent(), &replacer);
    QCOMPARE(about.count(), 1);
    QCOMPARE(about.first(), (QVariantList{3, -1}));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first(), (QVariantList{3, -1}));
}

void tst_KelLayoutReplacer::switchKeepsOrderAndPlace()
{
    Fixture f;
    // Each signal notes the ids and the item counts of both layouts.
    QStringList events;
    auto note = [&](const char *name) {
        return [&, name](int newId, int oldId) {
            events << QStringLiteral("%1 %2->%3 box %4 flow %5")
                              .arg(QLatin1String(name))
                              .arg(oldId)
                              .arg(newId)
                              .arg(f.box->count())
                              .arg(f.flow->count());
        };
    };
    QObject::connect(&f.replacer, &KelLayoutReplacer::currentLayoutIdAboutToChange, note("about"));
    QObject::connect(&f.replacer, &KelLayoutReplacer::currentLayoutIdChanged, note("changed"));
    QCOMPARE(f.flow->parent(), &f.replacer);

    f.replacer.setCurrentLayoutId(1);
    QCOMPARE(events,
             (QStringList{QStringLiteral("about 0->1 box 5 flow 0"),
                          QStringLiteral("changed 0->1 box 0 flow 5")}));
    QCOMPARE(f.replacer.layout(), f.flow);
    QCOMPARE(f.order(), QStringLiteral("ABCDE"));
    QCOMPARE(f.box->count(), 0);
    QCOMPARE(f.box->parent(), &f.replacer);
    QCOMPARE(f.flow->parent(), f.outer);
    QCOMPARE(f.outer->indexOf(f.flow), 1);
    QCOMPARE(f.outer->count(), 3);

    // The flow layout really lays the widgets out in a row.
    f.window.resize(300, 200);
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window, WaitBound::ms()));
    auto *a = f.window.findChild<QWidget *>(QStringLiteral("A"));
    auto *b = f.window.findChild<QWidget *>(QStringLiteral("B"));
    QTRY_COMPARE(b->y(), a->y());
    QVERIFY(b->x() > a->x());

    // And back: the box holds them again, at the same place.
    f.replacer.setCurrentLayoutId(0);
    QCOMPARE(f.order(), QStringLiteral("ABCDE"));
    QCOMPARE(f.outer->indexOf(f.box), 1);
    QCOMPARE(f.flow->parent(), &f.replacer);
    QTRY_VERIFY(b->y() > a->y());
}

void tst_KelLayoutReplacer::unknownOrSameIdChangesNothing()
{
    Fixture f;
    QSignalSpy about(&f.replacer, &KelLayoutReplacer::currentLayoutIdAboutToChange);
    QSignalSpy changed(&f.replacer, &KelLayoutReplacer::currentLayoutIdChanged);

    f.replacer.setCurrentLayoutId(0);
    QTest::ignoreMessage(QtWarningMsg, "7 is not registered and can't be selected as current!");
    f.replacer.setCurrentLayoutId(7);

    // A registered layout that no longer exists can't be selected either.
    delete f.flow;
    QTest::ignoreMessage(QtWarningMsg, "1 is not registered and can't be selected as current!");
    f.replacer.setCurrentLayoutId(1);

    QCOMPARE(f.replacer.currentLayoutId(), 0);
    QCOMPARE(f.order(), QStringLiteral("ABCDE"));
    QCOMPARE(about.count(), 0);
    QCOMPARE(changed.count(), 0);
}

void tst_KelLayoutReplacer::moveItems_data()
{
    QTest::addColumn<int>("layoutId");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("destination");
    QTest::addColumn<QString>("expected");

    for (int id : {0, 1}) {
        const QByteArray kind = id == 0 ? "box: " : "flow: ";
        QTest::newRow(kind + "down") << id << 0 << 1 << 4 << "CDABE";
        QTest::newRow(kind + "up") << id << 3 << 4 << 0 << "DEABC";
        QTest::newRow(kind + "to end") << id << 1 << 1 << 5 << "ACDEB";
        QTest::newRow(kind + "one step down") << id << 2 << 2 << 4 << "ABDCE";
        QTest::newRow(kind + "negative start") << id << -1 << 2 << 4 << "ABCDE";
    }
}

void tst_KelLayoutReplacer::moveItems()
{
    QFETCH(int, layoutId);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, destination);
    QFETCH(QString, expected);

    Fixture f;
    f.replacer.setCurrentLayoutId(layoutId);
    f.replacer.moveItems(start, end, destination);
    QCOMPARE(f.order(), expected);
}

void tst_KelLayoutReplacer::insertsIntoBothKinds()
{
    Fixture f;
    auto *x = new QWidget(&f.window);
    x->setObjectName(QStringLiteral("X"));
    f.replacer.insertWidget(1, x);
    f.replacer.insertItem(0, new QSpacerItem(1, 1));
    QCOMPARE(f.order(), QStringLiteral("_AXBCDE"));

    f.replacer.setCurrentLayoutId(1);
    auto *y = new QWidget;
    y->setObjectName(QStringLiteral("Y"));
    f.replacer.insertWidget(-1, y);
    f.replacer.insertItem(2, new QSpacerItem(1, 1));
    QCOMPARE(f.order(), QStringLiteral("_A_XBCDEY"));
    // The flow layout adopts the widget as layouts do.
    QCOMPARE(y->parentWidget(), &f.window);
}

void tst_KelLayoutReplacer::destructionDeletesOrphans()
{
    QWidget holder;
    auto *inUse = new QVBoxLayout(&holder);
    QPointer<QLayout> spare = new QVBoxLayout;
    QPointer<QLayout> orphan = new KelFlowLayout;
    {
        KelLayoutReplacer replacer;
        replacer.registerLayout(0, inUse);
        replacer.registerLayout(1, spare);
        replacer.setCurrentLayoutId(0);
        // Registered after the first selection, so nobody adopted it.
        replacer.registerLayout(2, orphan);
        QTest::ignoreMessage(QtCriticalMsg,
                             QRegularExpression("KelFlowLayout.* with id 2 has no parent!"));
    }
    QVERIFY(!spare);
    QVERIFY(!orphan);
    QCOMPARE(holder.layout(), inUse);
}

void tst_KelLayoutReplacer::spacerOrWidgetItem()
{
    KelSpacerOrWidgetItem item(30, 40, QSizePolicy::Fixed, QSizePolicy::Fixed);
    QCOMPARE(item.widget(), nullptr);
    QCOMPARE(item.spacerItem(), &item);
    QCOMPARE(item.sizeHint(), QSize(30, 40));
    QCOMPARE(item.maximumSize(), QSize(30, 40));
    QVERIFY(item.isEmpty());
    item.setGeometry(QRect(5, 5, 30, 40));
    QCOMPARE(item.geometry(), QRect(5, 5, 30, 40));

    QWidget parent;
    auto *widget = new QLabel(QStringLiteral("carried"), &parent);
    widget->setFixedSize(50, 20);
    item.setWidget(widget);
    QCOMPARE(item.widget(), widget);
    QCOMPARE(item.spacerItem(), nullptr);
    QCOMPARE(item.sizeHint(), QSize(50, 20));
    QCOMPARE(item.minimumSize(), QSize(50, 20));
    QVERIFY(!item.isEmpty());
    QCOMPARE(item.expandingDirections(), Qt::Orientations());
    QCOMPARE(item.controlTypes(), QSizePolicy::Label);

    // Alignment places the widget inside a bigger rectangle.
    item.setAlignment(Qt::AlignRight | Qt::AlignBottom);
    item.setGeometry(QRect(0, 0, 100, 100));
    QCOMPARE(widget->geometry(), QRect(50, 80, 50, 20));
    QCOMPARE(item.geometry(), widget->geometry());

    // Hidden is empty unless the widget keeps its size when hidden.
    widget->hide();
    QVERIFY(item.isEmpty());
    QCOMPARE(item.sizeHint(), QSize(0, 0));
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
    QVERIFY(!item.isEmpty());

    // A deleted widget leaves the spacer behind, in the place the layout
    // gave the item last, not where it stood before the widget came.
    delete widget;
    QCOMPARE(item.widget(), nullptr);
    QCOMPARE(item.spacerItem(), &item);
    QCOMPARE(item.sizeHint(), QSize(30, 40));
    QCOMPARE(item.geometry(), QRect(0, 0, 100, 100));

    // Detaching by null does the same.
    QLabel other;
    item.setWidget(&other);
    item.setWidget(nullptr);
    QCOMPARE(item.sizeHint(), QSize(30, 40));
}

void tst_KelLayoutReplacer::spacerOrWidgetItemFollowsWidget()
{
    // In a live layout the item places its widget and follows its height
    // for width.
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *item = new KelSpacerOrWidgetItem(10, 10);
    layout->addItem(item);
    auto *label = new QLabel(QStringLiteral("word ").repeated(20), &window);
    label->setWordWrap(true);
    item->setWidget(label);
    QVERIFY(item->hasHeightForWidth());
    QVERIFY(item->heightForWidth(60) > item->heightForWidth(600));
    window.resize(200, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    QTRY_COMPARE(label->width(), 200);

    // Deleting the widget keeps the item in place, as a spacer again.
    delete label;
    QCOMPARE(layout->count(), 1);
    QCOMPARE(layout->itemAt(0), item);
    QCOMPARE(item->sizeHint(), QSize(10, 10));
}

QTEST_MAIN(tst_KelLayoutReplacer)
#include "tst_kellayoutreplacer.moc"
