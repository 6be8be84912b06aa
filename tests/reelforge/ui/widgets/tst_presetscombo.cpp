#include "datamodel/presetsrepo.h"
#include "kelapplication.h"
#include "kelui.h"
#include "manualanimationdriver.h"
#include "popupinput.h"
#include "ui/style.h"
#include "ui/widgets/itembutton.h"
#include "ui/widgets/presetspopup.h"
#include "ui/widgets/scrollarea.h"
#include "waitbound.h"
#include "widgets/kelexclusivebuttongroup.h"
#include "widgets/kellineedit.h"
#include "windows/kelwindow.h"
#include "windows/kelwindowblockedoverlay.h"

#include "../../../kelkit/offscreenleak.h"

#include <QSignalSpy>
#include <QtTest>

using PresetsPopup = PresetsCombo::PresetsPopup;

namespace {

QStringList rowTexts(const ScrollArea *list)
{
    QStringList texts;
    for (const ItemButton *row : list->items())
        texts << row->text();
    return texts;
}

QStringList subgroupTitles(const QList<PresetsRepo::SubgroupPresets> &found)
{
    QStringList titles;
    for (const PresetsRepo::SubgroupPresets &subgroup : found)
        titles << PresetsPopup::groupTitle(subgroup.first);
    return titles;
}

QStringList presetNames(const PresetInfoPointersVector &presets)
{
    QStringList names;
    for (PresetInfoPointer preset : presets)
        names << preset->name;
    return names;
}

// The subgroup whose presets the right list shows.
QString shownSubgroup(const PresetsPopup *popup)
{
    const QList<ItemButton *> rows = popup->rightList()->items();
    if (rows.isEmpty())
        return QString();
    const QVariant data = popup->rightList()->group()->buttonData(rows.first());
    return data.value<PresetInfoPointer>()->subgroup;
}

ItemButton *rowNamed(const ScrollArea *list, const QString &text)
{
    for (ItemButton *row : list->items()) {
        if (row->text() == text)
            return row;
    }
    return nullptr;
}

// The chooser near the bottom of a shown window, with room above it for
// the popup.
struct ChooserWindow
{
    explicit ChooserWindow(PresetsRepo *repo) : window(KelWindow::Movable)
    {
        window.setGeometry(40, 480, 520, 110);
        chooser = new PresetsCombo(window.centralWidget(), repo);
        chooser->setGeometry(20, 30, 400, 56);
        window.show();
    }
    KelWindow window;
    PresetsCombo *chooser = nullptr;
};

} // namespace

class tst_PresetsCombo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void startsOnVideo();
    void searchRefillsAtEveryKeystroke();
    void searchWithoutMatchesChoosesNothing();
    void choosingAPreset_data();
    void choosingAPreset();
    void opensAboveTheChooser();

private:
    PresetsRepo m_repo;
};

void tst_PresetsCombo::initTestCase()
{
    Style::registerThemes(kelUi());
}

void tst_PresetsCombo::cleanup()
{
    KelPopup::closeActivePopups();
    QTRY_COMPARE(QGuiApplication::mouseButtons(), Qt::NoButton);
}

void tst_PresetsCombo::startsOnVideo()
{
    PresetsCombo chooser(nullptr, &m_repo);
    PresetsPopup *popup = chooser.popup();
    QCOMPARE(popup->objectName(), QStringLiteral("PresetsPopup"));
    QCOMPARE(popup->size(), QSize(800, 420));
    QCOMPARE(popup->groupSwitch()->checkedData().toString(), QStringLiteral("Video"));
    QCOMPARE(popup->groupSwitch()->buttons().size(), m_repo.groups().size());
    QCOMPARE(popup->searchField()->placeholderText(), QStringLiteral("Search"));

    const auto video = m_repo.presets(QStringLiteral("Video"), QString());
    QCOMPARE(rowTexts(popup->leftList()), subgroupTitles(video));
    QCOMPARE(popup->leftList()->group()->checkedButton(), popup->leftList()->items().first());
    QCOMPARE(rowTexts(popup->rightList()), presetNames(video.first().second));
    QVERIFY(!popup->rightList()->group()->checkedButton());

    QCOMPARE(chooser.text(), QString());
    QCOMPARE(chooser.secondText(), QStringLiteral("MP4 Video Full HD"));
    QVERIFY(chooser.isCheckable());
    QVERIFY(!chooser.isChecked());
}

void tst_PresetsCombo::searchRefillsAtEveryKeystroke()
{
    PresetsCombo chooser(nullptr, &m_repo);
    PresetsPopup *popup = chooser.popup();
    // Pick another subgroup first: a search starts at the first match again.
    popup->leftList()->items().at(2)->setCheckedState(true);

    const QString typed = QStringLiteral("hd 72");
    for (int i = 1; i <= typed.size(); ++i) {
        QTest::keyClick(popup->searchField(), typed.at(i - 1).toLatin1());
        const QString search = typed.left(i);
        QCOMPARE(popup->searchField()->text(), search);
        const auto found = m_repo.presets(QStringLiteral("Video"), search);
        QVERIFY2(!found.isEmpty(), qPrintable(search));
        QCOMPARE(rowTexts(popup->leftList()), subgroupTitles(found));
        QVERIFY(popup->leftList()->items().first()->isChecked());
        QCOMPARE(rowTexts(popup->rightList()), presetNames(found.first().second));
    }

    // Another group keeps the search.
    popup->groupSwitch()->setCheckedData(QStringLiteral("Devices"));
    QTRY_COMPARE(rowTexts(popup->leftList()),
                 subgroupTitles(m_repo.presets(QStringLiteral("Devices"), typed)));
}

void tst_PresetsCombo::searchWithoutMatchesChoosesNothing()
{
    PresetsCombo chooser(nullptr, &m_repo);
    PresetsPopup *popup = chooser.popup();
    QSignalSpy clicked(&chooser, &PresetsCombo::presetClicked);
    const QStringList recent = m_repo.recentPresets();

    popup->searchField()->setText(QStringLiteral("no such preset"));
    QVERIFY(popup->leftList()->items().isEmpty());
    QVERIFY(popup->rightList()->items().isEmpty());

    emit popup->rightList()->buttonClicked();
    QCOMPARE(clicked.size(), 0);
    QCOMPARE(m_repo.recentPresets(), recent);
    QCOMPARE(chooser.secondText(), QStringLiteral("MP4 Video Full HD"));

    // Clearing the search brings the lists back.
    popup->searchField()->clear();
    QVERIFY(!popup->rightList()->items().isEmpty());
}

void tst_PresetsCombo::choosingAPreset_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("subgroup");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("secondText");

    QTest::newRow("video with a size") << "Video"
                                       << "MP4"
                                       << "HD 1080P"
                                       << "MP4, 1920x1080";
    QTest::newRow("video as the source") << "Video"
                                         << "MKV"
                                         << "Same as source"
                                         << "MKV, auto";
    QTest::newRow("audio with a rate") << "Audio"
                                       << "MP3"
                                       << "High Quality"
                                       << "MP3, 320 kbit/s";
    QTest::newRow("audio rate 0 with a bitrate") << "Audio"
                                                 << "MP3"
                                                 << "Same as source"
                                                 << "MP3, auto";
    QTest::newRow("audio without a bitrate") << "Audio"
                                             << "WAV"
                                             << "High Quality"
                                             << "WAV, auto";
}

void tst_PresetsCombo::choosingAPreset()
{
    QFETCH(QString, group);
    QFETCH(QString, subgroup);
    QFETCH(QString, name);
    QFETCH(QString, secondText);

    ChooserWindow shown(&m_repo);
    QVERIFY(QTest::qWaitForWindowExposed(&shown.window, WaitBound::ms()));
    PresetsCombo *chooser = shown.chooser;
    PresetsPopup *popup = chooser->popup();
    QSignalSpy clicked(chooser, &PresetsCombo::presetClicked);

    PopupInput::click(PopupInput::centreOf(chooser));
    QTRY_VERIFY(popup->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(popup, WaitBound::ms()));
    QVERIFY(chooser->isChecked());
    QTRY_VERIFY(popup->overlay() && popup->overlay()->isVisible());

    PopupInput::click(PopupInput::centreOf(popup->groupSwitch()->buttonByData(group)));
    QTRY_COMPARE(popup->groupSwitch()->checkedData().toString(), group);
    QTRY_VERIFY(rowNamed(popup->leftList(), PresetsPopup::groupTitle(subgroup)));
    ItemButton *left = rowNamed(popup->leftList(), PresetsPopup::groupTitle(subgroup));
    PopupInput::click(PopupInput::centreOf(left));
    QTRY_COMPARE(shownSubgroup(popup), subgroup);
    ItemButton *row = rowNamed(popup->rightList(), name);
    QCOMPARE(row->infoText(), secondText.mid(secondText.indexOf(' ') + 1));

    PopupInput::click(PopupInput::centreOf(row));
    QTRY_COMPARE(clicked.size(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(clicked.size(), 1);
    const auto preset = clicked.at(0).at(0).value<PresetInfoPointer>();
    QVERIFY(preset);
    QCOMPARE(preset->name, name);
    QCOMPARE(preset->subgroup, subgroup);
    QCOMPARE(chooser->text(), name);
    QCOMPARE(chooser->secondText(), secondText);
    QVERIFY(!popup->isVisible());
    QVERIFY(!chooser->isChecked());
    QTRY_VERIFY(!popup->overlay()->isVisible());
    QCOMPARE(m_repo.recentPresets().value(0), PresetsRepo::presetKey(preset));

    // A retranslation keeps the chosen preset on the chooser.
    popup->translateUi();
    QCOMPARE(chooser->text(), name);
    QCOMPARE(chooser->secondText(), secondText);
}

void tst_PresetsCombo::opensAboveTheChooser()
{
    ManualAnimationDriver driver;
    ChooserWindow shown(&m_repo);
    driver.advance(1000);
    QVERIFY(QTest::qWaitForWindowExposed(&shown.window, WaitBound::ms()));
    PresetsCombo *chooser = shown.chooser;
    PresetsPopup *popup = chooser->popup();
    const QPoint target = chooser->mapToGlobal(QPoint(-8, -436));
    QCOMPARE(popup->targetGeometry(), QRect(target, QSize(800, 420)));

    PopupInput::press(PopupInput::centreOf(chooser));
    PopupInput::release(PopupInput::centreOf(chooser));
    QTRY_VERIFY(popup->isVisible());
    // It starts 16 pixels low and slides up into place.
    QCOMPARE(popup->pos(), target + QPoint(0, 16));
    driver.advanceInSteps(1000);
    QCOMPARE(popup->pos(), target);
    QCOMPARE(popup->size(), QSize(800, 420));

    // The overlay darkens the window down to the popup's lower edge.
    KelWindowBlockedOverlay *overlay = popup->overlay();
    QVERIFY(overlay && overlay->isVisible());
    QCOMPARE(overlay->parentWidget(), &shown.window);
    const int edge = shown.window.mapFromGlobal(target).y() + 420;
    QCOMPARE(overlay->margins(), QMargins(0, 0, 0, shown.window.height() - edge));

    // A press on the chooser closes the popup and does not reopen it.
    PopupInput::press(PopupInput::centreOf(chooser));
    PopupInput::release(PopupInput::centreOf(chooser));
    QTRY_VERIFY(!popup->isVisible());
    driver.advanceInSteps(1000);
    QCoreApplication::processEvents();
    QVERIFY(!popup->isVisible());
    QVERIFY(!chooser->isChecked());

    // The close button does the same.
    PopupInput::click(PopupInput::centreOf(chooser));
    QTRY_VERIFY(popup->isVisible());
    driver.advanceInSteps(1000);
    PopupInput::click(PopupInput::centreOf(popup->closeButton()));
    QTRY_VERIFY(!popup->isVisible());
    QVERIFY(!chooser->isChecked());
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_PresetsCombo test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_presetscombo.moc"
