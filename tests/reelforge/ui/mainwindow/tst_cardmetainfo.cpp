#include "application.h"
#include "datamodel/codecinfo.h"
#include "kelui.h"
#include "painting/kelicon.h"
#include "shared/formattables.h"
#include "shared/formatters.h"
#include "styles/kelstyle.h"
#include "ui/mainwindow/cardmetainfo.h"
#include "ui/style.h"
#include "ui/widgets/compressionlevelcombo.h"
#include "ui/widgets/formatscombo.h"
#include "ui/widgets/resolutionscombo.h"
#include "waitbound.h"

#include "appservicesfixture.h"
#include "paintprobe.h"
#include "windowinput.h"

#include "windows/kelpopupmenu.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {

const QString MusicIcon = QStringLiteral(":/svg/meta-format-music.svg");
const QString FormatIcon = QStringLiteral(":/svg/meta-format.svg");

QStringList sorted(QStringList list)
{
    std::sort(list.begin(), list.end());
    return list;
}

QStringList offeredFormats(FormatsCombo *combo)
{
    QStringList formats;
    for (const QVariant &data : combo->itemButtons().keys())
        formats << data.toString();
    return sorted(formats);
}

// The rows of an open combo's popup in their order, the checked one marked.
QStringList popupRows(KelComboBox *combo)
{
    QStringList rows;
    QBoxLayout *layout = combo->popup()->contentLayout();
    for (int i = 0; i < layout->count(); ++i) {
        auto *button = qobject_cast<KelButton *>(layout->itemAt(i)->widget());
        if (button && !button->isHidden())
            rows << button->text() + (button->isChecked() ? QStringLiteral(" *") : QString());
    }
    return rows;
}

QWidget *cell(CardMetainfo *block, int row, int column)
{
    auto *grid = static_cast<QGridLayout *>(block->layout());
    return grid->itemAtPosition(row, column)->widget();
}

} // namespace

class tst_CardMetainfo : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void placeholderBarsWhileImportFailed();
    void formatsFollowTheKindOfSource_data();
    void formatsFollowTheKindOfSource();
    void audioFormatDisablesTheVideoCombos();
    void rotatedSourceOffersTurnedSizes();
    void combosBuildTheirRowsOnFirstOpening_data();
    void combosBuildTheirRowsOnFirstOpening();
    void targetIsEditableOnlyBeforeAndAfterAFailedConversion_data();
    void targetIsEditableOnlyBeforeAndAfterAFailedConversion();
    void targetShowsWhatIsWritten_data();
    void targetShowsWhatIsWritten();
    void historyShowsTheOutputBeforeAndAfterARestart();

private:
    // An item whose source has a picture of 640x360 and stereo sound,
    // converting to mp4, in the given state.
    VideoItemPtr makeItem(VideoItem::State state);

    QTemporaryDir m_dir;
};

void tst_CardMetainfo::init()
{
    QFile file(m_dir.filePath(QStringLiteral("clip.mp4")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(2048, 'x'));
}

VideoItemPtr tst_CardMetainfo::makeItem(VideoItem::State state)
{
    auto item = VideoItemPtr::create(QFileInfo(m_dir.filePath(QStringLiteral("clip.mp4"))));
    CodecInfo &source = *item->sourceCodecInfo();
    source.setFormat(QStringLiteral("MOV"));
    source.setResolution(QSize(640, 360));
    source.setSamplerate(44100);
    source.setChannelCount(2);
    item->setDuration(20000000);
    item->targetCodecInfo()->setFormat(QStringLiteral("mp4"));
    item->targetCodecInfo()->setResolution(QSize(640, 360));
    item->setState(state);
    return item;
}

void tst_CardMetainfo::placeholderBarsWhileImportFailed()
{
    QWidget host;
    host.setAutoFillBackground(true);
    QPalette palette = host.palette();
    palette.setColor(QPalette::Window, Qt::blue);
    host.setPalette(palette);
    auto *layout = new QHBoxLayout(&host);
    auto *source = new CardMetainfo(CardMetainfo::Source, &host);
    auto *target = new CardMetainfo(CardMetainfo::Target, &host);
    layout->addWidget(source);
    layout->addWidget(target);
    host.resize(900, 80);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host, WaitBound::ms()));

    const VideoItemPtr item = makeItem(VideoItem::ImportFailed);
    source->setVideoItem(item);
    target->setVideoItem(item);
    QVERIFY(source->isPlaceholder());
    QVERIFY(target->isPlaceholder());

    const QColor bar = kelStyle()->color(Style::CL_Gray_8);
    auto barCentres = [&] {
        QVector<QPoint> points;
        for (CardMetainfo *block : {source, target}) {
            for (int i = 0; i < 4; ++i) {
                const QRect cellRect = cell(block, i / 2, i % 2)->geometry();
                points << block->mapTo(&host, cellRect.center() + QPoint(8, 0));
            }
        }
        return points;
    };
    // Let the layouts settle before the cells are measured.
    QCoreApplication::processEvents();
    QImage image = host.grab().toImage();
    for (const QPoint &point : barCentres())
        QVERIFY(PaintProbe::pixelIs(image, point.x(), point.y(), bar));
    // Every cell is blank.
    for (int i = 0; i < 4; ++i)
        QCOMPARE(dynamic_cast<KelButtonPainter *>(cell(source, i / 2, i % 2))->text(),
                 QStringLiteral(" "));

    // Imported: real texts, no bars.
    item->setState(VideoItem::Imported);
    QVERIFY(!source->isPlaceholder());
    QCOMPARE(dynamic_cast<KelButtonPainter *>(cell(source, 0, 0))->text(), QStringLiteral("MOV"));
    QCOMPARE(dynamic_cast<KelButtonPainter *>(cell(source, 0, 1))->text(),
             QStringLiteral("640x360"));
    QCoreApplication::processEvents();
    image = host.grab().toImage();
    for (const QPoint &point : barCentres())
        QVERIFY(!PaintProbe::pixelIs(image, point.x(), point.y(), bar));
}

void tst_CardMetainfo::formatsFollowTheKindOfSource_data()
{
    QTest::addColumn<QSize>("resolution");
    QTest::addColumn<int>("channels");
    QTest::addColumn<QStringList>("formats");

    const FormatTables tables;
    QTest::newRow("picture and sound") << QSize(640, 360) << 2 << tables.outputFormats();
    QTest::newRow("picture only") << QSize(640, 360) << 0 << tables.outputVideoFormats();
    QTest::newRow("sound only") << QSize() << 2 << tables.outputAudioFormats();
    QTest::newRow("neither") << QSize() << 0 << QStringList();
}

void tst_CardMetainfo::formatsFollowTheKindOfSource()
{
    QFETCH(QSize, resolution);
    QFETCH(int, channels);
    QFETCH(QStringList, formats);

    const VideoItemPtr item = makeItem(VideoItem::Imported);
    item->sourceCodecInfo()->setResolution(resolution);
    item->sourceCodecInfo()->setChannelCount(channels);
    CardMetainfo target(CardMetainfo::Target);
    target.setVideoItem(item);
    QCOMPARE(offeredFormats(target.findChild<FormatsCombo *>()), sorted(formats));
}

void tst_CardMetainfo::audioFormatDisablesTheVideoCombos()
{
    const VideoItemPtr item = makeItem(VideoItem::Imported);
    CardMetainfo target(CardMetainfo::Target);
    target.setVideoItem(item);
    auto *formats = target.findChild<FormatsCombo *>();
    auto *resolutions = target.findChild<ResolutionsCombo *>();
    auto *compression = target.findChild<CompressionLevelCombo *>();
    QCOMPARE(formats->format(), QStringLiteral("mp4"));
    QVERIFY(resolutions->isEnabled());
    QVERIFY(compression->isEnabled());

    item->targetCodecInfo()->setFormat(QStringLiteral("mp3"));
    QCOMPARE(formats->icon()->path(), MusicIcon);
    QCOMPARE(formats->format(), QStringLiteral("mp3"));
    QVERIFY(!resolutions->isEnabled());
    QVERIFY(!compression->isEnabled());

    item->targetCodecInfo()->setFormat(QStringLiteral("mkv"));
    QCOMPARE(formats->icon()->path(), FormatIcon);
    QVERIFY(resolutions->isEnabled());
    QVERIFY(compression->isEnabled());

    // Without a picture in the source there is nothing to size.
    item->sourceCodecInfo()->setResolution(QSize());
    item->targetCodecInfo()->setFormat(QStringLiteral("mp4"));
    QVERIFY(!resolutions->isEnabled());
    QVERIFY(!compression->isEnabled());
}

void tst_CardMetainfo::rotatedSourceOffersTurnedSizes()
{
    const VideoItemPtr item = makeItem(VideoItem::Imported);
    CardMetainfo target(CardMetainfo::Target);
    target.setVideoItem(item);
    auto *resolutions = target.findChild<ResolutionsCombo *>();
    QVERIFY(resolutions->hasItem(QSize(1280, 720)));
    QVERIFY(!resolutions->hasItem(QSize(720, 1280)));

    item->setRotation(90);
    item->sourceCodecInfo()->setResolution(QSize(1920, 1080));
    QVERIFY(resolutions->hasItem(QSize(720, 1280)));
    QVERIFY(resolutions->hasItem(QSize(1080, 1920)));
    QVERIFY(!resolutions->hasItem(QSize(1280, 720)));
}

void tst_CardMetainfo::combosBuildTheirRowsOnFirstOpening_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("channels");

    QTest::newRow("mp4") << QStringLiteral("mp4") << 2;
    QTest::newRow("mkv, picture only") << QStringLiteral("mkv") << 0;
    QTest::newRow("mp3") << QStringLiteral("mp3") << 2;
    QTest::newRow("not offered") << QStringLiteral("xyz") << 2;
}

// A block whose combos have never opened shows what one with popups built
// from the start shows, and opening makes the same rows.
void tst_CardMetainfo::combosBuildTheirRowsOnFirstOpening()
{
    QFETCH(QString, format);
    QFETCH(int, channels);

    const VideoItemPtr item = makeItem(VideoItem::Imported);
    item->sourceCodecInfo()->setChannelCount(channels);
    item->targetCodecInfo()->setFormat(format);
    item->setCompressionLevel(3);

    QWidget host;
    auto *layout = new QVBoxLayout(&host);
    auto *lazy = new CardMetainfo(CardMetainfo::Target, &host);
    auto *eager = new CardMetainfo(CardMetainfo::Target, &host);
    const QList<KelComboBox *> eagerCombos = eager->findChildren<KelComboBox *>();
    QCOMPARE(eagerCombos.size(), 3);
    for (KelComboBox *combo : eagerCombos)
        combo->itemButtons();
    layout->addWidget(lazy);
    layout->addWidget(eager);
    lazy->setVideoItem(item);
    eager->setVideoItem(item);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host, WaitBound::ms()));
    QVERIFY(lazy->findChildren<KelPopupMenu *>().isEmpty());

    for (int i = 0; i < 4; ++i) {
        auto *shown = dynamic_cast<KelButtonPainter *>(cell(lazy, i / 2, i % 2));
        auto *built = dynamic_cast<KelButtonPainter *>(cell(eager, i / 2, i % 2));
        QCOMPARE(shown->text(), built->text());
        QCOMPARE(cell(lazy, i / 2, i % 2)->sizeHint(), cell(eager, i / 2, i % 2)->sizeHint());
        QCOMPARE(cell(lazy, i / 2, i % 2)->isEnabled(), cell(eager, i / 2, i % 2)->isEnabled());
    }
    QCOMPARE(lazy->size(), eager->size());
    QVERIFY(lazy->findChildren<KelPopupMenu *>().isEmpty());

    const QList<KelComboBox *> lazyCombos = lazy->findChildren<KelComboBox *>();
    for (int i = 0; i < lazyCombos.size(); ++i) {
        KelComboBox *combo = lazyCombos.at(i);
        KelComboBox *twin = eagerCombos.at(i);
        QCOMPARE(combo->metaObject(), twin->metaObject());
        if (!combo->isEnabled())
            continue;
        const QString text = combo->text();
        WindowInput::click(combo);
        QTRY_VERIFY(combo->isPopupVisible());
        QCOMPARE(popupRows(combo), popupRows(twin));
        QVERIFY(!popupRows(combo).isEmpty());
        QCOMPARE(combo->text(), text);
        combo->closePopup();
        QTRY_VERIFY(!combo->isPopupVisible());
    }
}

void tst_CardMetainfo::targetIsEditableOnlyBeforeAndAfterAFailedConversion_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("Importing") << int(VideoItem::Importing) << false;
    QTest::newRow("ImportFailed") << int(VideoItem::ImportFailed) << false;
    QTest::newRow("Imported") << int(VideoItem::Imported) << true;
    QTest::newRow("Scheduled") << int(VideoItem::Scheduled) << false;
    QTest::newRow("Converting") << int(VideoItem::Converting) << false;
    QTest::newRow("ConvertFailed") << int(VideoItem::ConvertFailed) << true;
    QTest::newRow("Converted") << int(VideoItem::Converted) << false;
    QTest::newRow("History") << int(VideoItem::History) << false;
}

void tst_CardMetainfo::targetIsEditableOnlyBeforeAndAfterAFailedConversion()
{
    QFETCH(int, state);
    QFETCH(bool, enabled);

    const VideoItemPtr item = makeItem(VideoItem::Imported);
    CardMetainfo source(CardMetainfo::Source);
    CardMetainfo target(CardMetainfo::Target);
    source.setVideoItem(item);
    target.setVideoItem(item);
    item->setState(VideoItem::State(state));
    QCOMPARE(target.isEnabled(), enabled);
    QVERIFY(!source.isEnabled());

    // Released, the block goes disabled.
    target.setVideoItem(VideoItemPtr());
    QVERIFY(!target.isEnabled());
}

void tst_CardMetainfo::targetShowsWhatIsWritten_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("size");

    const QMetaEnum states = QMetaEnum::fromType<VideoItem::State>();
    for (VideoItem::State state : {VideoItem::Imported, VideoItem::Scheduled, VideoItem::Converting,
                                   VideoItem::ConvertFailed, VideoItem::Converted}) {
        QTest::addRow("mp4, %s", states.valueToKey(state)) << "mp4" << int(state) << "640x360";
        // The record still carries the source's size; an audio file has none.
        QTest::addRow("mp3, %s", states.valueToKey(state)) << "mp3" << int(state) << "";
    }
}

void tst_CardMetainfo::targetShowsWhatIsWritten()
{
    QFETCH(QString, format);
    QFETCH(int, state);
    QFETCH(QString, size);

    const VideoItemPtr item = makeItem(VideoItem::Imported);
    item->targetCodecInfo()->setFormat(format);
    CardMetainfo target(CardMetainfo::Target);
    target.setVideoItem(item);
    item->setState(VideoItem::State(state));
    item->setProgress(state == VideoItem::Converted ? 1000 : 0);
    QCOMPARE(target.findChild<ResolutionsCombo *>()->text(), size);
    QCOMPARE(target.findChild<FormatsCombo *>()->format(), format);
}

void tst_CardMetainfo::historyShowsTheOutputBeforeAndAfterARestart()
{
    const VideoItemPtr item = makeItem(VideoItem::Imported);
    item->setTargetFolderType(Enums::CustomFolder);
    item->setTargetFolderPath(m_dir.filePath(QStringLiteral("out")));
    item->targetCodecInfo()->setFormat(QStringLiteral("mp3"));
    QFile output(item->targetFilePath());
    QVERIFY(output.open(QIODevice::WriteOnly));
    output.write(QByteArray(5000, 'o'));
    output.close();
    item->setState(VideoItem::Converted);
    item->setState(VideoItem::History);

    auto texts = [](const VideoItemPtr &shown) {
        CardMetainfo block(CardMetainfo::Source);
        block.setVideoItem(shown);
        QStringList all;
        for (int i = 0; i < 4; ++i)
            all << dynamic_cast<KelButtonPainter *>(cell(&block, i / 2, i % 2))->text();
        return all;
    };
    const QStringList written{QStringLiteral("MP3"), QStringLiteral(" "),
                              QStringLiteral("00:00:02"), formatFileSize(5000)};
    QCOMPARE(texts(item), written);

    // The probe of the output rewrites the source's facts meanwhile.
    item->sourceCodecInfo()->setFormat(QStringLiteral("MP3"));
    item->sourceCodecInfo()->setResolution(QSize());
    item->setDuration(20100000);
    QCOMPARE(texts(item), written);

    // After a restart the stored record shows the same.
    const auto reloaded = VideoItemPtr::create(QFileInfo());
    QVERIFY(reloaded->loadFromJson(item->toJson()));
    QCOMPARE(texts(reloaded), written);
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    app.initFormats();
    AppServicesFixture services(app);
    // Creates the Ui with its themes.
    kelUi();
    tst_CardMetainfo test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_cardmetainfo.moc"
