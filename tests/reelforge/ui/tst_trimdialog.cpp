#include "datamodel/codecinfo.h"
#include "kelapplication.h"
#include "kelui.h"
#include "shared/settingsprovider.h"
#include "styles/kelstylemanager.h"
#include "ui/player/playerwidget.h"
#include "ui/player/timeslider.h"
#include "ui/style.h"
#include "ui/trimdialog.h"
#include "ui/widgets/badgedbutton.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kelframe.h"
#include "windows/kelmessagebox.h"

#include "appservicesfixture.h"
#include "fakeaudio.h"
#include "mediafixtures.h"
#include "messageboxinput.h"
#include "windowinput.h"

#include <QLabel>
#include <QtTest>

#include <memory>

namespace {

constexpr qint64 Second = 10000000;
constexpr qint64 Ms = 10000;

QPoint globalCentre(const QWidget *widget)
{
    return widget->mapToGlobal(widget->rect().center());
}

} // namespace

class tst_TrimDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void saveCheck_data();
    void saveCheck();
    void saveCheckFollowsTheRightHandleAlone();
    void saveStoresTheTrim_data();
    void saveStoresTheTrim();
    void closingWithoutSaveKeepsTheTrim_data();
    void closingWithoutSaveKeepsTheTrim();
    void audioOnlySource();

private:
    VideoItemPtr clipItem(const QString &path) const;
    std::unique_ptr<TrimDialog> shownDialog(const VideoItemPtr &item, bool audioOnly = false) const;

    MediaFixtures m_fixtures;
    QString m_clip;
    QString m_song;
};

void tst_TrimDialog::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    FakeAudioDevices::install();
    Style::registerThemes(kelUi());
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(QStringLiteral("LightStyle")));
    MediaFixtures::Clip clip;
    clip.frames = 75; // 3 s
    clip.audioChannels = 2;
    m_clip = m_fixtures.make(QStringLiteral("clip.mp4"), clip);
    QVERIFY(!m_clip.isEmpty());
    clip.video = false;
    m_song = m_fixtures.make(QStringLiteral("song.m4a"), clip);
    QVERIFY(!m_song.isEmpty());
}

void tst_TrimDialog::cleanupTestCase()
{
    FakeAudioDevices::uninstall();
}

VideoItemPtr tst_TrimDialog::clipItem(const QString &path) const
{
    auto item = VideoItemPtr::create(QFileInfo(path));
    item->setDuration(3 * Second);
    if (path == m_clip) {
        item->sourceCodecInfo()->setResolution(QSize(320, 240));
        item->targetCodecInfo()->setResolution(QSize(320, 240));
    }
    item->sourceCodecInfo()->setChannelCount(2);
    item->sourceCodecInfo()->setSamplerate(44100);
    return item;
}

std::unique_ptr<TrimDialog> tst_TrimDialog::shownDialog(const VideoItemPtr &item,
                                                        bool audioOnly) const
{
    auto dialog = std::make_unique<TrimDialog>(item, nullptr, audioOnly);
    dialog->show();
    if (!QTest::qWaitForWindowExposed(dialog.get(), WaitBound::ms()))
        return nullptr;
    return dialog;
}

void tst_TrimDialog::saveCheck_data()
{
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("end");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("1 s from 0.01 s") << 10 * Ms << 1010 * Ms << true;
    QTest::newRow("0.999 s from 0.01 s") << 10 * Ms << 1009 * Ms << false;
    QTest::newRow("nothing cut") << qint64(0) << 3 * Second << false;
    QTest::newRow("5 ms cut") << 5 * Ms << 3 * Second << false;
    QTest::newRow("6 ms cut") << 6 * Ms << 3 * Second << true;
    QTest::newRow("6 ms cut at the end") << qint64(0) << 3 * Second - 6 * Ms << true;
}

void tst_TrimDialog::saveCheck()
{
    QFETCH(qint64, start);
    QFETCH(qint64, end);
    QFETCH(bool, enabled);
    VideoItemPtr item = clipItem(m_clip);
    // Opened on the opposite state, so that the check must change it.
    if (enabled)
        item->setTrim(0, 3 * Second);
    else
        item->setTrim(Second, 2 * Second);
    auto dialog = shownDialog(item);
    QVERIFY(dialog);
    QCOMPARE(dialog->acceptButton()->isEnabled(), !enabled);

    dialog->player()->setTrimRange(start, end);
    QCOMPARE(dialog->player()->trimRange(), qMakePair(start, end));
    QCOMPARE(dialog->acceptButton()->isEnabled(), enabled);
}

void tst_TrimDialog::saveCheckFollowsTheRightHandleAlone()
{
    auto dialog = shownDialog(clipItem(m_clip));
    QVERIFY(dialog);
    TimeSlider *slider = dialog->player();
    QVERIFY(!dialog->acceptButton()->isEnabled());

    // The right handle dragged a third of the groove to the left.
    KelButton *right = slider->rightTrimHandle();
    const QPoint from = globalCentre(right);
    const QPoint to = from - QPoint(slider->width() / 3, 0);
    WindowInput::press(dialog.get(), from);
    WindowInput::move(dialog.get(), (from + to) / 2);
    WindowInput::move(dialog.get(), to);
    WindowInput::release(dialog.get(), to);

    QVERIFY(slider->trimRange().second < 3 * Second);
    QVERIFY(dialog->acceptButton()->isEnabled());
}

void tst_TrimDialog::saveStoresTheTrim_data()
{
    // Once the item's task went to the worker, a trim could no longer reach
    // the file: Save is refused with a message.
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("stored");
    QTest::newRow("Imported") << int(VideoItem::Imported) << true;
    QTest::newRow("ConvertFailed") << int(VideoItem::ConvertFailed) << true;
    QTest::newRow("Scheduled") << int(VideoItem::Scheduled) << false;
    QTest::newRow("Converting") << int(VideoItem::Converting) << false;
    QTest::newRow("Converted") << int(VideoItem::Converted) << false;
}

void tst_TrimDialog::saveStoresTheTrim()
{
    QFETCH(int, state);
    QFETCH(bool, stored);
    VideoItemPtr item = clipItem(m_clip);
    item->setState(VideoItem::Imported);
    auto dialog = shownDialog(item);
    QVERIFY(dialog);
    QSignalSpy trims(item.data(), &VideoItem::trimChanged);
    dialog->player()->setTrimRange(Second / 2, 5 * Second / 2);
    // The state changes while the editor is open.
    item->setState(VideoItem::State(state));

    QString message;
    if (!stored)
        MessageBoxInput::pressButton(1, [&](KelMessageBox *box) {
            message = box->messageLabel()->text();
        });
    WindowInput::click(dialog->acceptButton());
    if (stored) {
        QTRY_VERIFY(!dialog->isVisible());
        QCOMPARE(item->trim(), qMakePair(5000000LL, 25000000LL));
        QCOMPARE(trims.count(), 1);
        return;
    }
    QTRY_VERIFY(!message.isEmpty());
    QTRY_VERIFY(!qobject_cast<KelMessageBox *>(QApplication::activeModalWidget()));
    QVERIFY(message.contains(QLatin1String("can no longer be saved")));
    QVERIFY(dialog->isVisible());
    QCOMPARE(trims.count(), 0);
}

void tst_TrimDialog::closingWithoutSaveKeepsTheTrim_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("cancel") << QStringLiteral("cancel");
    QTest::newRow("escape") << QStringLiteral("escape");
    QTest::newRow("close box") << QStringLiteral("close");
}

void tst_TrimDialog::closingWithoutSaveKeepsTheTrim()
{
    QFETCH(QString, way);
    VideoItemPtr item = clipItem(m_clip);
    item->setTrim(Second, 2 * Second);
    auto dialog = shownDialog(item);
    QVERIFY(dialog);
    dialog->player()->setTrimRange(Second / 2, 5 * Second / 2);
    QVERIFY(dialog->acceptButton()->isEnabled());

    if (way == QLatin1String("cancel")) {
        WindowInput::click(dialog->rejectButton());
    } else if (way == QLatin1String("escape")) {
        QTest::keyClick(dialog->windowHandle(), Qt::Key_Escape);
    } else {
        auto *close = dialog->findChild<KelButton *>(QStringLiteral("KelCloseButton"));
        QVERIFY(close);
        WindowInput::click(close);
    }
    QTRY_VERIFY(!dialog->isVisible());
    QCOMPARE(item->trim(), qMakePair(Second, 2 * Second));
}

void tst_TrimDialog::audioOnlySource()
{
    SettingsProvider *settings = SettingsProvider::instance();
    settings->remove(QStringLiteral("TrimDialog_Geometry"));
    VideoItemPtr item = clipItem(m_song);
    QVERIFY(item->targetCodecInfo()->resolution().isEmpty());
    {
        auto dialog = shownDialog(item, true);
        QVERIFY(dialog);
        QVERIFY(dialog->objectName().isEmpty());
        auto *view = dialog->findChild<PlayerWidget *>();
        QVERIFY(view);
        QVERIFY(view->isHidden());
        QVERIFY(dialog->contentWidget()->width() >= 960);
        dialog->player()->setTrimRange(Second / 2, 5 * Second / 2);
        WindowInput::click(dialog->acceptButton());
        QTRY_VERIFY(!dialog->isVisible());
        QCOMPARE(item->trim(), qMakePair(5000000LL, 25000000LL));
    }
    settings->sync();
    const QStringList geometryKeys = settings->allKeys().filter(QStringLiteral("_Geometry"),
                                                                Qt::CaseInsensitive);
    QVERIFY2(geometryKeys.isEmpty(), qPrintable(geometryKeys.join(QLatin1Char(' '))));

    // A source with a picture keeps its window's geometry.
    shownDialog(clipItem(m_clip)).reset();
    QVERIFY(settings->contains(QStringLiteral("TrimDialog_Geometry")));
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    AppServicesFixture services(app);
    tst_TrimDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_trimdialog.moc"
