#include "kelapplication.h"
#include "styles/kelstyle.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/keliconwidget.h"
#include "widgets/kellabel.h"
#include "widgets/kellineedit.h"
#include "windows/kelmessagebox.h"

#include "../offscreenleak.h"

#include <QBoxLayout>
#include <QWindow>
#include <QtTest>

class tst_KelMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void longWordWrapsAnywhere_data();
    void longWordWrapsAnywhere();
    void emptyIconPathHidesTheIcon();
    void lineEditThatNeedsTextGovernsTheDefaultButton();
};

void tst_KelMessageBox::longWordWrapsAnywhere_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("anywhere");

    const QString path100 = QStringLiteral("/") + QString(99, QLatin1Char('a'));
    QTest::newRow("short words") << QStringLiteral("Remove the file?") << false;
    QTest::newRow("a 100-character word") << QStringLiteral("Cannot open ") + path100 << false;
    QTest::newRow("a 101-character word")
            << QStringLiteral("Cannot open ") + path100 + QLatin1Char('b') << true;
}

void tst_KelMessageBox::longWordWrapsAnywhere()
{
    QFETCH(QString, text);
    QFETCH(bool, anywhere);

    KelMessageBox box;
    auto *label = qobject_cast<KelLabel *>(box.messageLabel());
    QVERIFY(label);
    QCOMPARE(label->objectName(), QStringLiteral("KelMessage"));
    box.setText(text);
    QCOMPARE(label->isWrapAnywhere(), anywhere);

    // Checked again on every change, whoever sets the text.
    label->setText(QStringLiteral("Short"));
    QVERIFY(!label->isWrapAnywhere());
    label->setText(text);
    QCOMPARE(label->isWrapAnywhere(), anywhere);
}

void tst_KelMessageBox::emptyIconPathHidesTheIcon()
{
    KelMessageBox box;
    auto *icon = box.findChild<KelIconWidget *>(QStringLiteral("KelIcon"));
    QVERIFY(icon);
    QVERIFY(icon->isHidden());
    box.setIcon(QStringLiteral(":/kelui/close-10.svg"));
    QVERIFY(!icon->isHidden());
    box.setIcon(QString());
    QVERIFY(icon->isHidden());
}

void tst_KelMessageBox::lineEditThatNeedsTextGovernsTheDefaultButton()
{
    KelMessageBox box;
    auto *edit = new KelLineEdit(KelStyle::WT_LineEdit);
    box.addContentWidget(edit, false);
    // Buttons may come after the line edit; the box starts in step.
    auto *cancel = new KelButton(KelStyle::WT_Button_Dialog);
    auto *accept = new KelButton(KelStyle::WT_Button_Dialog_Accent);
    box.addButton(1, cancel);
    box.addButton(2, accept, true);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box, WaitBound::ms()));
    QVERIFY(!accept->isEnabled());
    QVERIFY(cancel->isEnabled());

    edit->setFocus();
    QTest::sendKeyEvent(QTest::Click, box.windowHandle(), Qt::Key_A, QStringLiteral("a"),
                        Qt::NoModifier);
    QCOMPARE(edit->text(), QStringLiteral("a"));
    QVERIFY(accept->isEnabled());
    QTest::sendKeyEvent(QTest::Click, box.windowHandle(), Qt::Key_Backspace, QString(),
                        Qt::NoModifier);
    QVERIFY(edit->text().isEmpty());
    QVERIFY(!accept->isEnabled());
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelMessageBox test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelmessagebox.moc"
