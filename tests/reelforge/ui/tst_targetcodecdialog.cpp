#include "datamodel/codecinfo.h"
#include "kelapplication.h"
#include "kelui.h"
#include "styles/kelstylemanager.h"
#include "ui/style.h"
#include "ui/targetcodecdialog.h"
#include "ui/widgets/badgedbutton.h"
#include "ui/widgets/formatscombo.h"
#include "ui/widgets/resolutionscombo.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"

#include "appservicesfixture.h"
#include "widgets/comboinput.h"
#include "windowinput.h"

#include <QtTest>

#include <memory>

namespace {

VideoItemPtr videoItem(const QString &format, const QSize &target, int rotation = 0)
{
    auto item = VideoItemPtr::create(QFileInfo(QStringLiteral("/videos/holiday.mov")));
    item->sourceCodecInfo()->setResolution(QSize(1920, 1080));
    item->setRotation(rotation);
    item->targetCodecInfo()->setFormat(format);
    item->targetCodecInfo()->setResolution(target);
    return item;
}

std::unique_ptr<TargetCodecDialog> shownDialog(const VideoItemPtr &item)
{
    auto dialog = std::make_unique<TargetCodecDialog>(item);
    dialog->show();
    if (!QTest::qWaitForWindowExposed(dialog.get(), WaitBound::ms()))
        return nullptr;
    return dialog;
}

} // namespace

class tst_TargetCodecDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void audioFormatsTurnTheSizesOff();
    void rotatedSourcesOfferTurnedSizes_data();
    void rotatedSourcesOfferTurnedSizes();
    void sourceSizeStaysTheOriginal();
    void cancelLeavesTheCodecInfo();
    void saveWritesTheChosenEntries();
    void saveKeepsValuesWithoutAnEntry();
};

void tst_TargetCodecDialog::initTestCase()
{
    Style::registerThemes(kelUi());
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(QStringLiteral("LightStyle")));
}

void tst_TargetCodecDialog::audioFormatsTurnTheSizesOff()
{
    auto dialog = shownDialog(videoItem(QStringLiteral("mp4"), QSize(1280, 720)));
    QVERIFY(dialog);
    ResolutionsCombo *sizes = dialog->resolutionsCombo();
    QVERIFY(sizes->isEnabled());

    QVERIFY(ComboInput::choose(dialog->formatsCombo(), QStringLiteral("MP3")));
    QVERIFY(!sizes->isEnabled());
    QVERIFY(ComboInput::choose(dialog->formatsCombo(), QStringLiteral("MP4")));
    QVERIFY(sizes->isEnabled());

    // An audio target opens with the sizes off, whatever its spelling.
    auto song = shownDialog(videoItem(QStringLiteral("MP3"), QSize()));
    QVERIFY(song);
    QVERIFY(!song->resolutionsCombo()->isEnabled());
}

void tst_TargetCodecDialog::rotatedSourcesOfferTurnedSizes_data()
{
    QTest::addColumn<int>("rotation");
    QTest::addColumn<bool>("turned");
    QTest::newRow("0") << 0 << false;
    QTest::newRow("90") << 90 << true;
    QTest::newRow("180") << 180 << false;
    QTest::newRow("270") << 270 << true;
}

void tst_TargetCodecDialog::rotatedSourcesOfferTurnedSizes()
{
    QFETCH(int, rotation);
    QFETCH(bool, turned);
    auto dialog = shownDialog(videoItem(QStringLiteral("mp4"), QSize(1920, 1080), rotation));
    QVERIFY(dialog);
    const QStringList texts = ComboInput::itemTexts(dialog->resolutionsCombo());
    QCOMPARE(texts.contains(QStringLiteral("720x1280")), turned);
    QCOMPARE(texts.contains(QStringLiteral("1280x720")), !turned);
}

void tst_TargetCodecDialog::sourceSizeStaysTheOriginal()
{
    // The user once picked 1280x720 for a 1000x562 source.
    VideoItemPtr item = videoItem(QStringLiteral("mp4"), QSize(1280, 720));
    item->sourceCodecInfo()->setResolution(QSize(1000, 562));
    auto dialog = shownDialog(item);
    QVERIFY(dialog);
    const QStringList texts = ComboInput::itemTexts(dialog->resolutionsCombo());
    QVERIFY2(texts.contains(QStringLiteral("1000x562 (original)")), qPrintable(texts.join(',')));
    QVERIFY(texts.contains(QStringLiteral("1280x720")));
    QCOMPARE(dialog->resolutionsCombo()->resolution(), QSize(1280, 720));
}

void tst_TargetCodecDialog::cancelLeavesTheCodecInfo()
{
    VideoItemPtr item = videoItem(QStringLiteral("mkv"), QSize(1280, 720));
    auto dialog = shownDialog(item);
    QVERIFY(dialog);
    QVERIFY(ComboInput::choose(dialog->formatsCombo(), QStringLiteral("MP4")));
    QVERIFY(ComboInput::choose(dialog->resolutionsCombo(), QStringLiteral("640x480")));

    WindowInput::click(dialog->rejectButton());
    QTRY_VERIFY(!dialog->isVisible());
    QCOMPARE(item->targetCodecInfo()->format(), QStringLiteral("mkv"));
    QCOMPARE(item->targetCodecInfo()->resolution(), QSize(1280, 720));
}

void tst_TargetCodecDialog::saveWritesTheChosenEntries()
{
    VideoItemPtr item = videoItem(QStringLiteral("MP4"), QSize(1280, 720));
    auto dialog = shownDialog(item);
    QVERIFY(dialog);
    QCOMPARE(dialog->formatsCombo()->format(), QStringLiteral("mp4"));
    QVERIFY(ComboInput::choose(dialog->resolutionsCombo(), QStringLiteral("640x480")));

    WindowInput::click(dialog->acceptButton());
    QTRY_VERIFY(!dialog->isVisible());
    QCOMPARE(item->targetCodecInfo()->format(), QStringLiteral("mp4"));
    QCOMPARE(item->targetCodecInfo()->resolution(), QSize(640, 480));
}

void tst_TargetCodecDialog::saveKeepsValuesWithoutAnEntry()
{
    // Neither value is on offer: the combos have no current entry.
    VideoItemPtr item = videoItem(QStringLiteral("flv"), QSize(1000, 500));
    auto dialog = shownDialog(item);
    QVERIFY(dialog);
    QVERIFY(dialog->formatsCombo()->format().isEmpty());

    WindowInput::click(dialog->acceptButton());
    QTRY_VERIFY(!dialog->isVisible());
    QCOMPARE(item->targetCodecInfo()->format(), QStringLiteral("flv"));
    QCOMPARE(item->targetCodecInfo()->resolution(), QSize(1000, 500));
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    AppServicesFixture services(app);
    tst_TargetCodecDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_targetcodecdialog.moc"
