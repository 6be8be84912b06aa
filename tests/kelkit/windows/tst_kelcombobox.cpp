#include "kelapplication.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kelscrollarea.h"
#include "windows/kelcombobox.h"
#include "windows/kelpopupmenu.h"

#include "../offscreenleak.h"
#include "popupinput.h"

#include <QBoxLayout>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStringListModel>
#include <QtTest>

namespace {

const QString A = QStringLiteral("a");
const QString B = QStringLiteral("b");
const QString C = QStringLiteral("c");

// The item buttons' texts in the popup's order.
QStringList shownItems(const KelComboBox &combo)
{
    QStringList texts;
    QBoxLayout *layout = combo.popup()->contentLayout();
    for (int i = 0; i < layout->count(); ++i) {
        if (auto *button = qobject_cast<KelButton *>(layout->itemAt(i)->widget()))
            texts.append(button->text());
    }
    return texts;
}

int checkedItems(const KelComboBox &combo)
{
    int checked = 0;
    const auto buttons = combo.itemButtons();
    for (KelButton *button : buttons)
        checked += button && button->isChecked() ? 1 : 0;
    return checked;
}

QVariantList values(const QStringList &texts)
{
    QVariantList list;
    for (const QString &text : texts)
        list.append(text);
    return list;
}

} // namespace

class tst_KelComboBox : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void setItems_data();
    void setItems();
    void clearKeepsTheShownText();
    void setCurrentData_data();
    void setCurrentData();
    void choosingInThePopup();
    void followsTheModel();
    void dataChangedInTheColumnOnly_data();
    void dataChangedInTheColumnOnly();
    void nullModelIsRefused();
    void popupWidth_data();
    void popupWidth();
    void widthModeTwoGrowsToTheLongestItem();
};

void tst_KelComboBox::cleanup()
{
    KelPopup::closeActivePopups();
    QTRY_COMPARE(QGuiApplication::mouseButtons(), Qt::NoButton);
}

void tst_KelComboBox::setItems_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("data");
    QTest::addColumn<int>("emitted");

    // Before each: items a, b, c with b current.
    const QStringList kept{C, B, QStringLiteral("d")};
    const QStringList other{QStringLiteral("x"), QStringLiteral("y")};
    const QStringList empty;
    const QVariant none;
    const QVariant b(B);
    const struct
    {
        const char *name;
        const QStringList &list;
    } lists[] = {{"previous kept", kept}, {"other items", other}, {"no items", empty}};
    // Per mode, per list: shown text, current data, emitted.
    const struct
    {
        QString text;
        QVariant data;
        int emitted;
    } expected[5][3] = {
            {{B, none, 0}, {B, none, 0}, {B, none, 0}},
            {{C, QVariant(C), 1},
             {QStringLiteral("x"), QVariant(QStringLiteral("x")), 1},
             {QString(), none, 1}},
            {{B, b, 0}, {QString(), none, 1}, {QString(), none, 1}},
            {{B, b, 0},
             {QStringLiteral("x"), QVariant(QStringLiteral("x")), 1},
             {QString(), none, 1}},
            {{B, b, 0}, {B, b, 0}, {B, b, 0}},
    };
    for (int mode = 0; mode < 5; ++mode) {
        for (int i = 0; i < 3; ++i) {
            QTest::addRow("mode %d, %s", mode, lists[i].name)
                    << mode << lists[i].list << expected[mode][i].text << expected[mode][i].data
                    << expected[mode][i].emitted;
        }
    }
}

void tst_KelComboBox::setItems()
{
    QFETCH(int, mode);
    QFETCH(QStringList, list);
    QFETCH(QString, text);
    QFETCH(QVariant, data);
    QFETCH(int, emitted);

    KelComboBox combo(-1);
    combo.setItems(19, values({A, B, C}), KelComboBox::NoSelection);
    combo.setCurrentDataSilently(B);
    QSignalSpy changed(&combo, &KelComboBox::currentDataChanged);
    QSignalSpy clicked(&combo, &KelComboBox::itemClicked);

    combo.setItems(19, values(list), mode);
    QCOMPARE(shownItems(combo), list);
    QCOMPARE(combo.text(), text);
    QCOMPARE(combo.currentData(), data);
    QCOMPARE(changed.count(), emitted);
    if (emitted)
        QCOMPARE(changed.last().at(0), data);
    QCOMPARE(clicked.count(), 0);
    const bool held = combo.hasItem(data);
    QCOMPARE(combo.currentButton() != nullptr, held);
    if (held)
        QVERIFY(combo.currentButton()->isChecked());
    QCOMPARE(checkedItems(combo), held ? 1 : 0);
}

void tst_KelComboBox::clearKeepsTheShownText()
{
    KelComboBox combo(-1);
    combo.addItems(values({A, B}), KelComboBox::SelectFirst);
    QSignalSpy changed(&combo, &KelComboBox::currentDataChanged);
    combo.clear();
    QCOMPARE(shownItems(combo), QStringList());
    QVERIFY(!combo.currentData().isValid());
    QVERIFY(!combo.currentButton());
    QCOMPARE(combo.text(), A);
    QCOMPARE(changed.count(), 0);
}

void tst_KelComboBox::setCurrentData_data()
{
    QTest::addColumn<QVariant>("data");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("silently");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("emitted");

    // Before each: items a, b, c (texts "A", "B", "C") with a current.
    QTest::newRow("the current value") << QVariant(A) << QString() << false << "A" << 0;
    QTest::newRow("another item") << QVariant(B) << QString() << false << "B" << 1;
    QTest::newRow("another item, silently") << QVariant(B) << QString() << true << "B" << 0;
    QTest::newRow("no item's, with a text") << QVariant(42) << "Answer" << false << "Answer" << 1;
    QTest::newRow("no item's, its string form") << QVariant(42) << QString() << false << "42" << 1;
}

void tst_KelComboBox::setCurrentData()
{
    QFETCH(QVariant, data);
    QFETCH(QString, text);
    QFETCH(bool, silently);
    QFETCH(QString, shown);
    QFETCH(int, emitted);

    KelComboBox combo(-1);
    for (const QString &value : {A, B, C})
        combo.addItem(value, value.toUpper());
    combo.setCurrentDataSilently(A);
    KelButton *first = combo.currentButton();
    QVERIFY(first->isChecked());
    QSignalSpy changed(&combo, &KelComboBox::currentDataChanged);

    if (silently)
        combo.setCurrentDataSilently(data, text);
    else
        combo.setCurrentData(data, text);
    QCOMPARE(combo.currentData(), data);
    QCOMPARE(combo.text(), shown);
    QCOMPARE(changed.count(), emitted);
    if (emitted)
        QCOMPARE(changed.at(0).at(0), data);
    const bool held = combo.hasItem(data);
    QCOMPARE(checkedItems(combo), held ? 1 : 0);
    QCOMPARE(combo.currentButton(), held ? combo.itemButtons().value(data) : nullptr);
}

void tst_KelComboBox::choosingInThePopup()
{
    KelWindow window(KelWindow::Movable);
    window.setGeometry(20, 20, 300, 100);
    auto *combo = new KelComboBox(-1, QSizePolicy::Fixed, KelComboBox::PopupAtLeastComboWidth,
                                  window.centralWidget());
    combo->setGeometry(20, 20, 150, 30);
    combo->addItems(values({A, B, C, QStringLiteral("d"), QStringLiteral("e")}),
                    KelComboBox::SelectFirst);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    QStringList heard;
    connect(combo, &KelComboBox::currentDataChanged, combo,
            [&heard](const QVariant &data) { heard << "changed " + data.toString(); });
    connect(combo, &KelComboBox::itemClicked, combo,
            [&heard](const QVariant &data) { heard << "clicked " + data.toString(); });
    auto choose = [combo](const QString &value) {
        PopupInput::click(PopupInput::centreOf(combo));
        QTRY_VERIFY(combo->isPopupVisible());
        QVERIFY(QTest::qWaitForWindowExposed(combo->popup(), WaitBound::ms()));
        PopupInput::click(PopupInput::centreOf(combo->itemButtons().value(value)));
        QTRY_VERIFY(!combo->isPopupVisible());
        QCoreApplication::processEvents();
    };

    choose(C);
    QCOMPARE(heard, QStringList({"changed c", "clicked c"}));
    QVERIFY(!combo->isChecked());
    QCOMPARE(combo->text(), C);
    QVERIFY(combo->itemButtons().value(C)->isChecked());
    QCOMPARE(checkedItems(*combo), 1);

    // The current item again: the popup closes, nothing else happens.
    heard.clear();
    choose(C);
    QCOMPARE(heard, QStringList());
    QVERIFY(combo->itemButtons().value(C)->isChecked());

    // A receiver may rebuild the items, the chosen button included.
    connect(combo, &KelComboBox::itemClicked, combo, [combo] {
        combo->setItems(19, values({A, B, QStringLiteral("f")}), KelComboBox::KeepOrFirst);
    });
    choose(B);
    QTRY_COMPARE(shownItems(*combo), QStringList({A, B, QStringLiteral("f")}));
    QCOMPARE(combo->currentData(), QVariant(B));
    QVERIFY(combo->itemButtons().value(B)->isChecked());
}

void tst_KelComboBox::followsTheModel()
{
    QStringListModel model({A, B, C, QStringLiteral("d")});
    KelComboBox combo(-1);
    QSignalSpy changed(&combo, &KelComboBox::currentDataChanged);
    combo.setModel(&model, 0, KelComboBox::KeepOrFirst);
    QCOMPARE(shownItems(combo), QStringList({A, B, C, "d"}));
    QCOMPARE(combo.currentData(), QVariant(A));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(combo.currentModelIndex(), model.index(0));

    model.insertRows(1, 2);
    model.setData(model.index(1), QStringLiteral("x"));
    model.setData(model.index(2), QStringLiteral("y"));
    QCOMPARE(shownItems(combo), QStringList({A, "x", "y", B, C, "d"}));

    QVERIFY(model.moveRows(QModelIndex(), 0, 2, QModelIndex(), 5));
    QCOMPARE(model.stringList(), QStringList({"y", B, C, A, "x", "d"}));
    QCOMPARE(shownItems(combo), model.stringList());
    QCOMPARE(combo.currentModelIndex(), model.index(3));

    // The current row goes: its button with it, the value stays.
    const QPointer<KelButton> removed = combo.currentButton();
    QVERIFY(model.removeRows(2, 2));
    QCOMPARE(shownItems(combo), QStringList({"y", B, "x", "d"}));
    QCOMPARE(combo.currentData(), QVariant(A));
    QCOMPARE(combo.text(), A);
    QVERIFY(!combo.currentButton());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!removed);
    QCOMPARE(combo.itemButtons().keys(), QList<QVariant>({B, "d", "x", "y"}));

    // A reset keeps a selection still listed, silently.
    combo.setCurrentDataSilently(QStringLiteral("y"));
    changed.clear();
    model.setStringList({QStringLiteral("y"), QStringLiteral("z")});
    QCOMPARE(shownItems(combo), QStringList({"y", "z"}));
    QCOMPARE(combo.currentData(), QVariant(QStringLiteral("y")));
    QVERIFY(combo.currentButton()->isChecked());
    QCOMPARE(changed.count(), 0);

    combo.setCurrentModelIndex(model.index(1));
    QCOMPARE(combo.currentData(), QVariant(QStringLiteral("z")));
}

void tst_KelComboBox::dataChangedInTheColumnOnly_data()
{
    QTest::addColumn<QVector<int>>("roles");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::addColumn<bool>("followed");

    QTest::newRow("display role in the column") << QVector<int>{Qt::DisplayRole} << 1 << 1 << true;
    QTest::newRow("no roles named") << QVector<int>() << 1 << 1 << false;
    QTest::newRow("another role") << QVector<int>{Qt::ToolTipRole} << 1 << 1 << false;
    QTest::newRow("two columns") << QVector<int>{Qt::DisplayRole} << 0 << 1 << false;
}

void tst_KelComboBox::dataChangedInTheColumnOnly()
{
    QFETCH(QVector<int>, roles);
    QFETCH(int, left);
    QFETCH(int, right);
    QFETCH(bool, followed);

    QStandardItemModel model(3, 2);
    for (int row = 0; row < 3; ++row) {
        model.setData(model.index(row, 0), QStringLiteral("left %1").arg(row));
        model.setData(model.index(row, 1), QStringLiteral("right %1").arg(row));
    }
    KelComboBox combo(-1);
    combo.setModel(&model, 1, KelComboBox::SelectFirst);
    combo.setCurrentDataSilently(QStringLiteral("right 1"));

    {
        const QSignalBlocker quiet(&model);
        model.setData(model.index(1, 1), QStringLiteral("new"));
    }
    emit model.dataChanged(model.index(1, left), model.index(1, right), roles);
    const QString item = followed ? QStringLiteral("new") : QStringLiteral("right 1");
    QCOMPARE(shownItems(combo), QStringList({"right 0", item, "right 2"}));
    QCOMPARE(combo.hasItem(item), true);
    // The current value is the caller's to change.
    QCOMPARE(combo.currentData(), QVariant(QStringLiteral("right 1")));
    QCOMPARE(combo.text(), QStringLiteral("right 1"));
}

void tst_KelComboBox::nullModelIsRefused()
{
    QStringListModel model({A, B});
    KelComboBox combo(-1);
    combo.setModel(&model);
    QTest::ignoreMessage(QtWarningMsg, "KelComboBox: a null model is not followed");
    combo.setModel(nullptr);
    QCOMPARE(shownItems(combo), QStringList({A, B}));
    model.insertRows(2, 1);
    model.setData(model.index(2), C);
    QCOMPARE(shownItems(combo), QStringList({A, B, C}));
}

void tst_KelComboBox::popupWidth_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("comboWidth");

    QTest::newRow("at least the combo's width") << int(KelComboBox::PopupAtLeastComboWidth) << true;
    QTest::newRow("the combo's width") << int(KelComboBox::PopupAndComboAlike) << true;
    QTest::newRow("no rule") << int(KelComboBox::NoWidthRule) << false;
}

void tst_KelComboBox::popupWidth()
{
    QFETCH(int, mode);
    QFETCH(bool, comboWidth);

    KelWindow window(KelWindow::Movable);
    window.setGeometry(20, 20, 400, 100);
    auto *combo = new KelComboBox(-1, QSizePolicy::Fixed, mode, window.centralWidget());
    combo->setMargins(QMargins(3, 0, 5, 0));
    combo->addItems(values({A, B}), KelComboBox::SelectFirst);
    combo->setGeometry(20, 20, 300, 30);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));

    combo->showPopup(false);
    QVERIFY(combo->isPopupVisible());
    const int width = combo->popup()->width();
    if (comboWidth)
        QCOMPARE(width, 300 - 3 - 5);
    else
        QVERIFY(width < 300 - 3 - 5);
}

void tst_KelComboBox::widthModeTwoGrowsToTheLongestItem()
{
    KelComboBox combo(-1, QSizePolicy::Fixed, KelComboBox::PopupAndComboAlike);
    combo.setMargins(QMargins(3, 0, 5, 0));
    combo.addItems(values({A, B}), KelComboBox::NoSelection);
    const int narrow = combo.sizeHint().width();

    const QString longText = QStringLiteral("An item with a much longer text");
    KelButton *longItem = combo.addItem(longText);
    QVERIFY(combo.sizeHint().width() > narrow);
    QCOMPARE(combo.sizeHint().width(), longItem->sizeHint().width() + 3 + 5);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelComboBox test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelcombobox.moc"
