#include "kelapplication.h"
#include "kelsettings.h"
#include "kelui.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "widgets/kelprogressbar.h"

#include "../offscreenleak.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

class RecordingStyle : public KelStyle
{
public:
    QString styleId() const override { return QStringLiteral("Recording"); }
    void applyProgressBarStyle(KelProgressBar *bar, int id) const override
    {
        applied << qMakePair(bar, id);
    }

    mutable QList<QPair<KelProgressBar *, int>> applied;
};

} // namespace

class tst_KelProgressBar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void construction();
    void stateChanges_data();
    void stateChanges();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<KelSettings> m_settings;
    RecordingStyle m_style;
};

void tst_KelProgressBar::initTestCase()
{
    m_settings = std::make_unique<KelSettings>(m_dir.filePath(QStringLiteral("settings.ini")),
                                               QSettings::IniFormat);
    static_cast<KelApplication *>(qApp)->setSettings(m_settings.get());
    KelStyleManager *manager = kelUi()->styleManager();
    manager->addStyle(&m_style);
    QVERIFY(manager->setCurrentStyle(m_style.styleId()));
}

void tst_KelProgressBar::cleanupTestCase()
{
    delete kelUi();
}

void tst_KelProgressBar::construction()
{
    m_style.applied.clear();
    KelProgressBar styled(5);
    KelProgressBar unstyled(5, nullptr, true);
    KelProgressBar withoutId;
    QCOMPARE(m_style.applied, (QList<QPair<KelProgressBar *, int>>{{&styled, 5}}));
    QCOMPARE(styled.alignment(), Qt::AlignCenter);
    QCOMPARE(styled.state(), KelProgressBar::Normal);

    // Re-applied for its id only.
    unstyled.applyStyle();
    withoutId.applyStyle();
    QCOMPARE(m_style.applied.size(), 2);
    QCOMPARE(m_style.applied.last(), qMakePair(&unstyled, 5));
}

void tst_KelProgressBar::stateChanges_data()
{
    QTest::addColumn<QList<int>>("states");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");

    // The bar starts at range 10..1000, value 400.
    const int N = KelProgressBar::Normal;
    const int I = KelProgressBar::Indeterminate;
    const int P = KelProgressBar::Paused;
    QTest::newRow("busy") << QList<int>{I} << 0 << 0 << -1;
    QTest::newRow("busy and back") << QList<int>{I, N} << 10 << 1000 << 400;
    QTest::newRow("busy twice and back") << QList<int>{I, I, N} << 10 << 1000 << 400;
    QTest::newRow("paused") << QList<int>{P} << 10 << 1000 << 400;
    QTest::newRow("paused and back") << QList<int>{P, N} << 10 << 1000 << 400;
    QTest::newRow("busy, paused, back stays busy") << QList<int>{I, P, N} << 0 << 0 << -1;
    QTest::newRow("paused, busy and back") << QList<int>{P, I, N} << 10 << 1000 << 400;
}

void tst_KelProgressBar::stateChanges()
{
    QFETCH(QList<int>, states);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, value);

    KelProgressBar bar;
    bar.setRange(10, 1000);
    bar.setValue(400);
    for (int state : states) {
        bar.setState(KelProgressBar::State(state));
        QCOMPARE(int(bar.state()), state);
    }
    QCOMPARE(bar.minimum(), minimum);
    QCOMPARE(bar.maximum(), maximum);
    QCOMPARE(bar.value(), value);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelProgressBar test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelprogressbar.moc"
