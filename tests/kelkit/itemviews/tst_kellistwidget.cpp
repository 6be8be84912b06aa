#include "itemviews/kellistwidget.h"
#include "itemviews/kellistwidgetitem.h"
#include "kelapplication.h"
#include "layouts/kellayoutdnd.h"

#include <QMimeData>
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

} // namespace

class tst_KelListWidget : public QObject
{
    Q_OBJECT

private slots:
    void insertionsShareOneFreeze();
    void dataChangedNeedsDisplayRole();
    void recycledWidgetIsNotTranslated();
    void localMoveToEnd();
    void escapeCancelsDrag();
    void externalDropOnEmptyList();
    void refusingFilterRefusesAtEnter();
    void modelBeforeFactory();
    void noFreezeWhileWindowIsDestroyed();
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
    QVERIFY(finished.wait());
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 1);
    QVERIFY(scene.list.viewport()->isVisible());
    QCOMPARE(scene.layout()->count(), 5);
    QCOMPARE(scene.rowAt(1)->text, QStringLiteral("a"));
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

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelListWidget test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kellistwidget.moc"
