#include "kelapplication.h"
#include "kelui.h"
#include "ui/style.h"
#include "ui/widgets/fontscombo.h"
#include "ui/widgets/platform/fontfamilies.h"
#include "waitbound.h"
#include "widgets/kelexclusivebuttongroup.h"
#include "widgets/kellineedit.h"

#include "messagelog.h"
#include "popupinput.h"
#include "windowinput.h"

#include "../../../kelkit/offscreenleak.h"

#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {

constexpr int PopupStyleId = Style::WT_PopupMenu_List;
constexpr int RowStyleId = KelStyle::WT_PopupMenuButton;
constexpr int FilterStyleId = Style::WT_LineEdit_Search_Underlined;
constexpr int ComboStyleId = KelStyle::WT_ComboBox;

// A family with bold and italic, two plain ones, a symbol font and one whose
// sample is in a script its name is not: eight clusters of a letter with a
// combining accent take sixteen code units.
const QString AccentSample = QString(QStringLiteral("e\u0301")).repeated(10);

QMap<QString, FamilyInfo> fixtureFamilies()
{
    QMap<QString, FamilyInfo> families;
    families.insert(QStringLiteral("Alpha Sans"), {false, QString(), true, true});
    families.insert(QStringLiteral("Alpine"), {false, QString(), false, false});
    families.insert(QStringLiteral("Beta Serif"), {false, QString(), false, false});
    families.insert(QStringLiteral("Glyph Marks"), {true, QString(), false, false});
    families.insert(QStringLiteral("Kana Gothic"), {false, AccentSample, true, false});
    return families;
}

QStringList visibleRows(GlobalFamiliesMenu *menu)
{
    QStringList names;
    const auto rows = menu->rowSwitch()->buttons();
    for (const auto &row : rows) {
        if (row && !row->isHidden())
            names << row->text();
    }
    return names;
}

} // namespace

class tst_FontsCombo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void realDatabaseListsFamilies();
    void setFamilyReportsChanges();
    void wrongUsageOpensNothing_data();
    void wrongUsageOpensNothing();
    void filterShowsMatchingRowsAfterDelay();
    void rowsShowFamilies();
    void slowFillFallsBackToInterfaceFont();
    void choosingSetsOnlyTheOwner();
    void uninstalledFamilySurvivesOpenAndClose();

private:
    void makeMenu();

    std::unique_ptr<QWidget> m_window;
    FontsCombo *m_first = nullptr;
    FontsCombo *m_second = nullptr;
};

void tst_FontsCombo::initTestCase()
{
    Style::registerThemes(kelUi());
}

void tst_FontsCombo::init()
{
    FontFamilies::setReader(&fixtureFamilies);
    GlobalFamiliesMenu::setFillBudget(GlobalFamiliesMenu::DefaultFillBudgetMs);
    m_window = std::make_unique<QWidget>();
    m_window->resize(300, 160);
    auto *layout = new QVBoxLayout(m_window.get());
    m_first = new FontsCombo(ComboStyleId);
    m_second = new FontsCombo(ComboStyleId);
    layout->addWidget(m_first);
    layout->addWidget(m_second);
    layout->addStretch();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get(), WaitBound::ms()));
}

void tst_FontsCombo::cleanup()
{
    delete FontsCombo::sharedMenu();
    m_window.reset();
    FontFamilies::setReader({});
}

void tst_FontsCombo::makeMenu()
{
    FontsCombo::initSharedMenu(m_window.get(), PopupStyleId, RowStyleId, FilterStyleId);
    QVERIFY(FontsCombo::sharedMenu());
}

void tst_FontsCombo::realDatabaseListsFamilies()
{
    FontFamilies::setReader({});
    const QMap<QString, FamilyInfo> families = FontFamilies::read();
    QVERIFY(families.contains(QStringLiteral("DejaVu Sans")));
    QVERIFY(families.value(QStringLiteral("DejaVu Sans")).hasBold);
    QVERIFY(families.value(QStringLiteral("DejaVu Sans")).sampleText.isEmpty());
    // Each family once, by its plain name, whichever foundries ship it.
    for (auto it = families.cbegin(); it != families.cend(); ++it) {
        QVERIFY2(!it.key().trimmed().isEmpty(), "a family without a name");
        QVERIFY2(!it.key().endsWith(QLatin1Char(']')), qPrintable(it.key()));
    }
}

void tst_FontsCombo::setFamilyReportsChanges()
{
    makeMenu();
    QSignalSpy family(m_first, &FontsCombo::familyChanged);
    QSignalSpy bold(m_first, &FontsCombo::hasBoldChanged);
    QSignalSpy italic(m_first, &FontsCombo::hasItalicChanged);

    m_first->setFamily(QStringLiteral("Alpha Sans"));
    QCOMPARE(family.size(), 1);
    QCOMPARE(m_first->text(), QStringLiteral("Alpha Sans"));
    QCOMPARE(bold.size(), 1);
    QCOMPARE(italic.size(), 1);
    QVERIFY(m_first->hasBold() && m_first->hasItalic());

    m_first->setFamily(QStringLiteral("Alpha Sans"));
    QCOMPARE(family.size(), 1);

    // Without bold: one report, and none for a second family without it.
    m_first->setFamily(QStringLiteral("Alpine"));
    m_first->setFamily(QStringLiteral("Beta Serif"));
    QCOMPARE(family.size(), 3);
    QCOMPARE(bold.size(), 2);
    QCOMPARE(bold.last().first().toBool(), false);
    QCOMPARE(italic.size(), 2);

    // An unknown family has no faces to offer.
    m_first->setFamily(QStringLiteral("Kana Gothic"));
    QVERIFY(m_first->hasBold());
    m_first->setFamily(QStringLiteral("Arial"));
    QVERIFY(!m_first->hasBold() && !m_first->hasItalic());
    QCOMPARE(family.last().first().toString(), QStringLiteral("Arial"));
}

void tst_FontsCombo::wrongUsageOpensNothing_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("message");

    QTest::newRow("toggle before init") << "toggle"
                                        << "WRONG USAGE, call FontsCombo::initSharedMenu(...)";
    QTest::newRow("placeholder before init")
            << "placeholder"
            << "WRONG USAGE, call FontsCombo::initSharedMenu(...) before setting placeholder text";
    QTest::newRow("second init") << "init"
                                 << "WRONG USAGE, shared families popup already exists!";
}

void tst_FontsCombo::wrongUsageOpensNothing()
{
    QFETCH(QString, action);
    QFETCH(QString, message);

    QPointer<GlobalFamiliesMenu> first;
    if (action == QLatin1String("init")) {
        makeMenu();
        first = FontsCombo::sharedMenu();
    }
    {
        MessageLog log;
        if (action == QLatin1String("toggle")) {
            WindowInput::click(m_first);
            QTRY_VERIFY(!log.messages(QtCriticalMsg).isEmpty());
            QCoreApplication::processEvents();
            QVERIFY(!m_first->isChecked());
        } else if (action == QLatin1String("placeholder")) {
            FontsCombo::setSharedMenuPlaceholderText(QStringLiteral("Filter"));
        } else {
            FontsCombo::initSharedMenu(m_window.get(), PopupStyleId, RowStyleId, FilterStyleId);
        }
        QCOMPARE(log.messages(QtCriticalMsg), QStringList{message});
    }
    QCOMPARE(FontsCombo::sharedMenu(), first.data());
    const auto menus = QApplication::topLevelWidgets();
    for (QWidget *w : menus)
        QVERIFY(!dynamic_cast<KelPopup *>(w) || !w->isVisible());
}

void tst_FontsCombo::filterShowsMatchingRowsAfterDelay()
{
    makeMenu();
    GlobalFamiliesMenu *menu = FontsCombo::sharedMenu();
    const QStringList all = fixtureFamilies().keys();
    QCOMPARE(visibleRows(menu), all);

    menu->filterField()->setText(QStringLiteral("ALP"));
    // Typing is debounced: nothing changes before the timer fires.
    QCOMPARE(visibleRows(menu), all);
    QTRY_COMPARE(visibleRows(menu), (QStringList{"Alpha Sans", "Alpine"}));

    menu->filterField()->setText(QStringLiteral("x"));
    menu->filterField()->setText(QStringLiteral("SERIF"));
    QTRY_COMPARE(visibleRows(menu), QStringList{"Beta Serif"});

    menu->filterField()->clear();
    QTRY_COMPARE(visibleRows(menu), all);
}

void tst_FontsCombo::rowsShowFamilies()
{
    makeMenu();
    GlobalFamiliesMenu *menu = FontsCombo::sharedMenu();

    KelButton *plain = menu->row(QStringLiteral("Beta Serif"));
    QVERIFY(plain);
    QCOMPARE(plain->font().family(), QStringLiteral("Beta Serif"));
    QVERIFY(plain->secondText().isEmpty());
    QVERIFY(plain->minimumHeight() >= menu->row(QStringLiteral("Alpha Sans"))->minimumHeight());
    QVERIFY(plain->minimumWidth() > 0);

    struct SampleRow
    {
        QString family;
        QString sample;
    };
    const SampleRow samples[] = {
            {QStringLiteral("Glyph Marks"), QStringLiteral("Glyph Ma")},
            {QStringLiteral("Kana Gothic"), AccentSample.left(16)},
    };
    for (const SampleRow &expected : samples) {
        KelButton *row = menu->row(expected.family);
        QVERIFY(row);
        QCOMPARE(row->text(), expected.family);
        QVERIFY(row->font().family() != expected.family);
        QCOMPARE(row->secondText(), expected.sample);
        QCOMPARE(row->secondFont().family(), expected.family);
    }
}

void tst_FontsCombo::slowFillFallsBackToInterfaceFont()
{
    GlobalFamiliesMenu::setFillBudget(0);
    QStringList tooLong;
    QStringList filled;
    {
        MessageLog log;
        // Making the menu at start-up leaves the rows for the first opening.
        makeMenu();
        QVERIFY(log.messages(QtInfoMsg).filter(QStringLiteral("Fonts popup is filled in")).isEmpty());
        WindowInput::click(m_first);
        QTRY_VERIFY(FontsCombo::sharedMenu()->isVisible());
        filled = log.messages(QtInfoMsg).filter(QStringLiteral("Fonts popup is filled in"));
        for (const QString &warning : log.messages(QtWarningMsg)) {
            if (warning.startsWith(QStringLiteral("Fonts popup fill is too long. Elapsed time:")))
                tooLong << warning;
        }
    }
    QCOMPARE(filled.size(), 1);
    QCOMPARE(tooLong.size(), 1);
    QVERIFY2(tooLong.first().endsWith(QStringLiteral("ms, processed: 1 from 5")),
             qPrintable(tooLong.first()));

    GlobalFamiliesMenu *menu = FontsCombo::sharedMenu();
    const QFont interfaceFont = menu->row(QStringLiteral("Glyph Marks"))->font();
    for (const QString &family : fixtureFamilies().keys()) {
        KelButton *row = menu->row(family);
        QCOMPARE(row->minimumSize(), QSize(0, 0));
        QCOMPARE(row->font(), interfaceFont);
    }
}

void tst_FontsCombo::choosingSetsOnlyTheOwner()
{
    makeMenu();
    GlobalFamiliesMenu *menu = FontsCombo::sharedMenu();
    m_first->setFamily(QStringLiteral("Alpha Sans"));
    m_second->setFamily(QStringLiteral("Beta Serif"));
    QSignalSpy firstChanged(m_first, &FontsCombo::familyChanged);

    WindowInput::click(m_second);
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->owner(), m_second);
    QVERIFY(m_second->isChecked());
    QCOMPARE(menu->rowSwitch()->checkedData().toString(), QStringLiteral("Beta Serif"));
    QCOMPARE(menu->centralWidget()->width(),
             m_second->width() - m_second->margins().left() - m_second->margins().right());

    PopupInput::click(PopupInput::centreOf(menu->row(QStringLiteral("Alpine"))));
    QTRY_COMPARE(m_second->family(), QStringLiteral("Alpine"));
    QTRY_VERIFY(!menu->isVisible());
    QVERIFY(!m_second->isChecked());
    QCOMPARE(m_first->family(), QStringLiteral("Alpha Sans"));
    QCOMPARE(firstChanged.size(), 0);
}

void tst_FontsCombo::uninstalledFamilySurvivesOpenAndClose()
{
    makeMenu();
    GlobalFamiliesMenu *menu = FontsCombo::sharedMenu();
    m_first->setFamily(QStringLiteral("Arial"));
    m_second->setFamily(QStringLiteral("Beta Serif"));

    // The other combo leaves its choice checked in the shared rows.
    WindowInput::click(m_second);
    QTRY_VERIFY(menu->isVisible());
    PopupInput::click(PopupInput::centreOf(menu->row(QStringLiteral("Alpine"))));
    QTRY_VERIFY(!menu->isVisible());

    QSignalSpy firstChanged(m_first, &FontsCombo::familyChanged);
    WindowInput::click(m_first);
    QTRY_VERIFY(menu->isVisible());
    QVERIFY2(!menu->rowSwitch()->checkedButton(),
             qPrintable(menu->rowSwitch()->checkedData().toString()));
    // Closed by a click beside the menu, without choosing.
    const QPoint outside = m_window->mapToGlobal(QPoint(m_window->width() - 5, 5));
    PopupInput::click(outside);
    QTRY_VERIFY(!menu->isVisible());
    QVERIFY(!m_first->isChecked());
    QCOMPARE(m_first->family(), QStringLiteral("Arial"));
    QCOMPARE(firstChanged.size(), 0);
    QCOMPARE(m_second->family(), QStringLiteral("Alpine"));
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_FontsCombo test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fontscombo.moc"
