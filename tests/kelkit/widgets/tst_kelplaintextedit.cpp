#include "styles/kelstyle.h"
#include "waitbound.h"
#include "widgets/kelplaintextedit.h"

#include "../offscreenleak.h"
#include "paintprobe.h"

#include <QScrollBar>
#include <QVBoxLayout>
#include <QtTest>

class tst_KelPlainTextEdit : public QObject
{
    Q_OBJECT

private slots:
    void autoHeightFollowsDocument();
    void styleTurnsAutoHeightOn();
    void styleDressesTheInputFrame();
};

void tst_KelPlainTextEdit::autoHeightFollowsDocument()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *edit = new KelPlainTextEdit;
    layout->addWidget(edit);
    layout->addStretch(1);
    const QSize plainHint = edit->sizeHint();

    edit->setAutoHeight(true);
    QCOMPARE(edit->sizePolicy().horizontalPolicy(), QSizePolicy::Preferred);
    QCOMPARE(edit->sizePolicy().verticalPolicy(), QSizePolicy::Preferred);
    window.resize(300, 600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));

    edit->setPlainText(QStringLiteral("one"));
    QTRY_COMPARE(edit->height(), edit->sizeHint().height());
    const int oneLine = edit->height();
    QVERIFY(oneLine < plainHint.height());

    edit->setPlainText(QStringLiteral("one\ntwo\nthree\nfour"));
    QTRY_VERIFY(edit->height() > oneLine);
    QTRY_COMPARE(edit->height(), edit->sizeHint().height());
    // No scrolling needed: the document fits.
    QCOMPARE(edit->verticalScrollBar()->maximum(), 0);

    edit->setAutoHeight(false);
    QCOMPARE(edit->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(edit->sizeHint(), plainHint);
    QVERIFY(edit->minimumSizeHint().height() > oneLine);
}

void tst_KelPlainTextEdit::styleTurnsAutoHeightOn()
{
    KelStyle style;
    KelPlainTextEdit edit;
    style.applyPlainTextEditStyle(&edit, 0);
    QCOMPARE(edit.sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
    style.applyPlainTextEditStyle(&edit, 35);
    QCOMPARE(edit.sizePolicy().verticalPolicy(), QSizePolicy::Preferred);
}

// The input frame's look reaches the edit, and the text stays inside it.
void tst_KelPlainTextEdit::styleDressesTheInputFrame()
{
    KelStyle style;
    KelPlainTextEdit edit;
    edit.resize(200, 80);
    style.applyPlainTextEditStyle(&edit, 0);
    QCOMPARE(edit.borderWidths(), QMargins(1, 1, 1, 1));
    QCOMPARE(edit.background(), style.stateColors(KelStyle::SC_Input_Base));
    QCOMPARE(edit.viewport()->geometry(),
             edit.rect().marginsRemoved(style.margins(KelStyle::MG_Input_Contents)
                                        + QMargins(1, 1, 1, 1)));

    QImage image = PaintProbe::canvas(edit.size());
    edit.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    QVERIFY(PaintProbe::pixelIs(image, 0, 40, style.stateColors(KelStyle::SC_Input_Border).normal));
    QVERIFY(PaintProbe::pixelIs(image, 100, 40, Qt::white));
}

QTEST_MAIN(tst_KelPlainTextEdit)
#include "tst_kelplaintextedit.moc"
