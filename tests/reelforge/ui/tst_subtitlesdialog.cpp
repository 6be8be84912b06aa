#include "application.h"
#include "datamodel/codecinfo.h"
#include "datamodel/videoitem.h"
#include "kelui.h"
#include "shared/settingsprovider.h"
#include "ui/subtitlesdialog.h"
#include "ui/widgets/badgedbutton.h"
#include "ui/widgets/colorselector.h"
#include "ui/widgets/displayslider.h"
#include "ui/widgets/filepathselector.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kellabel.h"

#include "appservicesfixture.h"
#include "fakeaudio.h"
#include "mediafixtures.h"

#include "../../kelkit/offscreenleak.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

template<typename T>
T *part(QWidget *dialog, const char *name)
{
    return dialog->findChild<T *>(QLatin1String(name));
}

QStringList storedSubtitlesKeys()
{
    return SettingsProvider::instance()->allKeys().filter(QStringLiteral("lastSubtitles"));
}

QColor withAlpha(QRgb rgb, int alpha)
{
    QColor color(rgb);
    color.setAlpha(alpha);
    return color;
}

} // namespace

class tst_SubtitlesDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void colours_data();
    void colours();
    void bandReopensAsSaved_data();
    void bandReopensAsSaved();
    void opensWithLastUsedStyle();
    void cancelChangesNothing();

private:
    SubtitlesDialog *openDialog();
    void setBackground(SubtitlesDialog *dialog, bool on);

    MediaFixtures m_media;
    QString m_clip;
    QString m_srt;
    VideoItemPtr m_item;
    std::unique_ptr<SubtitlesDialog> m_dialog;
};

void tst_SubtitlesDialog::initTestCase()
{
    // No sound device: the player runs on its own clock.
    FakeAudioDevices::install();
    QVERIFY(m_media.isValid());
    MediaFixtures::Clip clip;
    clip.frames = 75;
    m_clip = m_media.make(QStringLiteral("clip.mp4"), clip);
    QVERIFY(!m_clip.isEmpty());
    m_srt = m_media.path(QStringLiteral("talk.srt"));
    QFile srt(m_srt);
    QVERIFY(srt.open(QIODevice::WriteOnly));
    srt.write("1\n00:00:00,000 --> 00:00:03,000\nHello there\n");
}

void tst_SubtitlesDialog::cleanupTestCase()
{
    FakeAudioDevices::uninstall();
}

void tst_SubtitlesDialog::init()
{
    SettingsProvider::instance()->clear();
    m_item = VideoItemPtr::create(QFileInfo(m_clip));
    m_item->setDuration(3 * 10000000LL);
    m_item->sourceCodecInfo()->setResolution(QSize(320, 240));
    m_item->targetCodecInfo()->setResolution(QSize(320, 240));
}

void tst_SubtitlesDialog::cleanup()
{
    m_dialog.reset();
    m_item.reset();
}

SubtitlesDialog *tst_SubtitlesDialog::openDialog()
{
    m_dialog = std::make_unique<SubtitlesDialog>(m_item);
    return m_dialog.get();
}

void tst_SubtitlesDialog::setBackground(SubtitlesDialog *dialog, bool on)
{
    auto *button = part<KelButton>(dialog, "BackgroundButton");
    if (button->isChecked() == on)
        return;
    QSignalSpy toggled(button, &KelButton::toggled);
    button->setChecked(on);
    QTRY_COMPARE(toggled.size(), 1);
}

void tst_SubtitlesDialog::colours_data()
{
    QTest::addColumn<QColor>("chosen");
    QTest::addColumn<bool>("background");
    QTest::addColumn<QColor>("text");
    QTest::addColumn<QColor>("band");
    QTest::addColumn<QColor>("selector");

    const QColor none = QColor(Qt::transparent);
    QTest::newRow("white") << QColor(Qt::white) << false << QColor(Qt::white) << none
                           << QColor(Qt::white);
    QTest::newRow("black") << QColor(Qt::black) << false << QColor(Qt::black) << none
                           << QColor(Qt::black);
    QTest::newRow("red, background off")
            << QColor(0xE0657B) << false << QColor(Qt::white) << none << QColor(Qt::white);
    QTest::newRow("black on band") << QColor(Qt::black) << true << QColor(Qt::black)
                                   << withAlpha(0xFFFFFF, 150) << QColor(Qt::black);
    QTest::newRow("white on band") << QColor(Qt::white) << true << QColor(Qt::white)
                                   << withAlpha(0x000000, 150) << QColor(Qt::white);
    QTest::newRow("blue band") << QColor(0x3188EF) << true << QColor(Qt::white)
                               << withAlpha(0x3188EF, 153) << QColor(0x3188EF);
}

// The colour is chosen with the band on, so that every circle is offered,
// then the band is set as the row says.
void tst_SubtitlesDialog::colours()
{
    QFETCH(QColor, chosen);
    QFETCH(bool, background);
    QFETCH(QColor, text);
    QFETCH(QColor, band);
    QFETCH(QColor, selector);

    SubtitlesDialog *dialog = openDialog();
    auto *colors = part<ColorSelector>(dialog, "ColorSelector");
    setBackground(dialog, true);
    colors->setColor(chosen);
    QTRY_COMPARE(colors->color(), chosen);
    // The choice has reached the object before the band changes.
    QTRY_COMPARE(dialog->pipObject()->backgroundBrush().color().alpha() > 0, true);
    setBackground(dialog, background);

    const PipObjectPtr pip = dialog->pipObject();
    QTRY_COMPARE(colors->color(), selector);
    QTRY_COMPARE(pip->foregroundBrush().color(), text);
    QCOMPARE(pip->foregroundBrush().style(), Qt::SolidPattern);
    QTRY_COMPARE(pip->backgroundBrush().color().rgba(), band.rgba());
    QCOMPARE(part<KelLabel>(dialog, "ColorLabel")->text(),
             background ? QStringLiteral("Text style") : QStringLiteral("Text color"));
}

void tst_SubtitlesDialog::bandReopensAsSaved_data()
{
    QTest::addColumn<QColor>("chosen");

    QTest::newRow("black on band") << QColor(Qt::black);
    QTest::newRow("white on band") << QColor(Qt::white);
    QTest::newRow("blue band") << QColor(0x3188EF);
}

void tst_SubtitlesDialog::bandReopensAsSaved()
{
    QFETCH(QColor, chosen);

    SubtitlesDialog *dialog = openDialog();
    part<FilePathSelector>(dialog, "FileSelector")->setPath(m_srt);
    setBackground(dialog, true);
    part<ColorSelector>(dialog, "ColorSelector")->setColor(chosen);
    QTRY_COMPARE(part<ColorSelector>(dialog, "ColorSelector")->color(), chosen);
    QTRY_VERIFY(dialog->pipObject()->backgroundBrush().color().alpha() > 0);
    dialog->done(1);
    QVERIFY(m_item->subtitles());
    m_dialog.reset();

    SubtitlesDialog *again = openDialog();
    QCOMPARE(part<ColorSelector>(again, "ColorSelector")->color(), chosen);
    QVERIFY(part<KelButton>(again, "BackgroundButton")->isChecked());
    QCOMPARE(part<KelLabel>(again, "ColorLabel")->text(), QStringLiteral("Text style"));
    QCOMPARE(part<FilePathSelector>(again, "FileSelector")->path(), m_srt);
    QVERIFY(again->acceptButton()->isEnabled());
    // Opening changes nothing of what was saved.
    QCoreApplication::processEvents();
    QCOMPARE(again->pipObject(), m_item->subtitles());
}

void tst_SubtitlesDialog::opensWithLastUsedStyle()
{
    SettingsProvider *settings = SettingsProvider::instance();
    settings->setLastSubtitlesFontSize(0.3);
    settings->setLastSubtitlesOpacity(0.7);
    settings->setLastSubtitlesFontFamily(QStringLiteral("DejaVu Serif"));
    settings->setLastSubtitlesAlignment(Qt::AlignTop);

    SubtitlesDialog *dialog = openDialog();
    QCOMPARE(part<DisplaySlider>(dialog, "SizeSlider")->intValue(), 30);
    QCOMPARE(part<DisplaySlider>(dialog, "OpacitySlider")->intValue(), 70);
    QCOMPARE(dialog->pipObject()->fontFamily(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(dialog->pipObject()->alignment(), Qt::AlignTop);
    auto *file = part<FilePathSelector>(dialog, "FileSelector");
    QVERIFY(file->path().isEmpty());
    QVERIFY(!dialog->acceptButton()->isEnabled());
    file->setPath(m_srt);
    QVERIFY(dialog->acceptButton()->isEnabled());
    QCOMPARE(dialog->pipObject()->filePath(), m_srt);
}

void tst_SubtitlesDialog::cancelChangesNothing()
{
    SubtitlesDialog *dialog = openDialog();
    part<FilePathSelector>(dialog, "FileSelector")->setPath(m_srt);
    part<DisplaySlider>(dialog, "SizeSlider")->setPercentValue(0.9);
    setBackground(dialog, true);
    dialog->done(0);
    QVERIFY(!m_item->subtitles());
    QVERIFY(storedSubtitlesKeys().isEmpty());
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    app.initFormats();
    AppServicesFixture services(app);
    kelUi();
    tst_SubtitlesDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_subtitlesdialog.moc"
