#include "utils/kellayoututils.h"
#include "utils/kelwidgetsutils.h"
#include "waitbound.h"

#include "../offscreenleak.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPointer>
#include <QVBoxLayout>
#include <QtTest>

class tst_KelWidgetsUtils : public QObject
{
    Q_OBJECT

private slots:
    void activateLayoutsRecursivelySettlesNestedLayoutsAtOnce();
    void deleteLayoutItemsEmptiesNestedLayouts();
    void topLevelOwnerWindowClimbsOwnedWindows();
    void retainedHiddenWidgetKeepsItsPlace();
};

void tst_KelWidgetsUtils::activateLayoutsRecursivelySettlesNestedLayoutsAtOnce()
{
    QWidget window;
    window.resize(300, 200);
    auto *outer = new QVBoxLayout(&window);
    auto *panel = new QWidget(&window);
    outer->addWidget(panel);
    auto *inner = new QHBoxLayout(panel);
    auto *left = new QWidget(panel);
    auto *right = new QWidget(panel);
    inner->addWidget(left);
    inner->addWidget(right);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    const int before = left->x();

    // Laid out again only on the next event loop pass...
    inner->setContentsMargins(before + 40, 0, 0, 0);
    QCOMPARE(left->x(), before);
    // ...or at once.
    KelUtils::activateLayoutsRecursively(&window);
    QCOMPARE(left->x(), before + 40);
    QVERIFY(right->x() > left->x());
}

void tst_KelWidgetsUtils::deleteLayoutItemsEmptiesNestedLayouts()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    QPointer<QWidget> first = new QWidget(&window);
    layout->addWidget(first);
    auto *nested = new QHBoxLayout();
    QPointer<QWidget> second = new QWidget(&window);
    nested->addWidget(second);
    nested->addStretch();
    layout->addLayout(nested);
    layout->addSpacing(10);

    KelUtils::deleteLayoutItems(layout);

    QCOMPARE(layout->count(), 0);
    QVERIFY(!first);
    QVERIFY(!second);
    QVERIFY(window.findChildren<QLayout *>().size() == 1);
    KelUtils::deleteLayoutItems(nullptr);
}

void tst_KelWidgetsUtils::topLevelOwnerWindowClimbsOwnedWindows()
{
    QWidget main;
    auto *dialog = new QWidget(&main, Qt::Window);
    auto *popup = new QWidget(dialog, Qt::Window);
    auto *button = new QWidget(popup);

    QCOMPARE(KelUtils::topLevelOwnerWindow(button), &main);
    QCOMPARE(KelUtils::topLevelOwnerWindow(dialog), &main);
    QCOMPARE(KelUtils::topLevelOwnerWindow(&main), &main);
    QCOMPARE(KelUtils::topLevelOwnerWindow(nullptr), nullptr);
}

void tst_KelWidgetsUtils::retainedHiddenWidgetKeepsItsPlace()
{
    QWidget window;
    window.resize(300, 100);
    auto *row = new QHBoxLayout(&window);
    auto *kept = new QWidget(&window);
    auto *other = new QWidget(&window);
    row->addWidget(kept);
    row->addWidget(other);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    const int shared = other->x();

    KelUtils::setRetainSizeWhenHidden(kept, true);
    kept->hide();
    KelUtils::activateLayoutsRecursively(&window);
    QCOMPARE(other->x(), shared);

    KelUtils::setRetainSizeWhenHidden(kept, false);
    KelUtils::activateLayoutsRecursively(&window);
    QCOMPARE(other->x(), row->contentsMargins().left());
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    tst_KelWidgetsUtils test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelwidgetsutils.moc"
