#include "application.h"
#include "datamodel/codecinfo.h"
#include "datamodel/pip/pipframe.h"
#include "datamodel/videoitem.h"
#include "kelui.h"
#include "shared/settingsprovider.h"
#include "ui/player/playerwidget.h"
#include "ui/player/resizeroverlay.h"
#include "ui/subtitlesdialog.h"
#include "ui/ui.h"
#include "ui/watermarkdialog.h"
#include "ui/widgets/badgedbutton.h"
#include "ui/widgets/buttonswitcher.h"
#include "ui/widgets/displayslider.h"
#include "ui/widgets/filepathselector.h"
#include "waitbound.h"
#include "widgets/kelexclusivebuttongroup.h"
#include "widgets/kellineedit.h"

#include "appservicesfixture.h"
#include "fakeaudio.h"
#include "mediafixtures.h"

#include "../../kelkit/offscreenleak.h"

#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QStringList WatermarkKeys = {"lastWatermarkType",       "lastWatermarkText",
                                   "lastWatermarkFontFamily", "lastWatermarkForegroundBrush",
                                   "lastWatermarkSize",       "lastWatermarkOpacity",
                                   "lastWatermarkAngle",      "lastWatermarkLocation",
                                   "lastWatermarkCenterPoint"};

QStringList storedWatermarkKeys()
{
    return SettingsProvider::instance()->allKeys().filter(QStringLiteral("lastWatermark"));
}

template<typename T>
T *part(QWidget *dialog, const char *name)
{
    return dialog->findChild<T *>(QLatin1String(name));
}

bool near(const QRectF &a, const QRectF &b, qreal tolerance = 1.0)
{
    return qAbs(a.x() - b.x()) <= tolerance && qAbs(a.y() - b.y()) <= tolerance
            && qAbs(a.width() - b.width()) <= tolerance
            && qAbs(a.height() - b.height()) <= tolerance;
}

} // namespace

class tst_WatermarkDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void opensWithLastUsedDefaults();
    void saveNeedsTextOrFile_data();
    void saveNeedsTextOrFile();
    void cancelChangesNothing();
    void saveWritesKeysAndGivesTheCopy();
    void angleStopsAtNinety();
    void boxFollowsPainterInLogicalPixels();
    void painterReportWaitsForRelease();
    void noBoxHidesTheOverlay_data();
    void noBoxHidesTheOverlay();
    void uiOpensEditorsModeless_data();
    void uiOpensEditorsModeless();

private:
    WatermarkDialog *openDialog();
    void showTextWatermark();

    MediaFixtures m_media;
    QString m_clip;
    QString m_logo;
    VideoItemPtr m_item;
    std::unique_ptr<WatermarkDialog> m_dialog;
};

void tst_WatermarkDialog::initTestCase()
{
    // No sound device: the player runs on its own clock.
    FakeAudioDevices::install();
    QVERIFY(m_media.isValid());
    MediaFixtures::Clip clip;
    clip.frames = 75;
    m_clip = m_media.make(QStringLiteral("clip.mp4"), clip);
    QVERIFY(!m_clip.isEmpty());
    QImage logo(80, 40, QImage::Format_ARGB32);
    logo.fill(Qt::yellow);
    m_logo = m_media.path(QStringLiteral("logo.png"));
    QVERIFY(logo.save(m_logo));
}

void tst_WatermarkDialog::cleanupTestCase()
{
    FakeAudioDevices::uninstall();
}

void tst_WatermarkDialog::init()
{
    SettingsProvider::instance()->clear();
    m_item = VideoItemPtr::create(QFileInfo(m_clip));
    m_item->setDuration(3 * 10000000LL);
    m_item->sourceCodecInfo()->setResolution(QSize(320, 240));
    m_item->targetCodecInfo()->setResolution(QSize(320, 240));
}

void tst_WatermarkDialog::cleanup()
{
    m_dialog.reset();
    m_item.reset();
}

WatermarkDialog *tst_WatermarkDialog::openDialog()
{
    m_dialog = std::make_unique<WatermarkDialog>(m_item);
    return m_dialog.get();
}

// A shown dialog editing a text watermark, its box placed by the painter.
void tst_WatermarkDialog::showTextWatermark()
{
    WatermarkDialog *dialog = openDialog();
    part<ButtonSwitcher>(dialog, "TypeSwitcher")
            ->group()
            ->setCheckedData(int(PipObject::TextWatermark));
    QTRY_COMPARE(dialog->pipObject()->type(), PipObject::TextWatermark);
    auto *text = part<KelLineEdit>(dialog, "TextEdit");
    text->setFocus();
    QTest::keyClicks(text, QStringLiteral("Reel"));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog, WaitBound::ms()));
    QTRY_VERIFY(dialog->overlay()->isVisible());
    // The painter measures the text once the picture has a size.
    QTRY_VERIFY(dialog->overlay()->relativeSelection().width() > 20);
}

void tst_WatermarkDialog::opensWithLastUsedDefaults()
{
    WatermarkDialog *dialog = openDialog();
    const PipObjectPtr pip = dialog->pipObject();
    QVERIFY(pip);
    QCOMPARE(pip->type(), PipObject::ImageWatermark);
    QCOMPARE(part<DisplaySlider>(dialog, "SizeSlider")->intValue(), 50);
    QCOMPARE(part<DisplaySlider>(dialog, "OpacitySlider")->intValue(), 100);
    QCOMPARE(part<DisplaySlider>(dialog, "AngleSlider")->intValue(), 0);
    QCOMPARE(part<ButtonSwitcher>(dialog, "LocationSwitcher")->group()->checkedData().toInt(),
             int(PipObject::Free));
    QCOMPARE(part<ButtonSwitcher>(dialog, "TypeSwitcher")->group()->checkedData().toInt(),
             int(PipObject::ImageWatermark));
    QVERIFY(part<QWidget>(dialog, "ImageBox")->isVisibleTo(dialog));
    QVERIFY(!part<QWidget>(dialog, "TextBox")->isVisibleTo(dialog));
    QCOMPARE(dialog->overlay()->objectName(), QStringLiteral("CropResizer"));
}

void tst_WatermarkDialog::saveNeedsTextOrFile_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("file");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("text of blanks") << int(PipObject::TextWatermark) << "   " << false << false;
    QTest::newRow("text") << int(PipObject::TextWatermark) << " Reel " << false << true;
    QTest::newRow("image without file")
            << int(PipObject::ImageWatermark) << "Reel" << false << false;
    QTest::newRow("image with file") << int(PipObject::ImageWatermark) << QString() << true << true;
}

void tst_WatermarkDialog::saveNeedsTextOrFile()
{
    QFETCH(int, type);
    QFETCH(QString, typed);
    QFETCH(bool, file);
    QFETCH(bool, enabled);

    WatermarkDialog *dialog = openDialog();
    // The text is typed as a text watermark; the type is chosen last.
    part<ButtonSwitcher>(dialog, "TypeSwitcher")
            ->group()
            ->setCheckedData(int(PipObject::TextWatermark));
    QTRY_COMPARE(dialog->pipObject()->type(), PipObject::TextWatermark);
    QTest::keyClicks(part<KelLineEdit>(dialog, "TextEdit"), typed);
    if (file)
        part<FilePathSelector>(dialog, "FileSelector")->setPath(m_logo);
    part<ButtonSwitcher>(dialog, "TypeSwitcher")->group()->setCheckedData(type);
    QTRY_COMPARE(int(dialog->pipObject()->type()), type);
    QCOMPARE(dialog->acceptButton()->isEnabled(), enabled);
    QCOMPARE(part<QWidget>(dialog, "TextBox")->isVisibleTo(dialog),
             type == PipObject::TextWatermark);
}

void tst_WatermarkDialog::cancelChangesNothing()
{
    WatermarkDialog *dialog = openDialog();
    part<DisplaySlider>(dialog, "SizeSlider")->setPercentValue(0.8);
    QCOMPARE(dialog->pipObject()->size(), 0.8);
    dialog->done(0);
    QVERIFY(!m_item->watermark());
    QVERIFY(storedWatermarkKeys().isEmpty());
}

void tst_WatermarkDialog::saveWritesKeysAndGivesTheCopy()
{
    WatermarkDialog *dialog = openDialog();
    part<ButtonSwitcher>(dialog, "TypeSwitcher")
            ->group()
            ->setCheckedData(int(PipObject::TextWatermark));
    QTRY_COMPARE(dialog->pipObject()->type(), PipObject::TextWatermark);
    QTest::keyClicks(part<KelLineEdit>(dialog, "TextEdit"), QStringLiteral("Reel"));
    part<FilePathSelector>(dialog, "FileSelector")->setPath(m_logo);
    part<DisplaySlider>(dialog, "SizeSlider")->setPercentValue(0.3);
    const PipObjectPtr edited = dialog->pipObject();
    dialog->done(1);

    QCOMPARE(m_item->watermark(), edited);
    QCOMPARE(m_item->watermark()->text(), QStringLiteral("Reel"));
    QCOMPARE(m_item->watermark()->size(), 0.3);
    QStringList stored = storedWatermarkKeys();
    stored.sort();
    QStringList expected = WatermarkKeys;
    expected.sort();
    QCOMPARE(stored, expected);
    QCOMPARE(SettingsProvider::instance()->lastWatermarkText(), QStringLiteral("Reel"));

    // A second dialog edits a copy of the item's watermark.
    m_dialog.reset();
    WatermarkDialog *again = openDialog();
    QVERIFY(again->pipObject().data() != edited.data());
    QCOMPARE(again->pipObject(), edited);
}

void tst_WatermarkDialog::angleStopsAtNinety()
{
    WatermarkDialog *dialog = openDialog();
    auto *angle = part<DisplaySlider>(dialog, "AngleSlider");
    dialog->overlay()->setRotationAngle(120);
    QCOMPARE(dialog->overlay()->rotationAngle(), 90.0);
    QCOMPARE(dialog->pipObject()->angle(), 90);
    QCOMPARE(angle->intValue(), 90);

    // Whole degrees everywhere.
    dialog->overlay()->setRotationAngle(-30.6);
    QCOMPARE(dialog->pipObject()->angle(), -31);
    QCOMPARE(angle->intValue(), -31);
    QCOMPARE(dialog->overlay()->rotationAngle(), -31.0);

    angle->setPercentValue(0.45);
    QCOMPARE(dialog->pipObject()->angle(), 45);
    QCOMPARE(dialog->overlay()->rotationAngle(), 45.0);
}

void tst_WatermarkDialog::boxFollowsPainterInLogicalPixels()
{
    showTextWatermark();
    WatermarkDialog *dialog = m_dialog.get();
    PipFrame *frame = dialog->findChild<PlayerWidget *>()->watermarkFrame();
    QVERIFY(frame);
    const qreal dpr = dialog->devicePixelRatioF();
    QSignalSpy reports(frame, &PipFrame::pixelGeometryChanged);

    part<DisplaySlider>(dialog, "SizeSlider")->setPercentValue(0.3);
    QTRY_VERIFY(!reports.isEmpty());
    const QRectF painted = reports.last().at(1).toRectF();
    const QRectF expected(painted.topLeft() / dpr, painted.size() / dpr);
    QTRY_VERIFY2(near(dialog->overlay()->relativeSelection(), expected),
                 qPrintable(QStringLiteral("box %1,%2 %3x%4")
                                    .arg(dialog->overlay()->relativeSelection().x())
                                    .arg(dialog->overlay()->relativeSelection().y())
                                    .arg(dialog->overlay()->relativeSelection().width())
                                    .arg(dialog->overlay()->relativeSelection().height())));
    QCOMPARE(dialog->overlay()->aspectRatio(), expected.width() / expected.height());

    // A drag writes back in device pixels: the painter then reports the
    // moved box at the ratio.
    const QPointF centre = dialog->overlay()->screenSelection().center();
    const QPoint from = centre.toPoint();
    const QPoint to = from + QPoint(30, 16);
    QWindow *window = dialog->windowHandle();
    const QPoint origin = dialog->overlay()->mapTo(dialog, QPoint());
    QTest::mousePress(window, Qt::LeftButton, {}, origin + from);
    QTest::mouseMove(window, origin + from + QPoint(15, 8));
    QTest::mouseMove(window, origin + to);
    QTest::mouseRelease(window, Qt::LeftButton, {}, origin + to);
    const QRectF moved = dialog->overlay()->relativeSelection();
    QCOMPARE(moved.topLeft(), expected.topLeft() + QPointF(30, 16));
    QTRY_VERIFY(near(reports.last().at(1).toRectF(),
                     QRectF(moved.topLeft() * dpr, moved.size() * dpr), dpr));
    const QPointF centrePoint = dialog->pipObject()->centerPoint();
    QVERIFY(centrePoint.x() > 0.5 && centrePoint.y() > 0.5);
}

void tst_WatermarkDialog::painterReportWaitsForRelease()
{
    showTextWatermark();
    WatermarkDialog *dialog = m_dialog.get();
    ResizerOverlay *overlay = dialog->overlay();
    const QRectF before = overlay->relativeSelection();
    QWindow *window = dialog->windowHandle();
    const QPoint origin = overlay->mapTo(dialog, QPoint());
    const QPoint from = overlay->screenSelection().center().toPoint();

    QTest::mousePress(window, Qt::LeftButton, {}, origin + from);
    QVERIFY(overlay->isChanging());
    QTest::mouseMove(window, origin + from + QPoint(10, 0));
    QTest::mouseMove(window, origin + from + QPoint(20, 0));
    const QRectF dragged = overlay->relativeSelection();
    QCOMPARE(dragged, before.translated(20, 0));
    // The painter's answer to a smaller watermark comes while the button is
    // still down and must not move the box under the pointer.
    QSignalSpy reports(dialog->findChild<PlayerWidget *>()->watermarkFrame(),
                       &PipFrame::pixelGeometryChanged);
    part<DisplaySlider>(dialog, "SizeSlider")->setPercentValue(0.2);
    QTRY_VERIFY(reports.size() >= 1);
    QCoreApplication::processEvents();
    QCOMPARE(overlay->relativeSelection(), dragged);

    QTest::mouseRelease(window, Qt::LeftButton, {}, origin + from + QPoint(20, 0));
    QTRY_VERIFY(overlay->relativeSelection().width() < dragged.width());
}

void tst_WatermarkDialog::noBoxHidesTheOverlay_data()
{
    QTest::addColumn<QString>("change");

    QTest::newRow("text erased") << "erase";
    QTest::newRow("tiled") << "tile";
}

void tst_WatermarkDialog::noBoxHidesTheOverlay()
{
    QFETCH(QString, change);

    showTextWatermark();
    WatermarkDialog *dialog = m_dialog.get();
    const double aspect = dialog->overlay()->aspectRatio();
    QSignalSpy reports(dialog->findChild<PlayerWidget *>()->watermarkFrame(),
                       &PipFrame::pixelGeometryChanged);
    if (change == QLatin1String("erase")) {
        auto *text = part<KelLineEdit>(dialog, "TextEdit");
        text->selectAll();
        QTest::keyClick(text, Qt::Key_Delete);
        QCOMPARE(dialog->pipObject()->text(), QString());
    } else {
        part<ButtonSwitcher>(dialog, "LocationSwitcher")
                ->group()
                ->setCheckedData(int(PipObject::Tile));
    }
    QTRY_VERIFY(!reports.isEmpty());
    QTRY_VERIFY(!dialog->overlay()->isVisible());
    QCOMPARE(dialog->overlay()->aspectRatio(), aspect);
}

void tst_WatermarkDialog::uiOpensEditorsModeless_data()
{
    QTest::addColumn<QString>("dialogName");

    QTest::newRow("watermark") << "WatermarkDialog";
    QTest::newRow("subtitles") << "SubtitlesDialog";
}

void tst_WatermarkDialog::uiOpensEditorsModeless()
{
    QFETCH(QString, dialogName);

    auto *ui = dynamic_cast<Ui *>(kelUi());
    QVERIFY(ui);
    if (dialogName == QLatin1String("WatermarkDialog"))
        ui->showWatermarkDialog(m_item);
    else
        ui->showSubtitlesDialog(m_item);

    QPointer<QWidget> dialog;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->objectName() == dialogName)
            dialog = window;
    }
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    dialog->close();
    QTRY_VERIFY(!dialog);
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    app.initFormats();
    AppServicesFixture services(app);
    kelUi();
    tst_WatermarkDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_watermarkdialog.moc"
