#include "itemviews/kellistwidget.h"
#include "itemviews/kellistwidgetitem.h"
#include "kelapplication.h"
#include "layouts/kelflowlayout.h"
#include "layouts/kellayoutdnd.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kelexclusivebuttongroup.h"

#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStringListModel>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A string list that moves rows by their number in the MIME text and
// inserts dropped text, recording every drop.
class RecordingModel : public QStringListModel
{
public:
    struct Drop
    {
        Qt::DropAction action;
        int row;
        int column;
        QModelIndex parent;
    };

    using QStringListModel::QStringListModel;

    QMimeData *mimeData(const QModelIndexList &indexes) const override
    {
        auto *data = new QMimeData;
        data->setText(QString::number(indexes.value(0).row()));
        return data;
    }

    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override
    {
        drops.append({action, row, column, parent});
        if (action == Qt::MoveAction) {
            const int from = data->text().toInt();
            return moveRows(parent, from, 1, parent, row > from ? row + 1 : row);
        }
        insertRows(row, 1, parent);
        return setData(index(row, 0, parent), data->text());
    }

    QList<Drop> drops;
};

// A row that records what the list asks of it.
class Row : public QWidget, public KelListWidgetItem
{
public:
    explicit Row(QWidget *parent) : QWidget(parent) { setFixedHeight(30); }

    void setIndex(const QModelIndex &index) override
    {
        calls << QStringLiteral("setIndex");
        text = index.data().toString();
    }
    void reset() override { calls << QStringLiteral("reset"); }
    void layoutIdChanged(int) override { calls << QStringLiteral("layoutIdChanged"); }
    void translateUi() override { calls << QStringLiteral("translateUi"); }

    QStringList calls;
    QString text;
};

// A shown list with one spacing-free column over a model of three rows.
struct Scene
{
    explicit Scene(const QStringList &rows = {"a", "b", "c"}) : model(rows)
    {
        auto *column = new QVBoxLayout;
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        list.registerLayout(0, column);
        list.setCurrentLayoutId(0);
        list.setItemFactory([](QWidget *parent, const QModelIndex &index) {
            auto *row = new Row(parent);
            row->text = index.data().toString();
            return row;
        });
        indicator = new QWidget;
        list.layoutDnd()->setDropIndicator(indicator);
        list.layoutDnd()->setLocalMoveEnabled(true);
        list.layoutDnd()->setExternalDropEnabled(true);
        list.setModel(&model);
        list.resize(200, 300);
        list.show();
        QCoreApplication::processEvents();
    }

    QLayout *layout() const { return list.layoutDnd()->layout(); }
    Row *rowAt(int i) const { return dynamic_cast<Row *>(layout()->itemAt(i)->widget()); }
    QStringList shownTexts() const
    {
        QStringList texts;
        for (int i = 0; i < layout()->count(); ++i)
            texts << (rowAt(i) ? rowAt(i)->text : QStringLiteral("?"));
        return texts;
    }
    QWidget *container() const { return layout()->parentWidget(); }

    RecordingModel model;
    KelListWidget list{-1};
    QWidget *indicator = nullptr;
};

void sendMouse(QWidget *target, QEvent::Type type, const QPoint &pos, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, pos, target->mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

// Presses row 0 and drags it to pos (container coordinates).
void dragFirstRowTo(Scene &scene, const QPoint &pos)
{
    Row *first = scene.rowAt(0);
    sendMouse(first, QEvent::MouseButtonPress, QPoint(10, 15), Qt::LeftButton);
    sendMouse(first, QEvent::MouseMove, QPoint(10, 30), Qt::LeftButton);
    QCOMPARE(QWidget::mouseGrabber(), scene.container());
    sendMouse(scene.container(), QEvent::MouseMove, pos, Qt::LeftButton);
}

// A row with a size hint and a fixed height, as cards have, so that the
// placeholders of visible-only mode stand at its size.
class SizedRow : public Row
{
public:
    explicit SizedRow(QWidget *parent) : Row(parent)
    {
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override { return QSize(60, 30); }
};

// A checkable 60 x 30 button row, as the application's cards are.
class ButtonRow : public KelButton, public KelListWidgetItem
{
public:
    explicit ButtonRow(QWidget *parent) : KelButton(-1, parent, true)
    {
        setCheckable(true);
        setFixedSize(60, 30);
    }
    void setIndex(const QModelIndex &) override { }
    void reset() override { }
    void layoutIdChanged(int) override { }
    void translateUi() override { }
};

// The three kinds of row layout a list meets: a column, a row and a
// wrapping grid, all without spacing.
QLayout *makeRowLayout(int kind)
{
    switch (kind) {
    case 1: {
        auto *row = new QHBoxLayout;
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        return row;
    }
    case 2:
        return new KelFlowLayout(nullptr, QMargins(), 0, 0);
    default: {
        auto *column = new QVBoxLayout;
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        return column;
    }
    }
}

// "0", "1", ... as the rows' texts.
QStringList numberedRows(int count)
{
    QStringList rows;
    for (int i = 0; i < count; ++i)
        rows << QString::number(i);
    return rows;
}

} // namespace

class tst_KelListWidget : public QObject
{
    Q_OBJECT

private slots:
    void insertionsShareOneFreeze();
    void largeInsertionGetsItsWidgetsOverSeveralPasses();
    void dataChangedNeedsDisplayRole();
    void recycledWidgetIsNotTranslated();
    void localMoveToEnd();
    void escapeCancelsDrag();
    void externalDropOnEmptyList();
    void refusingFilterRefusesAtEnter();
    void modelBeforeFactory();
    void noFreezeWhileWindowIsDestroyed();
    void visibleOnlyMode_data();
    void visibleOnlyMode();
    void rowsArePreparedNearTheView();
    void layoutSwitchKeepsRows_data();
    void layoutSwitchKeepsRows();
    void keyboardNavigation_data();
    void keyboardNavigation();
};

void tst_KelListWidget::insertionsShareOneFreeze()
{
    Scene scene;
    QSignalSpy finished(&scene.list, &KelListWidget::hardWorkFinished);
    QSignalSpy rows(&scene.list, &KelListWidget::rowCountChanged);
    scene.model.insertRows(3, 1);
    QVERIFY(scene.list.viewport()->isHidden());
    scene.model.insertRows(0, 1);
    QCOMPARE(rows.count(), 2);
    QCOMPARE(rows.last().at(0).toInt(), 5);
    QVERIFY(finished.wait(WaitBound::ms()));
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 1);
    QVERIFY(scene.list.viewport()->isVisible());
    QCOMPARE(scene.layout()->count(), 5);
    QCOMPARE(scene.rowAt(1)->text, QStringLiteral("a"));
}

void tst_KelListWidget::largeInsertionGetsItsWidgetsOverSeveralPasses()
{
    Scene scene;
    // No time at all: one widget per pass of the event loop.
    scene.list.setCreationBudget(0);
    scene.model.insertRows(1, 3);
    for (int i = 0; i < 3; ++i)
        scene.model.setData(scene.model.index(1 + i), QStringLiteral("n%1").arg(i));
    QCOMPARE(scene.shownTexts(), (QStringList{"a", "n0", "?", "?", "b", "c"}));

    QTRY_COMPARE(scene.shownTexts(), (QStringList{"a", "n0", "n1", "n2", "b", "c"}));
    auto inOrder = [&] {
        for (int i = 1; i < scene.layout()->count(); ++i) {
            if (scene.rowAt(i)->y() != scene.rowAt(i - 1)->y() + 30 || !scene.rowAt(i)->isVisible())
                return false;
        }
        return true;
    };
    QTRY_VERIFY(inOrder());

    // A row removed before its widget came leaves the others in order.
    scene.model.insertRows(0, 2);
    scene.model.removeRows(1, 1);
    QTRY_COMPARE(scene.layout()->count(), 7);
    QTRY_VERIFY(!scene.shownTexts().contains(QStringLiteral("?")));
    QCOMPARE(scene.shownTexts().mid(1), (QStringList{"a", "n0", "n1", "n2", "b", "c"}));
}

void tst_KelListWidget::dataChangedNeedsDisplayRole()
{
    Scene scene;
    Row *row = scene.rowAt(1);
    row->calls.clear();
    const QModelIndex index = scene.model.index(1);
    emit scene.model.dataChanged(index, index, {Qt::ToolTipRole});
    emit scene.model.dataChanged(index, index, {});
    QVERIFY(row->calls.isEmpty());
    scene.model.setData(index, QStringLiteral("B"));
    QCOMPARE(row->calls, QStringList{"setIndex"});
    QCOMPARE(row->text, QStringLiteral("B"));
}

void tst_KelListWidget::recycledWidgetIsNotTranslated()
{
    Scene scene;
    Row *removed = scene.rowAt(2);
    removed->calls.clear();
    scene.model.removeRows(2, 1);
    QCOMPARE(removed->calls, QStringList{"reset"});
    QVERIFY(removed->isHidden());
    removed->calls.clear();
    scene.model.insertRows(0, 1);
    scene.model.setData(scene.model.index(0), QStringLiteral("new"));
    QCOMPARE(scene.rowAt(0), removed);
    QCOMPARE(removed->calls, (QStringList{"layoutIdChanged", "setIndex", "setIndex"}));
    QCOMPARE(scene.shownTexts(), (QStringList{"new", "a", "b"}));
}

void tst_KelListWidget::localMoveToEnd()
{
    Scene scene;
    QSignalSpy moved(scene.list.layoutDnd(), &KelLayoutDnd::widgetMoved);
    QSignalSpy started(scene.list.layoutDnd(), &KelLayoutDnd::dragStarted);
    Row *first = scene.rowAt(0);
    dragFirstRowTo(scene, QPoint(10, 85));
    QCOMPARE(started.count(), 1);
    QVERIFY(scene.indicator->isVisible());
    QVERIFY(first->isHidden());
    sendMouse(scene.container(), QEvent::MouseButtonRelease, QPoint(10, 85), Qt::NoButton);

    QCOMPARE(QWidget::mouseGrabber(), nullptr);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(scene.model.drops.size(), 1);
    const RecordingModel::Drop drop = scene.model.drops.first();
    QCOMPARE(drop.action, Qt::MoveAction);
    QCOMPARE(drop.row, 2);
    QCOMPARE(drop.column, 0);
    QCOMPARE(drop.parent, QModelIndex());
    QCOMPARE(scene.model.stringList(), (QStringList{"b", "c", "a"}));
    // The model's own move signal is not applied a second time.
    QCOMPARE(scene.layout()->count(), 3);
    QCOMPARE(scene.rowAt(2), first);
    QCOMPARE(scene.shownTexts(), scene.model.stringList());
    QVERIFY(scene.indicator->isHidden());
}

void tst_KelListWidget::escapeCancelsDrag()
{
    Scene scene;
    QSignalSpy stopped(scene.list.layoutDnd(), &KelLayoutDnd::dragStopped);
    Row *first = scene.rowAt(0);
    dragFirstRowTo(scene, QPoint(10, 85));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(scene.container(), &escape);

    QCOMPARE(stopped.count(), 1);
    QCOMPARE(QWidget::mouseGrabber(), nullptr);
    QVERIFY(scene.indicator->isHidden());
    QCOMPARE(scene.layout()->indexOf(scene.indicator), -1);
    QCOMPARE(scene.rowAt(0), first);
    QVERIFY(first->isVisible());
    QCOMPARE(scene.shownTexts(), (QStringList{"a", "b", "c"}));
    sendMouse(scene.container(), QEvent::MouseButtonRelease, QPoint(10, 85), Qt::NoButton);
    QVERIFY(scene.model.drops.isEmpty());
}

void tst_KelListWidget::externalDropOnEmptyList()
{
    Scene scene(QStringList{});
    QMimeData data;
    data.setText(QStringLiteral("dropped"));
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(scene.container(), &enter);
    QVERIFY(enter.isAccepted());
    QDragMoveEvent move(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(scene.container(), &move);
    QVERIFY(move.isAccepted());
    QVERIFY(scene.list.layoutDnd()->isDropAllowed());
    QCOMPARE(scene.layout()->indexOf(scene.indicator), 0);
    QDropEvent drop(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(scene.container(), &drop);

    QVERIFY(drop.isAccepted());
    QCOMPARE(scene.model.drops.size(), 1);
    QCOMPARE(scene.model.drops.first().action, Qt::CopyAction);
    QCOMPARE(scene.model.drops.first().row, 0);
    QCOMPARE(scene.shownTexts(), QStringList{"dropped"});
    QVERIFY(!scene.list.layoutDnd()->isDropAllowed());
}

void tst_KelListWidget::refusingFilterRefusesAtEnter()
{
    Scene scene;
    scene.list.layoutDnd()->setExternalDropFilter([](const QMimeData *) { return false; });
    QMimeData data;
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(scene.container(), &enter);
    QVERIFY(!enter.isAccepted());
    QDragMoveEvent move(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(scene.container(), &move);
    QVERIFY(!move.isAccepted());
    QVERIFY(scene.indicator->isHidden());
}

void tst_KelListWidget::modelBeforeFactory()
{
    QStringListModel model({"a"});
    KelListWidget list(-1);
    list.registerLayout(0, new QVBoxLayout);
    list.setCurrentLayoutId(0);
    QSignalSpy rows(&list, &KelListWidget::rowCountChanged);
    list.setModel(&model);
    model.insertRows(0, 2);
    model.setData(model.index(0), QStringLiteral("x"));
    model.removeRows(0, 1);
    QCOMPARE(rows.count(), 0);
    QCOMPARE(list.layoutDnd()->layout()->count(), 0);
}

// The model dies with the window, before the list: the list lets go of
// it without grabbing a window that is half torn down.
void tst_KelListWidget::noFreezeWhileWindowIsDestroyed()
{
    auto *window = new QWidget;
    auto *model = new QStringListModel({"a", "b"}, window);
    auto *list = new KelListWidget(-1, window);
    auto *column = new QVBoxLayout;
    list->registerLayout(0, column);
    list->setCurrentLayoutId(0);
    list->setItemFactory([](QWidget *parent, const QModelIndex &) { return new Row(parent); });
    list->setModel(model);
    window->show();
    QCoreApplication::processEvents();
    QCOMPARE(column->count(), 2);

    QTest::ignoreMessage(QtInfoMsg, "Skip hard work on app finish");
    delete window;
}

void tst_KelListWidget::visibleOnlyMode_data()
{
    QTest::addColumn<int>("scroll");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<bool>("factoryFirst");
    // 100 rows of 30 in a 300 high view; widgets exist for the view and one
    // view's height above and below it.
    QTest::newRow("top") << 0 << 0 << 19 << false;
    QTest::newRow("middle") << 900 << 20 << 49 << false;
    QTest::newRow("end") << 2700 << 80 << 99 << false;
    // The placeholders still take the rows' size.
    QTest::newRow("mode set after the factory") << 900 << 20 << 49 << true;
}

void tst_KelListWidget::visibleOnlyMode()
{
    QFETCH(int, scroll);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(bool, factoryFirst);
    QStringListModel model(numberedRows(100));
    KelListWidget list(-1);
    list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list.registerLayout(0, makeRowLayout(0));
    list.setCurrentLayoutId(0);
    if (!factoryFirst)
        list.setCreateOnlyVisibleItems(true);
    int made = 0;
    list.setItemFactory([&made](QWidget *parent, const QModelIndex &index) {
        ++made;
        auto *row = new SizedRow(parent);
        row->text = index.data().toString();
        return row;
    });
    if (factoryFirst)
        list.setCreateOnlyVisibleItems(true);
    list.resize(200, 300);
    list.show();
    list.setModel(&model);
    QCoreApplication::processEvents();
    list.verticalScrollBar()->setValue(scroll);

    QLayout *layout = list.layoutDnd()->layout();
    QCOMPARE(layout->count(), 100);
    QCOMPARE(layout->itemAt(99)->geometry().bottom(), 2999);
    for (int i = 0; i < layout->count(); ++i) {
        auto *row = dynamic_cast<Row *>(layout->itemAt(i)->widget());
        const bool expected = i >= first && i <= last;
        QVERIFY2(bool(row) == expected, qPrintable(QString::number(i)));
        if (row)
            QCOMPARE(row->text, QString::number(i));
    }
    // Rows that scroll away lend their widgets to the rows that come in.
    QVERIFY(made <= 2 * (last - first + 1) + 1);
}

void tst_KelListWidget::rowsArePreparedNearTheView()
{
    // A row that counts how often it was prepared.
    class PreparedRow : public SizedRow
    {
    public:
        using SizedRow::SizedRow;
        void prepareForView() override { ++prepared; }
        int prepared = 0;
    };
    QStringListModel model(numberedRows(100));
    KelListWidget list(-1);
    list.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list.registerLayout(0, makeRowLayout(0));
    list.setCurrentLayoutId(0);
    QList<PreparedRow *> rows;
    list.setItemFactory([&rows](QWidget *parent, const QModelIndex &index) {
        auto *row = new PreparedRow(parent);
        if (index.isValid())
            rows << row;
        return row;
    });
    list.resize(200, 300);
    list.show();
    list.setModel(&model);
    QTRY_COMPARE(rows.size(), 100);
    auto preparedRows = [&] {
        QList<int> prepared;
        for (int i = 0; i < rows.size(); ++i) {
            if (rows.at(i)->prepared > 0)
                prepared << i;
        }
        return prepared;
    };
    auto range = [](int first, int last) {
        QList<int> rows;
        for (int i = first; i <= last; ++i)
            rows << i;
        return rows;
    };
    // The view (rows 0-9) and a view's height below it.
    QTRY_COMPARE(preparedRows(), range(0, 19));

    // Scrolled to the middle: a view's height above and below too.
    list.verticalScrollBar()->setValue(1500);
    QTRY_COMPARE(preparedRows(), range(0, 19) + range(40, 69));

    // A row handed out is prepared wherever it is.
    QCOMPARE(list.rowWidget(99), static_cast<QWidget *>(rows.at(99)));
    QVERIFY(rows.at(99)->prepared > 0);

    // Rows inserted above push rows that were out of reach (20-39) into
    // the view, and they are prepared there.
    QVERIFY(rows.at(30)->prepared == 0);
    model.insertRows(0, 20);
    QTRY_COMPARE(rows.size(), 120);
    QTRY_COMPARE(rows.at(30)->y(), 1500);
    QTRY_VERIFY(rows.at(30)->prepared > 0);
    QVERIFY(rows.at(39)->prepared > 0);
}

void tst_KelListWidget::layoutSwitchKeepsRows_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QPoint>("secondRowAt");
    QTest::addColumn<QPoint>("fourthRowAt");
    // Rows of 60 x 30 in a 200 wide list: the grid wraps after three.
    QTest::newRow("column") << 0 << QPoint(0, 30) << QPoint(0, 90);
    QTest::newRow("row") << 1 << QPoint(60, 0) << QPoint(180, 0);
    QTest::newRow("grid") << 2 << QPoint(60, 0) << QPoint(0, 30);
}

void tst_KelListWidget::layoutSwitchKeepsRows()
{
    QFETCH(int, kind);
    QFETCH(QPoint, secondRowAt);
    QFETCH(QPoint, fourthRowAt);
    QStringListModel model({"a", "b", "c", "d"});
    KelListWidget list(-1);
    list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list.registerLayout(0, makeRowLayout(0));
    list.registerLayout(kind + 10, makeRowLayout(kind));
    list.setCurrentLayoutId(0);
    list.setItemFactory([](QWidget *parent, const QModelIndex &index) {
        auto *row = new SizedRow(parent);
        row->text = index.data().toString();
        row->setFixedSize(60, 30);
        return row;
    });
    list.setModel(&model);
    list.resize(200, 300);
    list.show();
    QSignalSpy finished(&list, &KelListWidget::hardWorkFinished);
    QVERIFY(finished.wait(WaitBound::ms()));
    QList<Row *> rows;
    for (int i = 0; i < 4; ++i) {
        rows << dynamic_cast<Row *>(list.layoutDnd()->layout()->itemAt(i)->widget());
        rows.last()->calls.clear();
    }

    list.setCurrentLayoutId(kind + 10);
    QCOMPARE(list.currentLayoutId(), kind + 10);
    QVERIFY(finished.wait(WaitBound::ms()));
    QLayout *layout = list.layoutDnd()->layout();
    QCOMPARE(layout->count(), 4);
    for (int i = 0; i < 4; ++i) {
        // The same widgets, told of the new layout, not rebuilt.
        QCOMPARE(layout->itemAt(i)->widget(), rows.at(i));
        QCOMPARE(rows.at(i)->calls, QStringList{"layoutIdChanged"});
    }
    QTRY_COMPARE(rows.at(1)->pos(), secondRowAt);
    QCOMPARE(rows.at(3)->pos(), fourthRowAt);
}

void tst_KelListWidget::keyboardNavigation_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("disabled");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    // Six rows; the grid holds three per line.
    QTest::newRow("column down") << 0 << 0 << -1 << int(Qt::Key_Down) << 1;
    QTest::newRow("column up") << 0 << 2 << -1 << int(Qt::Key_Up) << 1;
    QTest::newRow("column skips a disabled row") << 0 << 0 << 1 << int(Qt::Key_Down) << 2;
    QTest::newRow("column ignores right") << 0 << 0 << -1 << int(Qt::Key_Right) << 0;
    QTest::newRow("column stops at the end") << 0 << 5 << -1 << int(Qt::Key_Down) << 5;
    QTest::newRow("column end") << 0 << 0 << -1 << int(Qt::Key_End) << 5;
    QTest::newRow("column home") << 0 << 4 << -1 << int(Qt::Key_Home) << 0;
    QTest::newRow("column page down does nothing") << 0 << 0 << -1 << int(Qt::Key_PageDown) << 0;
    QTest::newRow("row right") << 1 << 0 << -1 << int(Qt::Key_Right) << 1;
    QTest::newRow("row left") << 1 << 3 << -1 << int(Qt::Key_Left) << 2;
    QTest::newRow("row ignores down") << 1 << 0 << -1 << int(Qt::Key_Down) << 0;
    QTest::newRow("grid down a line") << 2 << 1 << -1 << int(Qt::Key_Down) << 4;
    QTest::newRow("grid up a line") << 2 << 5 << -1 << int(Qt::Key_Up) << 2;
    QTest::newRow("grid right wraps") << 2 << 2 << -1 << int(Qt::Key_Right) << 3;
}

void tst_KelListWidget::keyboardNavigation()
{
    QFETCH(int, kind);
    QFETCH(int, start);
    QFETCH(int, disabled);
    QFETCH(int, key);
    QFETCH(int, expected);
    QStringListModel model({"a", "b", "c", "d", "e", "f"});
    KelListWidget list(-1);
    list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list.registerLayout(0, makeRowLayout(kind));
    list.setCurrentLayoutId(0);
    list.setKeyboardNavigationEnabled(true);
    KelExclusiveButtonGroup group;
    list.setItemFactory([&group](QWidget *parent, const QModelIndex &index) {
        auto *row = new ButtonRow(parent);
        group.addButton(row, index.row());
        return row;
    });
    list.setModel(&model);
    list.resize(kind == 1 ? 400 : 200, 200);
    list.show();
    QSignalSpy finished(&list, &KelListWidget::hardWorkFinished);
    QVERIFY(finished.wait(WaitBound::ms()));
    QLayout *layout = list.layoutDnd()->layout();
    auto row = [layout](int i) { return static_cast<KelButton *>(layout->itemAt(i)->widget()); };
    if (disabled >= 0)
        row(disabled)->setEnabled(false);
    row(start)->setCheckedState(true);

    auto checkedRows = [&] {
        QList<int> rows;
        for (int i = 0; i < layout->count(); ++i) {
            if (row(i)->isChecked())
                rows << i;
        }
        return rows;
    };
    QTest::keyClick(&list, Qt::Key(key));
    // The group unchecks the others from the event loop.
    QTRY_COMPARE(checkedRows(), QList<int>{expected});
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelListWidget test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kellistwidget.moc"
