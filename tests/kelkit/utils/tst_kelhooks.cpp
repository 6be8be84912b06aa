#include "kelapplication.h"
#include "kelui.h"
#include "utils/kelhooks.h"
#include "widgets/kellabel.h"

#include "../offscreenleak.h"

#include <QTextDocument>
#include <QTextOption>
#include <QtTest>

namespace {

// Turns every option it sees into wrap-anywhere and counts its calls.
class WrapAnywhereCallback : public KelUtils::ITextOptionCallback
{
public:
    void editTextOption(QTextOption &option) override
    {
        ++calls;
        option.setWrapMode(QTextOption::WrapAnywhere);
    }
    int calls = 0;
};

QTextOption wordWrapOption()
{
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    return option;
}

} // namespace

class tst_KelHooks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void labelTextAnnouncedOnce_data();
    void labelTextAnnouncedOnce();
    void plainLabelUnchanged();
    void textOptionOverride();
    void destroyedOwnerForgotten();
    void richTextWrapsAnywhere();
};

void tst_KelHooks::initTestCase()
{
    QVERIFY(kelUi());
}

void tst_KelHooks::cleanupTestCase()
{
    delete kelUi();
}

void tst_KelHooks::labelTextAnnouncedOnce_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("QLabel pointer") << "qlabel";
    QTest::newRow("KelLabel pointer") << "kellabel";
    QTest::newRow("queued call") << "queued";
    QTest::newRow("number") << "number";
}

void tst_KelHooks::labelTextAnnouncedOnce()
{
    QFETCH(QString, path);

    KelLabel label;
    QSignalSpy changed(&label, &KelLabel::textChanged);
    const auto setText = [&](const QString &text) {
        if (path == QLatin1String("qlabel")) {
            static_cast<QLabel &>(label).setText(text);
        } else if (path == QLatin1String("kellabel")) {
            label.setText(text);
        } else if (path == QLatin1String("queued")) {
            QVERIFY(QMetaObject::invokeMethod(&label, "setText", Qt::QueuedConnection,
                                              Q_ARG(QString, text)));
            QCoreApplication::processEvents();
        } else {
            label.setNum(text.toInt());
        }
    };

    setText(QStringLiteral("1"));
    setText(QStringLiteral("1"));
    QCOMPARE(label.text(), QStringLiteral("1"));
    QCOMPARE(changed.count(), 1);
    setText(QStringLiteral("2"));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(label.text(), QStringLiteral("2"));
}

void tst_KelHooks::plainLabelUnchanged()
{
    // Qt's behaviour stays: the text is set, and only framework labels
    // announce it.
    QLabel plain;
    KelLabel watched;
    QSignalSpy changed(&watched, &KelLabel::textChanged);
    plain.setText(QStringLiteral("<b>x</b>"));
    QCOMPARE(plain.text(), QStringLiteral("<b>x</b>"));
    QCOMPARE(changed.count(), 0);
}

void tst_KelHooks::textOptionOverride()
{
    QObject owner;
    auto document = new QTextDocument(new QObject(&owner));
    QTextDocument stranger;
    WrapAnywhereCallback callback;
    KelHooks::registerTextOptionOverride(&owner, &callback);

    // Its own document, found below a child, gets the edited option.
    document->setDefaultTextOption(wordWrapOption());
    QCOMPARE(document->defaultTextOption().wrapMode(), QTextOption::WrapAnywhere);
    stranger.setDefaultTextOption(wordWrapOption());
    QCOMPARE(stranger.defaultTextOption().wrapMode(), QTextOption::WordWrap);
    QCOMPARE(callback.calls, 1);

    KelHooks::unregisterTextOptionOverride(&owner);
    document->setDefaultTextOption(wordWrapOption());
    QCOMPARE(document->defaultTextOption().wrapMode(), QTextOption::WordWrap);
    QCOMPARE(callback.calls, 1);
}

void tst_KelHooks::destroyedOwnerForgotten()
{
    auto owner = new QObject;
    auto document = new QTextDocument(owner);
    WrapAnywhereCallback callback;
    KelHooks::registerTextOptionOverride(owner, &callback);
    // Registering again replaces the entry rather than adding one.
    KelHooks::registerTextOptionOverride(owner, &callback);
    document->setParent(nullptr);
    delete owner;

    // A dangling entry would be walked here.
    document->setDefaultTextOption(wordWrapOption());
    QCOMPARE(document->defaultTextOption().wrapMode(), QTextOption::WordWrap);
    QCOMPARE(callback.calls, 0);
    delete document;
}

void tst_KelHooks::richTextWrapsAnywhere()
{
    const QString word = QStringLiteral("<b>%1</b>").arg(QString(150, QLatin1Char('x')));
    KelLabel label(-1);
    label.setWordWrap(true);
    label.setText(word);
    QVERIFY(Qt::mightBeRichText(label.text()));
    const int line = label.fontMetrics().lineSpacing();
    const int oneLine = label.heightForWidth(200);

    label.setWrapAnywhere(true);
    const int wrapped = label.heightForWidth(200);
    QVERIFY2(wrapped >= oneLine + 3 * line,
             qPrintable(QStringLiteral("%1 -> %2").arg(oneLine).arg(wrapped)));
    // Later layouts keep it, however Qt resets the option.
    label.setText(word + QStringLiteral(" "));
    QCOMPARE(label.heightForWidth(200), wrapped);

    label.setWrapAnywhere(false);
    QCOMPARE(label.heightForWidth(200), oneLine);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelHooks test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelhooks.moc"
