#include "appservicesfixture.h"
#include "kelapplication.h"
#include "kelui.h"
#include "shared/settingsprovider.h"
#include "ui/style.h"
#include "ui/widgets/compressionlevelcombo.h"
#include "ui/widgets/formatscombo.h"
#include "ui/widgets/resolutionscombo.h"
#include "waitbound.h"
#include "windows/kelpopup.h"
#include "windows/kelwindow.h"

#include "../../../kelkit/offscreenleak.h"
#include "comboinput.h"

#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

Q_DECLARE_METATYPE(QList<QSize>)

namespace {

const QStringList Standard = {"640x480",   "1200x800",  "1280x720",  "1280x1024",
                              "1366x768",  "1600x900",  "1920x1080", "1920x1200",
                              "2560x1440", "3440x1440", "3840x2160"};
const QStringList Turned = {"480x640",   "800x1200",  "720x1280",  "1024x1280",
                            "768x1366",  "900x1600",  "1080x1920", "1200x1920",
                            "1440x2560", "1440x3440", "2160x3840"};

QStringList upper(const QStringList &list)
{
    QStringList result;
    for (const QString &s : list)
        result << s.toUpper();
    return result;
}

} // namespace

class tst_TargetCombos : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void resolutionsFill_data();
    void resolutionsFill();
    void formatsFilter_data();
    void formatsFilter();
    void settersStaySilent();
    void clicksEmitTypedSignals();

private:
    SettingsProvider *settings() const { return SettingsProvider::instance(); }
};

void tst_TargetCombos::initTestCase()
{
    Style::registerThemes(kelUi());
    QVERIFY(settings());
}

void tst_TargetCombos::cleanup()
{
    KelPopup::closeActivePopups();
    QTRY_COMPARE(QGuiApplication::mouseButtons(), Qt::NoButton);
}

void tst_TargetCombos::resolutionsFill_data()
{
    QTest::addColumn<QSize>("source");
    QTest::addColumn<bool>("turned");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("portrait source, not turned")
            << QSize(1080, 1920) << false << QStringList("1080x1920 (original)") + Standard;
    QTest::newRow("landscape source, turned")
            << QSize(1920, 1080) << true << QStringList("1920x1080 (original)") + Turned;
    QStringList marked = Standard;
    marked[2] = "1280x720 (original)";
    QTest::newRow("standard source keeps its place") << QSize(1280, 720) << false << marked;
    QStringList markedTurned = Turned;
    markedTurned[6] = "1080x1920 (original)";
    QTest::newRow("turned list holds the source") << QSize(1080, 1920) << true << markedTurned;
    QTest::newRow("no source") << QSize() << false << Standard;
}

void tst_TargetCombos::resolutionsFill()
{
    QFETCH(QSize, source);
    QFETCH(bool, turned);
    QFETCH(QStringList, items);

    ResolutionsCombo combo(1029);
    combo.fill(QSize(640, 480), false);
    combo.setResolution(QSize(640, 480));
    combo.fill(source, turned);
    QCOMPARE(ComboInput::itemTexts(&combo), items);

    if (source.isValid()) {
        combo.setResolution(source);
        QCOMPARE(combo.resolution(), source);
        QCOMPARE(combo.text(), QStringLiteral("%1x%2").arg(source.width()).arg(source.height()));
    }
}

void tst_TargetCombos::formatsFilter_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("after");

    const QStringList video = {"mp4", "mov", "avi", "webm", "mkv", "mpeg"};
    const QStringList audio = {"mp3", "wav", "m4a", "wma"};
    QTest::newRow("all") << "webm" << 1 << upper(video + audio) << "webm";
    QTest::newRow("video keeps a video format") << "mkv" << 2 << upper(video) << "mkv";
    QTest::newRow("audio drops mp4") << "mp4" << 3 << upper(audio) << "";
    QTest::newRow("audio keeps mp3") << "mp3" << 3 << upper(audio) << "mp3";
    QTest::newRow("unknown filter shows none") << "mp4" << 0 << QStringList() << "";
}

void tst_TargetCombos::formatsFilter()
{
    QFETCH(QString, before);
    QFETCH(int, filter);
    QFETCH(QStringList, items);
    QFETCH(QString, after);

    FormatsCombo combo(1029);
    combo.setFormat(before);
    QCOMPARE(combo.format(), before);
    combo.setFormatsFilter(filter);
    QCOMPARE(ComboInput::itemTexts(&combo), items);
    QCOMPARE(combo.format(), after);
    QCOMPARE(combo.text(), after.toUpper());
    KelButton *checked = combo.currentButton();
    QCOMPARE(checked ? checked->text() : QString(), after.toUpper());
}

void tst_TargetCombos::settersStaySilent()
{
    FormatsCombo formats(1029);
    ResolutionsCombo resolutions(1029);
    resolutions.fill(QSize(1920, 1080), false);
    CompressionLevelCombo levels(1029);
    QSignalSpy formatClicked(&formats, &FormatsCombo::formatClicked);
    QSignalSpy resolutionClicked(&resolutions, &ResolutionsCombo::resolutionClicked);
    QSignalSpy levelClicked(&levels, &CompressionLevelCombo::compressionLevelClicked);
    const QString stored = settings()->lastClickedFormat();

    // The stored default is upper case while the items hold lower case.
    formats.setFormat(QStringLiteral("MP4"));
    QCOMPARE(formats.format(), QStringLiteral("mp4"));
    QCOMPARE(formats.text(), QStringLiteral("MP4"));
    formats.setFormat(QStringLiteral("mOv"));
    QCOMPARE(formats.format(), QStringLiteral("mov"));
    formats.setFormatsFilter(FormatsCombo::VideoFormats);
    resolutions.setResolution(QSize(1280, 720));
    QCOMPARE(resolutions.text(), QStringLiteral("1280x720"));
    levels.setLevel(3);
    QCOMPARE(levels.text(), QStringLiteral("High quality"));
    QCOMPARE(levels.currentData(), QVariant(3));
    QCoreApplication::processEvents();

    QCOMPARE(formatClicked.size(), 0);
    QCOMPARE(resolutionClicked.size(), 0);
    QCOMPARE(levelClicked.size(), 0);
    QCOMPARE(settings()->lastClickedFormat(), stored);
}

void tst_TargetCombos::clicksEmitTypedSignals()
{
    KelWindow window(KelWindow::Movable);
    window.setGeometry(20, 20, 400, 300);
    auto *layout = new QVBoxLayout(window.centralWidget());
    auto *formats = new FormatsCombo(Style::WT_Card_Cell);
    auto *resolutions = new ResolutionsCombo(Style::WT_Card_Cell);
    auto *levels = new CompressionLevelCombo(Style::WT_Card_Cell);
    layout->addWidget(formats);
    layout->addWidget(resolutions);
    layout->addWidget(levels);
    layout->addStretch();
    resolutions->fill(QSize(1920, 1080), false);
    resolutions->setResolution(QSize(640, 480));
    formats->setFormat(QStringLiteral("mp4"));
    levels->setLevel(2);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));

    QStringList storedWhenClicked;
    connect(formats, &FormatsCombo::formatClicked, formats,
            [this, &storedWhenClicked](const QString &format) {
                storedWhenClicked << format << settings()->lastClickedFormat();
            });
    QSignalSpy resolutionClicked(resolutions, &ResolutionsCombo::resolutionClicked);
    QSignalSpy levelClicked(levels, &CompressionLevelCombo::compressionLevelClicked);

    QVERIFY(ComboInput::choose(formats, QStringLiteral("MKV")));
    QCOMPARE(storedWhenClicked, QStringList({"mkv", "mkv"}));
    QCOMPARE(formats->text(), QStringLiteral("MKV"));

    QVERIFY(ComboInput::choose(resolutions, QStringLiteral("1920x1080 (original)")));
    QCOMPARE(resolutionClicked.size(), 1);
    QCOMPARE(resolutionClicked.at(0).at(0).toSize(), QSize(1920, 1080));
    QCOMPARE(resolutions->text(), QStringLiteral("1920x1080"));

    QVERIFY(ComboInput::choose(levels, QStringLiteral("Ultra high quality")));
    QCOMPARE(levelClicked.size(), 1);
    QCOMPARE(levelClicked.at(0).at(0).toInt(), 4);
    QCOMPARE(levels->text(), QStringLiteral("Ultra high quality"));
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    AppServicesFixture services(app);
    tst_TargetCombos test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_targetcombos.moc"
