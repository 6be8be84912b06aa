#include "application.h"
#include "core/mediaimport.h"
#include "datamodel/codecinfo.h"
#include "kelui.h"
#include "painting/kelicon.h"
#include "shared/enums.h"
#include "ui/mainwindow/card.h"
#include "ui/mainwindow/cardmetainfo.h"
#include "ui/mainwindow/cardthumbnail.h"
#include "ui/mainwindow/thumbicon.h"
#include "ui/progressbar.h"
#include "ui/style.h"
#include "ui/widgets/editablelabel.h"
#include "waitbound.h"
#include "ui/widgets/formatscombo.h"
#include "widgets/keliconlabel.h"
#include "windows/kelmessagebox.h"

#include "appservicesfixture.h"
#include "linkcatcher.h"
#include "mediafixtures.h"
#include "messageboxinput.h"
#include "windowcatcher.h"
#include "windowinput.h"

#include <QGridLayout>
#include <QLabel>
#include <QScopeGuard>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Answers of the remove row: no question expected, or a footer button.
constexpr int NoQuestion = -1;
constexpr int AnswerNo = 1;
constexpr int AnswerYes = 2;
// A preview dialog opens its media first; on a loaded machine that takes a
// while.
constexpr int OpenTimeoutMs = 60000;

template<typename T = QWidget>
T *part(Card *card, const char *name)
{
    T *widget = card->findChild<T *>(QLatin1String(name));
    if (!widget)
        qWarning() << "No card part" << name;
    return widget;
}

KelButton *mainButton(Card *card, const char *extraProp)
{
    return part(card, extraProp)->findChild<KelButton *>(QStringLiteral("MainButton"));
}

KelButton *extraButton(Card *card, const char *extraProp)
{
    return part(card, extraProp)->findChild<KelButton *>(QStringLiteral("ExtraButton"));
}

KelButton *audioButton(Card *card)
{
    for (KelButton *button : card->findChildren<KelButton *>()) {
        if (button->text() == QLatin1String("Audio"))
            return button;
    }
    return nullptr;
}

bool shown(Card *card, QWidget *widget)
{
    return widget && widget->isVisibleTo(card);
}

// Clicks through the window the card lives in; the click is delivered on
// the event loop's next pass.
void clickThrough(QWidget *widget)
{
    WindowInput::click(widget);
    QCoreApplication::processEvents();
}

} // namespace

class tst_Card : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void stateShowsItsParts_data();
    void stateShowsItsParts();
    void removeByState_data();
    void removeByState();
    void pauseThroughTheItemDoesNotEchoBack();
    void restartOnlyAfterTheConversionEnded_data();
    void restartOnlyAfterTheConversionEnded();
    void namesAndExtras();
    void audioFollowsTheUsersChoice();
    void audioOnlySourceStaysOn();
    void unreadableSourceGivesAnImportFailedCard();
    void recycledCardIgnoresItsPreviousItem();
    void itemFileOpensOutputOnceConverted_data();
    void itemFileOpensOutputOnceConverted();
    void cardWithoutItemIsDisabled();
    void failedCardSaysWhy_data();
    void failedCardSaysWhy();
    void convertNeedsATargetFormat();
    void remainingTimeIsNeverZero();
    void everyButtonOpensItsWindow_data();
    void everyButtonOpensItsWindow();

private:
    VideoItemPtr importItem(const QString &path);
    void showCard();

    MediaFixtures m_media;
    QTemporaryDir m_out;
    QString m_clip;
    QString m_tone;
    QString m_broken;
    std::unique_ptr<mediaimport> m_import;
    std::unique_ptr<QWidget> m_window;
    Card *m_card = nullptr;
};

void tst_Card::initTestCase()
{
    QVERIFY(m_media.isValid());
    MediaFixtures::Clip clip;
    clip.frames = 25;
    clip.audioChannels = 2;
    m_clip = m_media.make(QStringLiteral("clip.mp4"), clip);
    QVERIFY(!m_clip.isEmpty());

    MediaFixtures::Clip tone;
    tone.video = false;
    tone.audioChannels = 2;
    m_tone = m_media.make(QStringLiteral("tone.m4a"), tone);
    QVERIFY(!m_tone.isEmpty());

    m_broken = m_media.path(QStringLiteral("broken.mp4"));
    QFile broken(m_broken);
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a media file");
}

void tst_Card::init()
{
    m_import = std::make_unique<mediaimport>();
    m_window = std::make_unique<QWidget>();
    m_card = new Card(m_window.get());
    m_window->resize(1200, m_card->sizeHint().height());
}

void tst_Card::cleanup()
{
    m_window.reset();
    m_card = nullptr;
    m_import.reset();
}

VideoItemPtr tst_Card::importItem(const QString &path)
{
    auto item = VideoItemPtr::create(QFileInfo(path));
    item->targetCodecInfo()->setFormat(QStringLiteral("mp4"));
    item->setTargetFolderType(Enums::CustomFolder);
    item->setTargetFolderPath(m_out.path());
    QSignalSpy imported(item.data(), &VideoItem::stateChanged);
    m_import->loadMetaInfo(item);
    if (item->state() == VideoItem::Importing && !imported.wait(WaitBound::ms()))
        qWarning() << "Import of" << path << "did not end";
    return item;
}

void tst_Card::showCard()
{
    m_card->resize(m_window->size());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get(), WaitBound::ms()));
}

void tst_Card::stateShowsItsParts_data()
{
    QTest::addColumn<int>("state");
    // Top tools, convert box, tool buttons, restart, pause, folder, cross,
    // arrow and target info, extras, progress, message.
    QTest::addColumn<QString>("visible");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("messageStyle");
    QTest::addColumn<bool>("titleEnabled");
    QTest::addColumn<bool>("thumbnailEnabled");

    QTest::newRow("Importing") << int(VideoItem::Importing) << "0 0 1 0 0 0 1 1 0 1 0"
                               << "" << 1034 << false << false;
    QTest::newRow("ImportFailed") << int(VideoItem::ImportFailed) << "0 0 1 0 0 0 1 1 0 0 1"
                                  << "Import failed" << 1035 << false << false;
    QTest::newRow("Imported") << int(VideoItem::Imported) << "1 1 0 - - - - 1 1 0 0"
                              << "" << 1034 << true << true;
    QTest::newRow("Scheduled") << int(VideoItem::Scheduled) << "0 0 1 0 1 0 1 1 0 1 0"
                               << "" << 1034 << false << true;
    QTest::newRow("Converting") << int(VideoItem::Converting) << "0 0 1 0 1 0 1 1 0 1 0"
                                << "" << 1034 << false << true;
    QTest::newRow("ConvertFailed") << int(VideoItem::ConvertFailed) << "0 0 1 1 0 0 1 1 0 0 1"
                                   << "Convert failed" << 1035 << false << true;
    QTest::newRow("Converted") << int(VideoItem::Converted) << "0 0 1 1 0 1 1 1 0 0 1"
                               << "Completed!" << 1034 << false << true;
    QTest::newRow("History") << int(VideoItem::History) << "0 0 1 0 0 1 1 0 0 0 0"
                             << "" << 1034 << false << true;
}

void tst_Card::stateShowsItsParts()
{
    QFETCH(int, state);
    QFETCH(QString, visible);
    QFETCH(QString, message);
    QFETCH(int, messageStyle);
    QFETCH(bool, titleEnabled);
    QFETCH(bool, thumbnailEnabled);

    const VideoItemPtr item = importItem(m_clip);
    QCOMPARE(item->state(), VideoItem::Imported);
    m_card->setVideoItem(item);
    item->setState(VideoItem::State(state));

    Card *card = m_card;
    const QVector<QVector<QWidget *>> parts = {
            {part(card, "TopSettings"), part(card, "TopFolder"), part(card, "TopCross")},
            {part(card, "MidConvertButtonBox")},
            {part(card, "MidToolButtons")},
            {part(card, "MidRestart")},
            {part(card, "MidPause")},
            {part(card, "MidFolder")},
            {part(card, "MidCross")},
            {part(card, "Arrow"), part(card, "MidTargetInfo")},
            {part(card, "BottomExtra")},
            {part(card, "BottomProgress")},
            {part(card, "BottomMessage")},
    };
    const QStringList expected = visible.split(QLatin1Char(' '));
    QCOMPARE(expected.size(), parts.size());
    for (int i = 0; i < parts.size(); ++i) {
        // A tool button of a hidden box keeps whatever it had.
        if (expected.at(i) == QLatin1String("-"))
            continue;
        for (QWidget *widget : parts.at(i)) {
            if (shown(card, widget) != (expected.at(i) == QLatin1String("1")))
                QFAIL(qPrintable(QStringLiteral("%1 is %2")
                                         .arg(widget->objectName(),
                                              shown(card, widget) ? QStringLiteral("shown")
                                                                  : QStringLiteral("hidden"))));
        }
    }
    auto *messageLabel = part<KelIconLabel>(card, "BottomMessage");
    if (!message.isEmpty())
        QCOMPARE(messageLabel->text(), message);
    QCOMPARE(messageLabel->styleId(), messageStyle);
    QCOMPARE(part(card, "Title")->isEnabledTo(card), titleEnabled);
    QCOMPARE(part(card, "Thumbnail")->isEnabledTo(card), thumbnailEnabled);
}

void tst_Card::removeByState_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("aborts");
    QTest::addColumn<int>("removes");
    QTest::addColumn<int>("stateAfter");

    QTest::newRow("Converting, yes")
            << int(VideoItem::Converting) << AnswerYes << 1 << 0 << int(VideoItem::Converting);
    QTest::newRow("Scheduled, no")
            << int(VideoItem::Scheduled) << AnswerNo << 0 << 0 << int(VideoItem::Scheduled);
    QTest::newRow("Imported, no") << int(VideoItem::Imported) << AnswerNo << 0 << 0
                                  << int(VideoItem::Imported);
    QTest::newRow("Imported, yes")
            << int(VideoItem::Imported) << AnswerYes << 0 << 1 << int(VideoItem::Imported);
    QTest::newRow("Converted") << int(VideoItem::Converted) << NoQuestion << 0 << 0
                               << int(VideoItem::History);
    QTest::newRow("ConvertFailed") << int(VideoItem::ConvertFailed) << NoQuestion << 0 << 1
                                   << int(VideoItem::ConvertFailed);
}

void tst_Card::removeByState()
{
    QFETCH(int, state);
    QFETCH(int, answer);
    QFETCH(int, aborts);
    QFETCH(int, removes);
    QFETCH(int, stateAfter);

    const VideoItemPtr item = importItem(m_clip);
    item->setTargetName(QStringLiteral("my clip"));
    item->setState(VideoItem::State(state));
    m_card->setVideoItem(item);
    showCard();
    QSignalSpy aborted(item.data(), &VideoItem::abortClicked);
    QSignalSpy removed(item.data(), &VideoItem::removeClicked);

    QString question;
    if (answer != NoQuestion) {
        MessageBoxInput::pressButton(answer, [&](KelMessageBox *box) {
            question = box->messageLabel()->text();
        });
    }
    // The mid row's cross, or the top row's while the item waits.
    const char *cross = state == VideoItem::Imported ? "TopCross" : "MidCross";
    clickThrough(part(m_card, cross));
    if (answer != NoQuestion)
        QTRY_VERIFY(!question.isEmpty());
    QTRY_COMPARE(aborted.count() + removed.count() + int(item->state() != state),
                 aborts + removes + int(stateAfter != state));
    QCOMPARE(aborted.count(), aborts);
    QCOMPARE(removed.count(), removes);
    QCOMPARE(int(item->state()), stateAfter);
    if (state == VideoItem::Imported)
        QVERIFY(question.contains(QLatin1String("my clip")));
    // The card keeps its item: only the models remove cards.
    QCOMPARE(m_card->videoItem(), item);
}

void tst_Card::pauseThroughTheItemDoesNotEchoBack()
{
    const VideoItemPtr item = importItem(m_clip);
    item->setState(VideoItem::Converting);
    m_card->setVideoItem(item);
    showCard();
    auto *pause = part<KelButton>(m_card, "MidPause");
    QSignalSpy toggled(pause, &KelButton::toggled);
    QSignalSpy paused(item.data(), &VideoItem::pausedChanged);

    item->setPaused(true);
    QCoreApplication::processEvents();
    QVERIFY(pause->isChecked());
    QCOMPARE(pause->toolTip(), QStringLiteral("Resume"));
    QCOMPARE(toggled.count(), 0);
    QCOMPARE(paused.count(), 1);

    // The user's click does reach the item.
    clickThrough(pause);
    QTRY_VERIFY(!item->isPaused());
    QCOMPARE(pause->toolTip(), QStringLiteral("Pause"));
    QCOMPARE(part(m_card, "MidCross")->toolTip(), QStringLiteral("Stop"));
}

void tst_Card::restartOnlyAfterTheConversionEnded_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("stateAfter");

    QTest::newRow("ConvertFailed") << int(VideoItem::ConvertFailed) << int(VideoItem::Imported);
    QTest::newRow("Converted") << int(VideoItem::Converted) << int(VideoItem::Imported);
    QTest::newRow("Converting") << int(VideoItem::Converting) << int(VideoItem::Converting);
    QTest::newRow("History") << int(VideoItem::History) << int(VideoItem::History);
}

void tst_Card::restartOnlyAfterTheConversionEnded()
{
    QFETCH(int, state);
    QFETCH(int, stateAfter);

    const VideoItemPtr item = importItem(m_clip);
    item->setState(VideoItem::State(state));
    m_card->setVideoItem(item);
    showCard();
    auto *restart = part<KelButton>(m_card, "MidRestart");
    // Hidden in the other states; its handler must still refuse them.
    if (restart->isVisible())
        clickThrough(restart);
    else
        emit restart->clicked();
    QTRY_COMPARE(int(item->state()), stateAfter);
    QCoreApplication::processEvents();
    QCOMPARE(int(item->state()), stateAfter);
}

void tst_Card::namesAndExtras()
{
    const VideoItemPtr item = importItem(m_clip);
    m_card->setVideoItem(item);
    auto *title = part<EditableLabel>(m_card, "Title");
    QCOMPARE(title->text(), QStringLiteral("clip"));

    // An emptied title gives the source's base name back.
    item->setTargetName(QStringLiteral("renamed"));
    QCOMPARE(title->text(), QStringLiteral("renamed"));
    title->setText(QString());
    emit title->editingFinished();
    QCOMPARE(item->targetName(), QStringLiteral("clip"));
    QCOMPARE(title->text(), QStringLiteral("clip"));

    // Text watermark: trimmed and cut to 100 characters.
    auto text = PipObjectPtr::create();
    text->setType(PipObject::TextWatermark);
    text->setText(QStringLiteral("  ") + QString(101, QLatin1Char('w')) + QStringLiteral("\n"));
    item->setWatermark(text);
    QCOMPARE(mainButton(m_card, "BottomWatermark")->text(),
             QString(100, QLatin1Char('w')) + QStringLiteral("..."));
    QCOMPARE(mainButton(m_card, "BottomWatermark")->styleId(), Style::WT_Card_Prop_Set);
    QVERIFY(shown(m_card, extraButton(m_card, "BottomWatermark")));

    // Image watermark: its file name beside its thumbnail.
    auto image = PipObjectPtr::create();
    image->setType(PipObject::ImageWatermark);
    image->setFilePath(m_media.path(QStringLiteral("logo.png")));
    item->setWatermark(image);
    QCOMPARE(mainButton(m_card, "BottomWatermark")->text(), QStringLiteral("logo.png"));
    auto *icon = dynamic_cast<ThumbIcon *>(mainButton(m_card, "BottomWatermark")->icon());
    QVERIFY(icon);
    QCOMPARE(icon->source(), m_media.path(QStringLiteral("logo.png")));
    // A theme re-application keeps the thumbnail.
    mainButton(m_card, "BottomWatermark")->applyStyle();
    QCOMPARE(mainButton(m_card, "BottomWatermark")->icon(), icon);

    // Its reset button clears it.
    showCard();
    clickThrough(extraButton(m_card, "BottomWatermark"));
    QTRY_VERIFY(item->watermark().isNull());
    QCOMPARE(mainButton(m_card, "BottomWatermark")->text(), QStringLiteral("Watermark"));
    QCOMPARE(mainButton(m_card, "BottomWatermark")->styleId(), Style::WT_Card_Prop);
    QVERIFY(!shown(m_card, extraButton(m_card, "BottomWatermark")));

    // Subtitles show their file name.
    auto subtitles = PipObjectPtr::create();
    subtitles->setType(PipObject::Subtitles);
    subtitles->setFilePath(QStringLiteral("/some/folder/talk.srt"));
    item->setSubtitles(subtitles);
    QCOMPARE(mainButton(m_card, "BottomSubtitles")->text(), QStringLiteral("talk.srt"));
    QVERIFY(shown(m_card, extraButton(m_card, "BottomSubtitles")));

    // The trim extra appears once the item is trimmed.
    QVERIFY(!shown(m_card, extraButton(m_card, "BottomTrim")));
    QCOMPARE(mainButton(m_card, "BottomTrim")->text(), QStringLiteral("Trim"));
    item->setTrim(2000000, 6000000);
    QVERIFY(item->isTrimmed());
    QVERIFY(shown(m_card, extraButton(m_card, "BottomTrim")));
    QCOMPARE(mainButton(m_card, "BottomTrim")->text(), QStringLiteral("Trimmed"));
    QCOMPARE(mainButton(m_card, "BottomTrim")->styleId(), Style::WT_Card_Prop_Set);
}

void tst_Card::audioFollowsTheUsersChoice()
{
    const VideoItemPtr item = importItem(m_clip);
    QVERIFY(item->supportAudio());
    m_card->setVideoItem(item);
    showCard();
    KelButton *audio = audioButton(m_card);
    QVERIFY(audio);
    QVERIFY(audio->isChecked());
    QVERIFY(audio->isEnabled());

    clickThrough(audio);
    QTRY_VERIFY(!item->useAudio());
    QVERIFY(!audio->isChecked());

    // A new target format keeps the sound off, on the button as in the item.
    item->targetCodecInfo()->setFormat(QStringLiteral("mkv"));
    QVERIFY(!audio->isChecked());
    QVERIFY(audio->isEnabled());
    QVERIFY(!item->useAudio());

    // An item that loses its sound shows it off and locked.
    item->setSupportAudio(false);
    QVERIFY(!audio->isChecked());
    QVERIFY(!audio->isEnabled());
}

void tst_Card::audioOnlySourceStaysOn()
{
    const VideoItemPtr item = importItem(m_tone);
    QCOMPARE(item->state(), VideoItem::Imported);
    item->targetCodecInfo()->setFormat(QStringLiteral("mp3"));
    m_card->setVideoItem(item);
    KelButton *audio = audioButton(m_card);
    QVERIFY(audio->isChecked());
    QVERIFY(!audio->isEnabled());

    item->targetCodecInfo()->setFormat(QStringLiteral("wav"));
    QVERIFY(audio->isChecked());
    QVERIFY(!audio->isEnabled());
    QVERIFY(item->useAudio());
    // No picture: no watermark or subtitles.
    QVERIFY(!part(m_card, "BottomWatermark")->isEnabled());
    QVERIFY(!part(m_card, "BottomSubtitles")->isEnabled());
}

void tst_Card::unreadableSourceGivesAnImportFailedCard()
{
    const VideoItemPtr item = importItem(m_broken);
    QCOMPARE(item->state(), VideoItem::ImportFailed);
    m_card->setVideoItem(item);
    showCard();
    QCOMPARE(part<KelIconLabel>(m_card, "BottomMessage")->text(), QStringLiteral("Import failed"));
    // A reason given by the import is shown with it.
    const VideoItemPtr refused(new VideoItem(QFileInfo(QStringLiteral("/dev/null"))));
    refused->setFailureReason(QStringLiteral("a device, not a file"));
    refused->setState(VideoItem::ImportFailed);
    m_card->setVideoItem(refused);
    QCOMPARE(part<KelIconLabel>(m_card, "BottomMessage")->text(),
             QStringLiteral("Import failed: a device, not a file"));
    m_card->setVideoItem(item);
    auto *source = part<CardMetainfo>(m_card, "MidSourceInfo");
    QVERIFY(source->isPlaceholder());
    QSignalSpy removed(item.data(), &VideoItem::removeClicked);
    clickThrough(part(m_card, "MidCross"));
    QTRY_COMPARE(removed.count(), 1);
}

void tst_Card::recycledCardIgnoresItsPreviousItem()
{
    const VideoItemPtr first = importItem(m_clip);
    const VideoItemPtr second = importItem(m_clip);
    second->setTargetName(QStringLiteral("second"));

    QStandardItemModel model(2, 1);
    model.setData(model.index(0, 0), QVariant::fromValue(first), Qt::UserRole);
    model.setData(model.index(1, 0), QVariant::fromValue(second), Qt::UserRole);
    m_card->setIndex(model.index(0, 0));
    QCOMPARE(m_card->videoItem(), first);
    m_card->setIndex(model.index(1, 0));
    QCOMPARE(m_card->videoItem(), second);

    first->setState(VideoItem::ConvertFailed);
    first->setTargetName(QStringLiteral("first"));
    first->setProgress(500);
    first->setWatermark(PipObjectPtr::create());
    QCOMPARE(part<EditableLabel>(m_card, "Title")->text(), QStringLiteral("second"));
    QVERIFY(shown(m_card, part(m_card, "MidConvertButtonBox")));
    QVERIFY(!shown(m_card, part(m_card, "BottomMessage")));
    QVERIFY(!shown(m_card, extraButton(m_card, "BottomWatermark")));
    QVERIFY(part(m_card, "MidTargetInfo")->isEnabled());

    m_card->reset();
    QVERIFY(!m_card->videoItem());
    QVERIFY(!m_card->isEnabled());
}

void tst_Card::itemFileOpensOutputOnceConverted_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("output");

    QTest::newRow("Imported") << int(VideoItem::Imported) << false;
    QTest::newRow("ConvertFailed") << int(VideoItem::ConvertFailed) << false;
    QTest::newRow("Converted") << int(VideoItem::Converted) << true;
    QTest::newRow("History") << int(VideoItem::History) << true;
}

void tst_Card::itemFileOpensOutputOnceConverted()
{
    QFETCH(int, state);
    QFETCH(bool, output);

    const VideoItemPtr item = importItem(m_clip);
    const QString target = item->targetFilePath();
    QFile file(target);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    item->setState(VideoItem::State(state));
    m_card->setVideoItem(item);
    showCard();

    LinkCatcher links({QStringLiteral("file")});
    clickThrough(part(m_card, "Thumbnail"));
    QTRY_COMPARE(links.opened.size(), 1);
    const QString expected = output ? target : QFileInfo(m_clip).absoluteFilePath();
    QCOMPARE(links.opened.first().toLocalFile(), expected);
    QVERIFY(file.remove());
}

void tst_Card::cardWithoutItemIsDisabled()
{
    QVERIFY(!m_card->isEnabled());
    showCard();
    LinkCatcher links({QStringLiteral("file")});
    clickThrough(part(m_card, "Thumbnail"));
    QCoreApplication::processEvents();
    QVERIFY(links.opened.isEmpty());
}

void tst_Card::failedCardSaysWhy_data()
{
    QTest::addColumn<int>("reason");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("message");
    QTest::newRow("no format") << int(VideoItem::NoTargetFormat) << QString()
                               << "Convert failed: no output format is chosen";
    QTest::newRow("source gone") << int(VideoItem::SourceMissing) << QString()
                                 << "Convert failed: the source file is gone";
    QTest::newRow("folder") << int(VideoItem::OutputFolderNotWritable) << QString()
                            << "Convert failed: the output folder is not writable";
    QTest::newRow("worker") << int(VideoItem::ConverterFailed) << QString()
                            << "Convert failed: the converter could not convert this file";
    QTest::newRow("worker says why")
            << int(VideoItem::ConverterFailed)
            << "the output file cannot be written: the disk is full"
            << "Convert failed: the output file cannot be written: the disk is full";
    QTest::newRow("worker lost") << int(VideoItem::ConverterLost) << QString()
                                 << "Convert failed: the converter stopped unexpectedly";
    QTest::newRow("unknown") << int(VideoItem::NoFailure) << QString() << "Convert failed";
}

void tst_Card::failedCardSaysWhy()
{
    QFETCH(int, reason);
    QFETCH(QString, detail);
    QFETCH(QString, message);
    const VideoItemPtr item = importItem(m_clip);
    m_card->setVideoItem(item);
    item->setState(VideoItem::Scheduled);
    item->setState(VideoItem::ConvertFailed, VideoItem::FailReason(reason), detail);
    QCOMPARE(part<KelIconLabel>(m_card, "BottomMessage")->text(), message);
    QVERIFY(shown(m_card, part(m_card, "BottomMessage")));

    // A second run that ends well leaves nothing of the reason behind.
    item->setState(VideoItem::Scheduled);
    item->setState(VideoItem::Converted);
    QCOMPARE(part<KelIconLabel>(m_card, "BottomMessage")->text(), QStringLiteral("Completed!"));
    QCOMPARE(part<KelIconLabel>(m_card, "BottomMessage")->toolTip(), QString());
}

void tst_Card::convertNeedsATargetFormat()
{
    const VideoItemPtr item = importItem(m_tone);
    item->targetCodecInfo()->setFormat(QString());
    m_card->setVideoItem(item);
    auto *convert = part<KelButton>(m_card, "MidConvert");
    QVERIFY(!convert->isEnabled());
    QCOMPARE(convert->toolTip(), QStringLiteral("Choose an output format first"));
    // The format cell is empty: there is the choice to make.
    QCOMPARE(m_card->findChild<FormatsCombo *>()->text(), QString());

    item->targetCodecInfo()->setFormat(QStringLiteral("mp3"));
    QVERIFY(convert->isEnabled());
    showCard();
    QSignalSpy convertClicked(item.data(), &VideoItem::convertClicked);
    clickThrough(convert);
    QTRY_COMPARE(convertClicked.count(), 1);
}

void tst_Card::remainingTimeIsNeverZero()
{
    qint64 now = 1000000;
    VideoItem::setClock([&now] { return now; });
    const auto restoreClock = qScopeGuard([] { VideoItem::setClock({}); });
    const VideoItemPtr item = importItem(m_clip);
    m_card->setVideoItem(item);
    KelIconLabel *status = m_card->findChild<ProgressBar *>()->statusLabel();
    auto shows = [status] { return status->text() + status->secondText(); };

    item->setState(VideoItem::Scheduled);
    item->setState(VideoItem::Converting);
    QCOMPARE(shows(), QStringLiteral("Calculating..."));
    now += 200;
    item->setProgress(950);
    // 10 ms are left: shown as a second, not as done.
    QCOMPARE(shows(), QStringLiteral("Remaining:00:00:01"));

    // Restarted, the time of the earlier run does not stay.
    item->setState(VideoItem::Converted);
    item->setState(VideoItem::Imported);
    item->setState(VideoItem::Scheduled);
    item->setState(VideoItem::Converting);
    QCOMPARE(item->progress(), 0);
    QCOMPARE(shows(), QStringLiteral("Calculating..."));
}

void tst_Card::everyButtonOpensItsWindow_data()
{
    // The button by object name, and what it opens: a window's class,
    // "folder" or "rename".
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("opens");
    QTest::newRow("trim") << "BottomTrim/MainButton"
                          << "TrimDialog";
    QTest::newRow("duration cell") << "MidTargetInfo/Duration"
                                   << "TrimDialog";
    QTest::newRow("subtitles") << "BottomSubtitles/MainButton"
                               << "SubtitlesDialog";
    QTest::newRow("watermark") << "BottomWatermark/MainButton"
                               << "WatermarkDialog";
    QTest::newRow("output settings") << "TopSettings"
                                     << "TargetCodecDialog";
    QTest::newRow("output folder") << "TopFolder"
                                   << "folder";
    QTest::newRow("rename") << "Title"
                            << "rename";
}

void tst_Card::everyButtonOpensItsWindow()
{
    QFETCH(QString, button);
    QFETCH(QString, opens);
    const VideoItemPtr item = importItem(m_clip);
    m_card->setVideoItem(item);
    showCard();

    const QStringList path = button.split(QLatin1Char('/'));
    QWidget *target = part(m_card, qPrintable(path.first()));
    QVERIFY(target);
    if (path.value(1) == QLatin1String("Duration"))
        target = static_cast<QGridLayout *>(target->layout())->itemAtPosition(1, 0)->widget();
    else if (path.size() == 2)
        target = target->findChild<QWidget *>(path.at(1));
    QVERIFY(target && target->isVisible() && target->isEnabled());

    if (opens == QLatin1String("folder")) {
        LinkCatcher links({QStringLiteral("file")});
        clickThrough(target);
        QTRY_COMPARE_WITH_TIMEOUT(links.opened.size(), 1, OpenTimeoutMs);
        QCOMPARE(links.opened.first(), QUrl::fromLocalFile(QFileInfo(m_clip).absolutePath()));
    } else if (opens == QLatin1String("rename")) {
        clickThrough(target);
        QTRY_VERIFY(target->hasFocus());
        QTest::keyClick(target->window()->windowHandle(), Qt::Key_X);
        QTest::keyClick(target->window()->windowHandle(), Qt::Key_Return);
        QTRY_COMPARE(item->targetName(), QStringLiteral("clipx"));
    } else {
        WindowCatcher catcher(opens.toLatin1());
        clickThrough(target);
        QTRY_COMPARE_WITH_TIMEOUT(catcher.caught, opens, OpenTimeoutMs);
    }
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    app.initFormats();
    AppServicesFixture services(app);
    // Creates the Ui with its themes.
    kelUi();
    tst_Card test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_card.moc"
