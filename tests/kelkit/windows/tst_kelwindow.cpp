#include "kelapplication.h"
#include "kelsettings.h"
#include "kelui.h"
#include "waitbound.h"
#include "windows/kelwindow.h"
#include "windows/kelwindowframe.h"
#include "windows/platform/compositingmanager.h"

#include "../offscreenleak.h"
#include "manualanimationdriver.h"
#include "paintprobe.h"

#include <QCursor>
#include <QKeySequence>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

// Records whether the window took each key press or passed it on.
class KeyWindow : public KelWindow
{
public:
    using KelWindow::KelWindow;
    bool lastAccepted = false;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        KelWindow::keyPressEvent(event);
        lastAccepted = event->isAccepted();
    }
};

// Types a sequence of space-separated key presses into the window:
// "ca:k" is k with exactly Ctrl+Alt (its text as written), "c:k" with Ctrl
// only, "ca:F1" a key without text, and "mods" Ctrl and Alt pressed again
// on their own, as typing the word as chords does.
void type(QWindow *window, const QString &keys)
{
    const QStringList tokens = keys.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &token : tokens) {
        if (token == QLatin1String("mods")) {
            QTest::sendKeyEvent(QTest::Press, window, Qt::Key_Control, QString(), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Press, window, Qt::Key_Alt, QString(), Qt::ControlModifier);
            continue;
        }
        const QString prefix = token.section(QLatin1Char(':'), 0, 0);
        const QString name = token.section(QLatin1Char(':'), 1);
        Qt::KeyboardModifiers modifiers = Qt::ControlModifier;
        if (prefix.contains(QLatin1Char('a')))
            modifiers |= Qt::AltModifier;
        if (prefix.contains(QLatin1Char('s')))
            modifiers |= Qt::ShiftModifier;
        const int key = QKeySequence(name.toUpper())[0];
        const QString text = name.size() == 1 ? name : QString();
        QTest::sendKeyEvent(QTest::Click, window, Qt::Key(key), text, modifiers);
    }
}

const KelWindow::WindowParams Framed = KelWindow::Movable | KelWindow::Resizable
        | KelWindow::WindowButtons | KelWindow::MaximizeButton;

QRect availableArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

} // namespace

class tst_KelWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void reopensWhereTheLastWasSaved();
    void offScreenGeometryIsClearedWithItsKey();
    void windowWithoutNameKeepsNoGeometry();
    void neverShownWindowSavesNoGeometry();
    void firstShowIsCentredOnParentBeforeItMaps_data();
    void firstShowIsCentredOnParentBeforeItMaps();
    void childIsMadeOnItsParentsScreen();
    void placeBesideRect_data();
    void placeBesideRect();
    void placeBesideRectEveryPair_data();
    void placeBesideRectEveryPair();
    void hairlineWithoutCompositor_data();
    void hairlineWithoutCompositor();
    void roundedOutline_data();
    void roundedOutline();
    void showWithStrategy_data();
    void showWithStrategy();
    void showAnimatedFadesInAndFadeOutHides();
    void maintenanceKeystroke_data();
    void maintenanceKeystroke();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<KelSettings> m_settings;
};

void tst_KelWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_settings = std::make_unique<KelSettings>(m_dir->filePath(QStringLiteral("kel.ini")),
                                               QSettings::IniFormat);
    static_cast<KelApplication *>(QCoreApplication::instance())->setSettings(m_settings.get());
}

void tst_KelWindow::cleanup()
{
    m_settings.reset();
    m_dir.reset();
    KelPlatform::setCompositingManagerOverride(-1);
}

void tst_KelWindow::reopensWhereTheLastWasSaved()
{
    const QRect saved(120, 90, 330, 240);
    {
        KelWindow window(Framed, nullptr, KelWindow::Default, false, QStringLiteral("Tools"));
        QVERIFY(!window.hasSavedGeometry());
        window.setGeometry(saved);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
        window.saveWindowGeometry();
    }
    QVERIFY(m_settings->contains(QStringLiteral("Tools_Geometry")));

    // Restored as it is made, before it is shown.
    KelWindow window(Framed, nullptr, KelWindow::Default, false, QStringLiteral("Tools"));
    QCOMPARE(window.geometry(), saved);
    window.restoreSavedGeometry();
    window.showWithStrategy(KelWindow::NoChange);
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    QCOMPARE(window.geometry(), saved);
}

void tst_KelWindow::offScreenGeometryIsClearedWithItsKey()
{
    {
        QWidget lost(nullptr, Qt::Window | Qt::FramelessWindowHint);
        lost.setGeometry(availableArea().right() + 2000, 100, 300, 200);
        m_settings->setValue(QStringLiteral("Lost_Geometry"), lost.saveGeometry());
    }
    QTest::ignoreMessage(QtWarningMsg, "  Restored geometry is out of screen!");
    QTest::ignoreMessage(QtWarningMsg, "Clear saved geometry");

    KelWindow window(Framed, nullptr, KelWindow::Default, false, QStringLiteral("Lost"));

    QVERIFY(!m_settings->contains(QStringLiteral("Lost_Geometry")));
    QVERIFY(!window.hasSavedGeometry());
    window.centralWidget()->setMinimumSize(200, 120);
    window.restoreSavedGeometry();
    QCOMPARE(window.geometry().center(), availableArea().center());
}

void tst_KelWindow::windowWithoutNameKeepsNoGeometry()
{
    KelWindow window(Framed);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    window.saveWindowGeometry();
    QVERIFY(!window.hasSavedGeometry());
    QVERIFY(window.savedGeometry().isEmpty());
    QCOMPARE(m_settings->allKeys(), QStringList());
}

void tst_KelWindow::neverShownWindowSavesNoGeometry()
{
    {
        KelWindow window(Framed, nullptr, KelWindow::Default, false, QStringLiteral("Editor"));
        window.setGeometry(0, 0, 300, 200);
        window.saveWindowGeometry();
    }
    QVERIFY(!m_settings->contains(QStringLiteral("Editor_Geometry")));
}

void tst_KelWindow::firstShowIsCentredOnParentBeforeItMaps_data()
{
    QTest::addColumn<int>("params");
    QTest::newRow("resizable") << int(Framed);
    QTest::newRow("fixed size") << int(KelWindow::Movable | KelWindow::WindowButtons);
}

// The window manager may keep the place a window is mapped at, so the window
// is already centred, on the size its layout settles on, when it shows.
void tst_KelWindow::firstShowIsCentredOnParentBeforeItMaps()
{
    QFETCH(int, params);
    KelWindow parent(Framed);
    parent.setGeometry(40, 30, 700, 520);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    auto *dialog = new KelWindow(KelWindow::WindowParams(params), &parent, KelWindow::Default,
                                 false, QStringLiteral("Fresh"));
    QVERIFY(!dialog->hasSavedGeometry());
    auto *column = new QVBoxLayout(dialog->centralWidget());
    auto *content = new QWidget(dialog->centralWidget());
    content->setMinimumSize(420, 310);
    column->addWidget(content);

    QRect atShow;
    struct ShowFilter : QObject
    {
        QRect *seen = nullptr;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Show)
                *seen = static_cast<QWidget *>(watched)->geometry();
            return false;
        }
    } filter;
    filter.seen = &atShow;
    dialog->installEventFilter(&filter);

    dialog->showWithStrategy(KelWindow::CenteredOnParent);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));

    const QRect shown = dialog->geometry();
    QCOMPARE(atShow, shown);
    QVERIFY(shown.width() >= 420 && shown.height() >= 310);
    const QPoint off = shown.center() - parent.geometry().center();
    QVERIFY2(off.manhattanLength() <= 2,
             qPrintable(QStringLiteral("%1 px off centre").arg(off.manhattanLength())));
}

void tst_KelWindow::childIsMadeOnItsParentsScreen()
{
    KelWindow parent(Framed);
    parent.setGeometry(200, 150, 400, 300);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent, WaitBound::ms()));

    auto *child = new KelWindow(Framed, &parent);
    QCOMPARE(child->pos(), parent.screen()->geometry().topLeft());
    child->resize(200, 100);
    child->showWithStrategy(KelWindow::CenteredOnParent);
    QVERIFY(QTest::qWaitForWindowExposed(child, WaitBound::ms()));
    QCOMPARE(child->geometry().center(), parent.geometry().center());
}

void tst_KelWindow::placeBesideRect_data()
{
    QTest::addColumn<QRect>("anchor");
    QTest::addColumn<int>("edge");
    QTest::addColumn<int>("expectedEdge");
    QTest::addColumn<int>("placedEdge");

    const QRect area = availableArea();
    const QRect middle(area.center() - QPoint(40, 10), QSize(80, 20));
    QTest::newRow("room below") << middle << int(Qt::BottomEdge) << int(Qt::BottomEdge)
                                << int(Qt::BottomEdge);
    QTest::newRow("room above") << middle << int(Qt::TopEdge) << int(Qt::TopEdge)
                                << int(Qt::TopEdge);
    QTest::newRow("at the screen's bottom: flips up")
            << QRect(area.left() + 100, area.bottom() - 20, 80, 20) << int(Qt::BottomEdge)
            << int(Qt::TopEdge) << int(Qt::TopEdge);
    QTest::newRow("at the screen's right: flips left")
            << QRect(area.right() - 20, area.top() + 100, 20, 20) << int(Qt::RightEdge)
            << int(Qt::LeftEdge) << int(Qt::LeftEdge);
    // Neither side has room: the first place is kept and the opposite edge
    // reported.
    QTest::newRow("no room either way")
            << QRect(area.left() + 100, area.top() + 10, 80, area.height() - 20)
            << int(Qt::BottomEdge) << int(Qt::TopEdge) << 0;
}

void tst_KelWindow::placeBesideRect()
{
    QFETCH(QRect, anchor);
    QFETCH(int, edge);
    QFETCH(int, expectedEdge);
    QFETCH(int, placedEdge);
    KelWindow popup{KelWindow::WindowParams()};
    popup.centralWidget()->setFixedSize(120, 90);

    // Aligned along the edge.
    const int alignment = edge == Qt::LeftEdge || edge == Qt::RightEdge ? Qt::AlignTop
                                                                        : Qt::AlignLeft;
    const int result = popup.placeBesideRect(anchor, edge, alignment, false);

    QCOMPARE(result, expectedEdge);
    QCOMPARE(popup.windowFrame()->anchorPlacement().first, placedEdge);
    QVERIFY(popup.isVisible());
    const QRect placed = popup.geometry();
    QCOMPARE(placed.size(), QSize(120, 90));
    QVERIFY(availableArea().contains(placed));
    switch (placedEdge) {
    case Qt::TopEdge:
        QVERIFY(placed.bottom() < anchor.top());
        break;
    case Qt::BottomEdge:
        QVERIFY(placed.top() > anchor.bottom());
        break;
    case Qt::LeftEdge:
        QVERIFY(placed.right() < anchor.left());
        break;
    default:
        break;
    }
    popup.hide();
    QCOMPARE(popup.windowFrame()->anchorPlacement(), qMakePair(0, 0));
}

void tst_KelWindow::placeBesideRectEveryPair_data()
{
    QTest::addColumn<QRect>("anchor");
    QTest::addColumn<int>("edge");
    QTest::addColumn<int>("alignment");

    // A footer button's size, near each border of the screen and in its middle.
    const QRect area = availableArea();
    const QSize button(40, 30);
    const QVector<QPair<const char *, QPoint>> places{
            {"middle", area.center()},
            {"top", QPoint(area.center().x(), area.top() + 2)},
            {"bottom", QPoint(area.center().x(), area.bottom() - 2 - button.height())},
            {"left", QPoint(area.left() + 2, area.center().y())},
            {"right", QPoint(area.right() - 2 - button.width(), area.center().y())},
            {"top-left", area.topLeft() + QPoint(2, 2)},
            {"bottom-right", area.bottomRight() - QPoint(2 + button.width(), 2 + button.height())},
    };
    const QVector<QPair<const char *, int>> edges{{"top", Qt::TopEdge},
                                                  {"left", Qt::LeftEdge},
                                                  {"right", Qt::RightEdge},
                                                  {"bottom", Qt::BottomEdge}};
    const QVector<QPair<const char *, int>> alignments{{"left", Qt::AlignLeft},
                                                       {"right", Qt::AlignRight},
                                                       {"hcenter", Qt::AlignHCenter},
                                                       {"top", Qt::AlignTop},
                                                       {"bottom", Qt::AlignBottom},
                                                       {"vcenter", Qt::AlignVCenter},
                                                       {"justify", Qt::AlignJustify}};
    for (const auto &place : places) {
        for (const auto &edge : edges) {
            for (const auto &alignment : alignments) {
                QTest::addRow("%s anchor, %s edge, %s", place.first, edge.first, alignment.first)
                        << QRect(place.second, button) << edge.second << alignment.second;
            }
        }
    }
}

// Every edge takes every alignment, also one across its axis (the footer's
// timer button asks for the right edge, aligned left): the popup lands next
// to the anchor at the gap, overlapping it along the edge, on screen.
void tst_KelWindow::placeBesideRectEveryPair()
{
    QFETCH(QRect, anchor);
    QFETCH(int, edge);
    QFETCH(int, alignment);
    const int gap = 16;
    KelWindow popup{KelWindow::WindowParams()};
    popup.centralWidget()->setFixedSize(120, 90);

    const int result = popup.placeBesideRect(anchor, edge, alignment, false, QPoint(gap, 0));

    const QRect placed = popup.geometry();
    QVERIFY2(availableArea().contains(placed),
             qPrintable(QStringLiteral("placed at %1,%2").arg(placed.x()).arg(placed.y())));
    QVERIFY(!placed.intersects(anchor));
    const int taken = popup.windowFrame()->anchorPlacement().first;
    QCOMPARE(taken, result);
    const bool overlapsX = placed.left() <= anchor.right() && placed.right() >= anchor.left();
    const bool overlapsY = placed.top() <= anchor.bottom() && placed.bottom() >= anchor.top();
    switch (taken) {
    case Qt::TopEdge:
        QCOMPARE(anchor.top() - placed.bottom() - 1, gap);
        QVERIFY(overlapsX);
        break;
    case Qt::BottomEdge:
        QCOMPARE(placed.top() - anchor.bottom() - 1, gap);
        QVERIFY(overlapsX);
        break;
    case Qt::LeftEdge:
        QCOMPARE(anchor.left() - placed.right() - 1, gap);
        QVERIFY(overlapsY);
        break;
    case Qt::RightEdge:
        QCOMPARE(placed.left() - anchor.right() - 1, gap);
        QVERIFY(overlapsY);
        break;
    default:
        QFAIL("placed on no edge");
    }
}

void tst_KelWindow::hairlineWithoutCompositor_data()
{
    QTest::addColumn<bool>("compositing");
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<bool>("border");
    QTest::newRow("with a compositing manager: the shadow only") << true << false << false;
    QTest::newRow("without: a hairline") << false << false << true;
    QTest::newRow("without, maximized: none") << false << true << false;
}

// With nothing to draw a shadow, a borderless window still shows its edge
// in the frame's border colour.
void tst_KelWindow::hairlineWithoutCompositor()
{
    QFETCH(bool, compositing);
    QFETCH(bool, maximized);
    QFETCH(bool, border);
    KelPlatform::setCompositingManagerOverride(compositing ? 1 : 0);
    KelWindow window(Framed);
    KelWindowFrame *frame = window.windowFrame();
    frame->setBorderWidth(0);
    frame->setBorderColor(QColor(200, 0, 0));
    frame->setBackground(QColor(Qt::white));
    window.resize(300, 200);
    if (maximized)
        window.showMaximized();
    else
        window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QImage shot = window.grab().toImage();
    const int y = shot.height() / 2;
    const QColor expected = border ? QColor(200, 0, 0) : QColor(Qt::white);
    QVERIFY(PaintProbe::pixelIs(shot, 0, y, expected, 40));
    QVERIFY(PaintProbe::pixelIs(shot, shot.width() - 1, y, expected, 40));
    QVERIFY(PaintProbe::pixelIs(shot, shot.width() / 2, shot.height() - 1, expected, 40));
    QVERIFY(PaintProbe::pixelIs(shot, 2, y, QColor(Qt::white), 8));
}

void tst_KelWindow::roundedOutline_data()
{
    QTest::addColumn<bool>("compositing");
    QTest::newRow("with a compositing manager: translucent") << true;
    QTest::newRow("without: opaque and masked") << false;
}

void tst_KelWindow::roundedOutline()
{
    QFETCH(bool, compositing);
    KelPlatform::setCompositingManagerOverride(compositing ? 1 : 0);
    KelWindow window(Framed);
    window.windowFrame()->setCornerRadius(12);
    window.resize(300, 200);

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));

    // Decided before the native window was made, so nothing is logged as
    // critical.
    QCOMPARE(window.testAttribute(Qt::WA_TranslucentBackground), compositing);
    const QRegion mask = window.mask();
    QCOMPARE(mask.isEmpty(), compositing);
    if (!compositing) {
        QVERIFY(!mask.contains(QPoint(0, 0)));
        QVERIFY(mask.contains(QPoint(12, 12)));
        QVERIFY(!mask.contains(QPoint(299, 199)));
        window.resize(320, 220);
        QTRY_VERIFY(window.mask().contains(QPoint(310, 110)));
        window.windowFrame()->setCornerRadius(0);
        QVERIFY(window.mask().isEmpty());
    }
}

void tst_KelWindow::showWithStrategy_data()
{
    QTest::addColumn<int>("strategy");
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<QRect>("expected");

    const QRect area = availableArea();
    const QRect start(30, 40, 360, 200);
    QTest::newRow("no change") << int(KelWindow::NoChange) << QPoint(300, 300) << start;
    QTest::newRow("at the cursor") << int(KelWindow::CursorPos) << QPoint(300, 250)
                                   << QRect(QPoint(300, 250), start.size());
    QTest::newRow("at the cursor, kept on screen")
            << int(KelWindow::CursorPos) << area.bottomRight() - QPoint(10, 10)
            << QRect(QPoint(area.right() - 359, area.bottom() - 199), start.size());
    QRect centred = start;
    centred.moveCenter(area.center());
    QTest::newRow("centred on the cursor's screen")
            << int(KelWindow::CursorScreen) << QPoint(300, 300) << centred;
    // Without a parent: centred on the screen of the saved "lastScreen".
    centred.moveCenter(QGuiApplication::primaryScreen()->geometry().center());
    QTest::newRow("centred without a parent")
            << int(KelWindow::CenteredOnParent) << QPoint(300, 300) << centred;
}

void tst_KelWindow::showWithStrategy()
{
    QFETCH(int, strategy);
    QFETCH(QPoint, cursor);
    QFETCH(QRect, expected);
    KelWindow window(Framed);
    window.centralWidget()->setMinimumSize(100, 80);
    window.setGeometry(30, 40, 360, 200);
    QCursor::setPos(cursor);

    window.showWithStrategy(KelWindow::ShowStrategy(strategy));

    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    QCOMPARE(window.geometry(), expected);
}

void tst_KelWindow::showAnimatedFadesInAndFadeOutHides()
{
    ManualAnimationDriver driver;
    KelWindow window(Framed);
    window.resize(300, 200);

    window.showAnimated();
    QVERIFY(window.isVisible());
    QVERIFY(window.windowOpacity() < 0.05);
    driver.advance(75);
    QVERIFY(window.windowOpacity() > 0.05 && window.windowOpacity() < 1.0);
    driver.advance(75);
    QCOMPARE(window.windowOpacity(), 1.0);

    window.fadeOut();
    driver.advance(75);
    QVERIFY(window.isVisible());
    driver.advance(75);
    QVERIFY(!window.isVisible());
}

void tst_KelWindow::maintenanceKeystroke_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("toggles");
    QTest::addColumn<bool>("lastAccepted");

    QTest::newRow("the word") << "ca:k ca:e ca:l ca:s ca:v ca:c" << 1 << true;
    QTest::newRow("in capitals") << "ca:K ca:E ca:L ca:S ca:V ca:C" << 1 << true;
    QTest::newRow("twice toggles back")
            << "ca:k ca:e ca:l ca:s ca:v ca:c ca:k ca:e ca:l ca:s ca:v ca:c" << 2 << true;
    QTest::newRow("as chords") << "mods ca:k mods ca:e mods ca:l mods ca:s mods ca:v mods ca:c" << 1
                               << true;
    // After a clear the rest of the word is no word's start: passed on too.
    QTest::newRow("a wrong letter clears") << "ca:k ca:e ca:x ca:l ca:s ca:v ca:c" << 0 << false;
    QTest::newRow("the wrong letter itself is passed on") << "ca:k ca:e ca:x" << 0 << false;
    QTest::newRow("the word after a wrong start")
            << "ca:k ca:x ca:k ca:e ca:l ca:s ca:v ca:c" << 1 << true;
    QTest::newRow("Ctrl alone clears") << "ca:k ca:e c:l ca:s ca:v ca:c" << 0 << false;
    QTest::newRow("Shift added clears") << "ca:k ca:e cas:l ca:s ca:v ca:c" << 0 << false;
    QTest::newRow("a key without text clears and is passed on")
            << "ca:k ca:e ca:l ca:s ca:v ca:F1" << 0 << false;
}

void tst_KelWindow::maintenanceKeystroke()
{
    QFETCH(QString, keys);
    QFETCH(int, toggles);
    QFETCH(bool, lastAccepted);
    KelUi *ui = kelUi();
    ui->setMaintenanceMode(false);
    KeyWindow window(Framed);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window, WaitBound::ms()));
    QSignalSpy changed(ui, &KelUi::maintenanceModeStateChanged);

    type(window.windowHandle(), keys);

    QCOMPARE(changed.count(), toggles);
    QCOMPARE(ui->isMaintenanceMode(), toggles % 2 == 1);
    QCOMPARE(window.lastAccepted, lastAccepted);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelwindow.moc"
