#include "kelui.h"
#include "styles/kelstyle.h"
#include "styles/kelstyleable.h"
#include "styles/kelstylemanager.h"

#include "../offscreenleak.h"
#include "warninglog.h"

#include <QtTest>

namespace {

class Counter : public KelStyleable
{
public:
    Counter() : KelStyleable(5) { }
    void applyStyle() override { ++applied; }
    int applied = 0;
};

} // namespace

// A plain QApplication: no framework application, so no UI object and no
// style manager.
class tst_KelStyleWithoutUi : public QObject
{
    Q_OBJECT

private slots:
    void plainStyleAndNoRegistration();
};

void tst_KelStyleWithoutUi::plainStyleAndNoRegistration()
{
    QCOMPARE(kelUi(), nullptr);
    QCOMPARE(KelStyleManager::instance(), nullptr);

    QTest::ignoreMessage(QtWarningMsg, "No style manager, using the plain framework style");
    KelStyle *style = kelStyle();
    QVERIFY(style);
    QCOMPARE(style->styleId(), QStringLiteral("KelStyle"));
    // Said once, not on every call.
    {
        WarningLog log;
        QCOMPARE(kelStyle(), style);
        QCOMPARE(kelStyle(), style);
        QCOMPARE(log.count(QStringLiteral("No style manager")), 0);
    }

    auto counter = std::make_unique<Counter>();
    counter->setStyleId(6);
    QCOMPARE(counter->applied, 1);
    counter.reset();
}

QTEST_MAIN(tst_KelStyleWithoutUi)
#include "tst_kelstylewithoutui.moc"
