#include "kelapplication.h"
#include "kelui.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kellineedit.h"

#include <QFile>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// With the base style an input frame has a 1 pixel border and contents
// margins of 8 on the left and right; QLineEdit adds 2 of its own.
const int FrameTextMargin = 1 + 8 - 2;

QList<KelButton *> innerButtons(KelLineEdit *edit)
{
    return edit->findChildren<KelButton *>(QString(), Qt::FindDirectChildrenOnly);
}

bool sendKey(QWidget *widget, int key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
    return event.isAccepted();
}

QImage render(QWidget *widget)
{
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

int pixelsOfColour(const QImage &image, const QColor &colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == colour ? 1 : 0;
    }
    return count;
}

} // namespace

class tst_KelLineEdit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void clearButtonFollowsTextAndEscapeClears();
    void escapeGoesToLineEditOtherwise();
    void passwordWhileUnfocused();
    void setTextSilently();
    void iconTakesRoomOnlyWhenKnown();
    void innerButtonsAndSizeHint();

private:
    QTemporaryDir m_dir;
};

void tst_KelLineEdit::initTestCase()
{
    QVERIFY(kelUi());
}

void tst_KelLineEdit::cleanupTestCase()
{
    delete kelUi();
}

void tst_KelLineEdit::clearButtonFollowsTextAndEscapeClears()
{
    // Style 31 adds the clear button that Escape also triggers.
    KelLineEdit edit(31);
    edit.resize(200, 24);
    edit.show();
    edit.addClearButton(false);
    QCOMPARE(innerButtons(&edit).size(), 1);
    KelButton *clear = innerButtons(&edit).first();
    QVERIFY(!clear->isVisibleTo(&edit));
    QCOMPARE(edit.textMargins().right(), FrameTextMargin);

    QSignalSpy edited(&edit, &QLineEdit::textEdited);
    QSignalSpy cancel(&edit, &KelLineEdit::cancelPressed);
    QTest::keyClicks(&edit, QStringLiteral("ab"));
    QVERIFY(clear->isVisibleTo(&edit));
    // The button and the style's spacing of 1 come off the text.
    QCOMPARE(edit.textMargins().right(), FrameTextMargin + clear->width() + 1);
    QCOMPARE(clear->geometry().right(), edit.width() - 2);

    edited.clear();
    QVERIFY(sendKey(&edit, Qt::Key_Escape));
    QCOMPARE(cancel.count(), 1);
    QCOMPARE(edit.text(), QString());
    QCOMPARE(edited.count(), 1);
    QCOMPARE(edited.at(0).at(0).toString(), QString());
    QVERIFY(!clear->isVisibleTo(&edit));
    QCOMPARE(edit.textMargins().right(), FrameTextMargin);

    // A click on the button clears as well.
    QTest::keyClicks(&edit, QStringLiteral("c"));
    clear->setAttribute(Qt::WA_UnderMouse, true);
    const QPoint centre = clear->rect().center();
    QEnterEvent enter(centre, centre, clear->mapToGlobal(centre));
    QApplication::sendEvent(clear, &enter);
    QTest::mouseClick(clear, Qt::LeftButton);
    QTRY_COMPARE(edit.text(), QString());
    QCOMPARE(edited.last().at(0).toString(), QString());
}

void tst_KelLineEdit::escapeGoesToLineEditOtherwise()
{
    KelLineEdit edit;
    edit.addClearButton(false);
    QSignalSpy cancel(&edit, &KelLineEdit::cancelPressed);
    edit.setText(QStringLiteral("keep"));
    QVERIFY(!sendKey(&edit, Qt::Key_Escape));
    QCOMPARE(edit.text(), QStringLiteral("keep"));

    KelLineEdit empty(31);
    QSignalSpy emptyCancel(&empty, &KelLineEdit::cancelPressed);
    QVERIFY(!sendKey(&empty, Qt::Key_Escape));
    QCOMPARE(cancel.count() + emptyCancel.count(), 0);
}

void tst_KelLineEdit::passwordWhileUnfocused()
{
    QWidget window;
    auto *edit = new KelLineEdit(-1, &window);
    auto *other = new KelLineEdit(-1, &window);
    other->move(0, 40);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window, WaitBound::ms()));
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    QSignalSpy focused(edit, &KelLineEdit::focused);
    QSignalSpy focusLost(edit, &KelLineEdit::focusLost);
    edit->setPasswordWhenUnfocused(true);
    QCOMPARE(edit->echoMode(), QLineEdit::Password);
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QCOMPARE(edit->echoMode(), QLineEdit::Normal);
    QCOMPARE(focused.count(), 1);
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    QCOMPARE(edit->echoMode(), QLineEdit::Password);
    QCOMPARE(focusLost.count(), 1);

    // Turning it off leaves the echo mode as it is.
    edit->setPasswordWhenUnfocused(false);
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QCOMPARE(edit->echoMode(), QLineEdit::Password);
}

void tst_KelLineEdit::setTextSilently()
{
    KelLineEdit edit(30);
    KelButton *clear = innerButtons(&edit).first();
    QSignalSpy changed(&edit, &QLineEdit::textChanged);

    edit.setTextSilently(QStringLiteral("quiet"));
    QCOMPARE(edit.text(), QStringLiteral("quiet"));
    QVERIFY(clear->isVisibleTo(&edit));
    edit.setTextSilently(QStringLiteral("quiet"));
    edit.setTextSilently(QString());
    QVERIFY(!clear->isVisibleTo(&edit));
    QCOMPARE(changed.count(), 0);
    QVERIFY(!edit.signalsBlocked());
}

void tst_KelLineEdit::iconTakesRoomOnlyWhenKnown()
{
    const QString path = m_dir.filePath(QStringLiteral("search.svg"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"12\" height=\"12\">"
               "<rect width=\"12\" height=\"12\" fill=\"#ff0000\"/></svg>");
    file.close();

    KelLineEdit edit(29);
    edit.setIconMargins(QMargins(2, 0, 3, 0));
    QCOMPARE(edit.textMargins().left(), FrameTextMargin);
    edit.setIcon(path);
    QCOMPARE(edit.textMargins().left(), FrameTextMargin + 12 + 2 + 3);
    const int hintWithIcon = edit.sizeHint().width();

    // The default icon colours are transparent: no tint, the icon's own red.
    // A colour of its own tints it.
    edit.resize(120, 32);
    QCOMPARE(pixelsOfColour(render(&edit), QColor(255, 0, 0)), 12 * 12);
    edit.setIconColors(KelStateColors(QColor(0, 0, 255)));
    QCOMPARE(pixelsOfColour(render(&edit), QColor(0, 0, 255)), 12 * 12);

    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("path not found"));
    edit.setIcon(QStringLiteral(":/no/such/icon.svg"));
    QCOMPARE(edit.textMargins().left(), FrameTextMargin);
    QCOMPARE(edit.sizeHint().width(), hintWithIcon - 17);

    edit.setTextVerticalShift(2);
    QCOMPARE(edit.textMargins().top(), 2);
    QCOMPARE(edit.textMargins().bottom(), -2);
}

void tst_KelLineEdit::innerButtonsAndSizeHint()
{
    KelLineEdit edit(29);
    const QFontMetrics metrics = edit.fontMetrics();
    const int x = metrics.horizontalAdvance(QLatin1Char('x'));
    // Border and contents margins, 24 characters x, 3.
    QCOMPARE(edit.sizeHint(), QSize(2 + 16 + 24 * x + 3, 2 + metrics.height()));
    QCOMPARE(edit.minimumSizeHint(), edit.sizeHint());

    edit.setStyleCharsWidth(false);
    edit.setText(QStringLiteral("a longer text"));
    const int textWidth = metrics.horizontalAdvance(edit.text());
    QCOMPARE(edit.sizeHint().width(), 18 + textWidth + 3);
    QCOMPARE(edit.minimumSizeHint().width(), 18 + x + 3);

    KelButton *button = edit.addButton(QString());
    edit.resize(200, 24);
    edit.show();
    QCOMPARE(edit.sizeHint().width(), 18 + textWidth + button->width() + 1 + 3);
    // At the right end inside the border, as high as the inside.
    QCOMPARE(button->geometry(), QRect(200 - 1 - button->width(), 1, button->width(), 22));
    edit.resize(150, 30);
    QCOMPARE(button->geometry(), QRect(150 - 1 - button->width(), 1, button->width(), 28));
    // A button that resizes itself, as a re-applied style may, is laid out
    // again.
    button->setFixedSize(24, 24);
    QCOMPARE(button->geometry(), QRect(150 - 1 - 24, 1, 24, 28));
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelLineEdit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kellineedit.moc"
