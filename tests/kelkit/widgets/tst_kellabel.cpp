#include "kelapplication.h"
#include "kelui.h"
#include "painting/kelgraphicsopacityeffect.h"
#include "styles/kelstyle.h"
#include "waitbound.h"
#include "widgets/kellabel.h"

#include "../offscreenleak.h"

#include <QVBoxLayout>
#include <QtTest>

namespace {

const QString LongText = QStringLiteral(
        "The quick brown fox jumps over the lazy dog again and again");

// Labels compared pixel by pixel get one size, font and alignment.
void prepare(QLabel &label, const QString &text, int width)
{
    label.setFont(QFont(QStringLiteral("Sans"), 10));
    label.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label.setText(text);
    label.resize(width, 24);
}

QImage render(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

bool hasInkBelow(const QImage &image, int top)
{
    const QRgb background = image.pixel(0, 0);
    for (int y = top; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background)
                return true;
        }
    }
    return false;
}

} // namespace

class tst_KelLabel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void textChangedOnRealChanges();
    void elision_data();
    void elision();
    void elisionFollowsResize();
    void minimumSizeWhenEliding();
    void wrapAnywhere();
    void fadesWhenDisabled();
    void styleIds();
};

void tst_KelLabel::initTestCase()
{
    QVERIFY(kelUi());
}

void tst_KelLabel::cleanupTestCase()
{
    delete kelUi();
}

void tst_KelLabel::textChangedOnRealChanges()
{
    KelLabel label;
    QSignalSpy spy(&label, &KelLabel::textChanged);
    label.setText(QStringLiteral("a"));
    label.setText(QStringLiteral("a"));
    QCOMPARE(spy.count(), 1);
    label.setNum(3);
    QCOMPARE(label.text(), QStringLiteral("3"));
    QCOMPARE(spy.count(), 2);
    label.clear();
    label.clear();
    QCOMPARE(spy.count(), 3);
    // Connections by name reach the label's own slot.
    QVERIFY(QMetaObject::invokeMethod(&label, "setText", Q_ARG(QString, QStringLiteral("b"))));
    QCOMPARE(spy.count(), 4);
}

void tst_KelLabel::elision_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("elided");

    QTest::newRow("fits") << QStringLiteral("Short") << int(Qt::ElideRight) << false;
    QTest::newRow("right") << LongText << int(Qt::ElideRight) << true;
    QTest::newRow("middle") << LongText << int(Qt::ElideMiddle) << true;
    QTest::newRow("no elision") << LongText << int(Qt::ElideNone) << false;
    QTest::newRow("rich text") << QStringLiteral("<b>%1</b>").arg(LongText) << int(Qt::ElideRight)
                               << false;
}

void tst_KelLabel::elision()
{
    QFETCH(QString, text);
    QFETCH(int, mode);
    QFETCH(bool, elided);

    KelLabel label(-1);
    label.setElideMode(Qt::TextElideMode(mode));
    prepare(label, text, 120);
    QCOMPARE(label.sizePolicy().horizontalPolicy(),
             mode == Qt::ElideNone ? QSizePolicy::Preferred : QSizePolicy::Maximum);

    // A plain label showing what the framework label should show.
    QLabel reference;
    prepare(reference, QString(), 120);
    const QString shown = elided
            ? reference.fontMetrics().elidedText(text, Qt::TextElideMode(mode), 120)
            : text;
    prepare(reference, shown, 120);
    QCOMPARE(shown != text, elided);
    QCOMPARE(render(label), render(reference));
}

void tst_KelLabel::elisionFollowsResize()
{
    KelLabel label(-1);
    label.setElideMode(Qt::ElideRight);
    prepare(label, LongText, 120);
    render(label);

    label.resize(250, 24);
    QLabel reference;
    prepare(reference, QString(), 250);
    prepare(reference, reference.fontMetrics().elidedText(LongText, Qt::ElideRight, 250), 250);
    QCOMPARE(render(label), render(reference));

    // Text changes are picked up too.
    label.setText(QStringLiteral("Now short"));
    prepare(reference, QStringLiteral("Now short"), 250);
    QCOMPARE(render(label), render(reference));
}

void tst_KelLabel::minimumSizeWhenEliding()
{
    KelLabel label(-1);
    prepare(label, LongText, 120);
    label.setContentsMargins(2, 3, 4, 5);
    const QSize plain = label.minimumSizeHint();
    label.setElideMode(Qt::ElideRight);
    // Before the first paint nothing of the text is known yet.
    QCOMPARE(label.minimumSizeHint(),
             label.fontMetrics().boundingRect(QStringLiteral("...")).size() + QSize(6, 8));
    render(label);
    QCOMPARE(label.minimumSizeHint(),
             label.fontMetrics().boundingRect(QStringLiteral("T...")).size() + QSize(6, 8));
    label.setElideMode(Qt::ElideNone);
    QCOMPARE(label.minimumSizeHint(), plain);
}

void tst_KelLabel::wrapAnywhere()
{
    QWidget window;
    window.setFixedSize(200, 600);
    auto *layout = new QVBoxLayout(&window);
    auto *label = new KelLabel(-1);
    label->setWordWrap(true);
    label->setText(QString(150, QLatin1Char('x')));
    layout->addWidget(label);
    layout->addStretch(1);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));

    const int line = label->fontMetrics().lineSpacing();
    // One word longer than the window: a single clipped line.
    QTRY_VERIFY(label->height() < 2 * line);
    QVERIFY(label->minimumSizeHint().width() > 200);

    label->setWrapAnywhere(true);
    QVERIFY(label->isWrapAnywhere());
    QVERIFY(label->minimumSizeHint().width() < 50);
    QTRY_VERIFY(label->height() >= 4 * line);
    QVERIFY(label->width() <= 200);
    QCOMPARE(label->height(), label->heightForWidth(label->width()));
    // The lower lines are really drawn.
    QVERIFY(hasInkBelow(render(*label), label->height() - 2 * line));

    label->setWrapAnywhere(false);
    QTRY_VERIFY(label->height() < 2 * line);
}

void tst_KelLabel::fadesWhenDisabled()
{
    KelLabel label;
    auto *effect = qobject_cast<KelGraphicsOpacityEffect *>(label.graphicsEffect());
    QVERIFY(effect);
    QCOMPARE(effect->opacity(), 1.0);
    label.setEnabled(false);
    QTRY_COMPARE(effect->opacity(), 1.0 - 0.6);
    label.setEnabled(true);
    QTRY_COMPARE(effect->opacity(), 1.0);
}

void tst_KelLabel::styleIds()
{
    KelLabel plain;
    QCOMPARE(plain.styleId(), KelStyle::WT_Label);
    QCOMPARE(plain.elideMode(), Qt::ElideNone);

    KelLabel error(8);
    QCOMPARE(error.elideMode(), Qt::ElideRight);
    QCOMPARE(error.sizePolicy().horizontalPolicy(), QSizePolicy::Maximum);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelLabel test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kellabel.moc"
