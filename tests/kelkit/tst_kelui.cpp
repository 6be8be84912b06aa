#include "kelapplication.h"
#include "kelsettings.h"
#include "kelui.h"
#include "styles/kelstyle.h"
#include "utils/keldaychangetimer.h"
#include "utils/notannoyingmessagetimer.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kellineedit.h"
#include "windows/kelmessagebox.h"

#include "filedialoginput.h"
#include "linkcatcher.h"
#include "messageboxinput.h"
#include "offscreenleak.h"
#include "plainwindowui.h"
#include "windowinput.h"

#include <QCursor>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QtConcurrent>
#include <QtTest>
#include <qpa/qwindowsysteminterface.h>

#include <cerrno>
#include <functional>
#include <memory>

namespace {

struct ButtonLook
{
    QString text;
    int styleId;
    bool isDefault;
    bool operator==(const ButtonLook &other) const
    {
        return text == other.text && styleId == other.styleId && isDefault == other.isDefault;
    }
};

QMap<int, ButtonLook> buttonLooks(KelMessageBox *box)
{
    QMap<int, ButtonLook> looks;
    for (int index = 0; index <= 3; ++index) {
        if (auto *button = qobject_cast<KelButton *>(box->button(index)))
            looks.insert(index, {button->text(), button->styleId(), button == box->defaultButton()});
    }
    return looks;
}

// Counts the enter and leave events a widget gets.
class HoverCounter : public QWidget
{
public:
    using QWidget::QWidget;
    int enters = 0;
    int leaves = 0;

protected:
    void enterEvent(QEvent *) override { ++enters; }
    void leaveEvent(QEvent *) override { ++leaves; }
};

// Runs the event loop until every zero-interval timer started before it
// has fired.
void runOnePass()
{
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

Q_DECLARE_METATYPE(KelUi::TextInputType)
using ButtonLooks = QMap<int, ButtonLook>;
Q_DECLARE_METATYPE(ButtonLooks)

class tst_KelUi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void makeLink_data();
    void makeLink();
    void maintenanceModeSignalsChanges();
    void waitCursorDoesNotNest();
    void dayChange_data();
    void dayChange();
    void dayChangeReachesUi();
    void lastErrorText_data();
    void lastErrorText();
    void spuriousLeaveUndone_data();
    void spuriousLeaveUndone();

    void messageBoxButtons_data();
    void messageBoxButtons();
    void messageBoxServices();
    void messageBoxParent();
    void messageBoxFromAnotherThread();
    void textInputTypes_data();
    void textInputTypes();
    void textInputNeedsTextForReturn();
    void textInputKeepsTextWhateverIsPressed_data();
    void textInputKeepsTextWhateverIsPressed();
    void saveChooserFromAnotherThread();
    void lastOpenFilePath_data();
    void lastOpenFilePath();
    void chooserStartsInAnExistingFolder_data();
    void chooserStartsInAnExistingFolder();
    void openLinkInSuitableApp_data();
    void openLinkInSuitableApp();
    void openLinkInExplorerWithoutAFile_data();
    void openLinkInExplorerWithoutAFile();
    void defaultAppPrompts();
    void notAnnoyingTimerWaitsForAnIdleMainWindow();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<KelSettings> m_settings;
};

void tst_KelUi::initTestCase()
{
    QVERIFY(kelUi());
}

void tst_KelUi::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_settings = std::make_unique<KelSettings>(m_dir->filePath(QStringLiteral("kel.ini")),
                                               QSettings::IniFormat);
    static_cast<KelApplication *>(QCoreApplication::instance())->setSettings(m_settings.get());
}

void tst_KelUi::cleanup()
{
    m_settings.reset();
    m_dir.reset();
}

void tst_KelUi::makeLink_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QColor>("color");
    QTest::addColumn<QString>("expected");

    const QString link = kelStyle()->color(KelStyle::CL_Text_Link).name();
    QTest::newRow("plain") << 0 << QColor(Qt::red)
                           << "<a href='http://x' style='color: #ff0000; '>Go</a>";
    QTest::newRow("style colour") << 0 << QColor()
                                  << QStringLiteral("<a href='http://x' style='color: %1; '>Go</a>")
                                             .arg(link);
    QTest::newRow("no underline")
            << int(KelUi::LinkWithoutUnderline) << QColor(Qt::red)
            << "<a href='http://x' style='color: #ff0000; text-decoration: none;'>Go</a>";
    QTest::newRow("bold italic")
            << int(KelUi::LinkBold | KelUi::LinkItalic) << QColor(Qt::red)
            << "<i><b><a href='http://x' style='color: #ff0000; '>Go</a></b></i>";
}

void tst_KelUi::makeLink()
{
    QFETCH(int, flags);
    QFETCH(QColor, color);
    QFETCH(QString, expected);
    QCOMPARE(kelUi()->makeLink(QStringLiteral("http://x"), QStringLiteral("Go"), flags, color),
             expected);
}

void tst_KelUi::maintenanceModeSignalsChanges()
{
    KelUi *ui = kelUi();
    QSignalSpy changed(ui, &KelUi::maintenanceModeStateChanged);
    ui->setMaintenanceMode(true);
    ui->setMaintenanceMode(true);
    QVERIFY(ui->isMaintenanceMode());
    ui->setMaintenanceMode(false);
    ui->setMaintenanceMode(false);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(0).at(0).toBool(), true);
    QCOMPARE(changed.at(1).at(0).toBool(), false);
}

void tst_KelUi::waitCursorDoesNotNest()
{
    KelUi *ui = kelUi();
    QTest::ignoreMessage(QtWarningMsg, "UI is locked");
    ui->showWaitCursor();
    ui->showWaitCursor();
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QTest::ignoreMessage(QtWarningMsg, "UI is unlocked");
    ui->hideWaitCursor();
    QVERIFY(!QGuiApplication::overrideCursor());
    ui->hideWaitCursor();
    QVERIFY(!QGuiApplication::overrideCursor());
}

void tst_KelUi::dayChange_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<qint64>("expected");

    const QDate day(2024, 3, 5);
    QTest::newRow("23:59") << QDateTime(day, QTime(23, 59)) << qint64(2 * 60 * 1000);
    QTest::newRow("00:00") << QDateTime(day, QTime(0, 0)) << qint64(24 * 3600 * 1000 + 60 * 1000);
    QTest::newRow("00:01") << QDateTime(day, QTime(0, 1)) << qint64(24 * 3600 * 1000);
    QTest::newRow("new year's eve")
            << QDateTime(QDate(2023, 12, 31), QTime(23, 59, 30), Qt::UTC) << qint64(90 * 1000);
}

void tst_KelUi::dayChange()
{
    QFETCH(QDateTime, now);
    QFETCH(qint64, expected);

    QDateTime clock = now;
    KelDayChangeTimer timer(nullptr, [&clock] { return clock; });
    QSignalSpy changed(&timer, &KelDayChangeTimer::dayChanged);
    auto qtTimer = timer.findChild<QTimer *>();
    QVERIFY(qtTimer);
    QVERIFY(qtTimer->isActive());
    QVERIFY(qtTimer->isSingleShot());
    QCOMPARE(qint64(qtTimer->interval()), expected);

    // When it fires at 00:01, it is armed for the day after.
    clock = now.addMSecs(expected);
    QCOMPARE(clock.time(), QTime(0, 1));
    QVERIFY(QMetaObject::invokeMethod(qtTimer, "timeout"));
    QCOMPARE(changed.count(), 1);
    QVERIFY(qtTimer->isActive());
    QCOMPARE(qint64(qtTimer->interval()), qint64(24 * 3600 * 1000));
}

void tst_KelUi::dayChangeReachesUi()
{
    KelUi *ui = kelUi();
    auto timer = ui->findChild<KelDayChangeTimer *>();
    QVERIFY(timer);
    QSignalSpy changed(ui, &KelUi::currentDayChanged);
    emit timer->dayChanged();
    QCOMPARE(changed.count(), 1);
}

void tst_KelUi::lastErrorText_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << 0 << QString();
    QTest::newRow("access") << EACCES << "Permission denied (13)";
    QTest::newRow("missing") << ENOENT << "No such file or directory (2)";
}

void tst_KelUi::lastErrorText()
{
    QFETCH(int, error);
    QFETCH(QString, expected);
    errno = error;
    QCOMPARE(KelUi::lastWindowsErrorText(), expected);
}

void tst_KelUi::spuriousLeaveUndone_data()
{
    QTest::addColumn<bool>("cursorInside");
    QTest::newRow("cursor inside") << true;
    QTest::newRow("cursor gone") << false;
}

void tst_KelUi::spuriousLeaveUndone()
{
    QFETCH(bool, cursorInside);

    // Qt ignores a move to where the cursor already is.
    QCursor::setPos(QPoint(0, 0));
    QWidget window;
    window.setGeometry(100, 100, 200, 100);
    auto layout = new QHBoxLayout(&window);
    auto left = new HoverCounter;
    auto right = new HoverCounter;
    layout->addWidget(left);
    layout->addWidget(right);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));

    const QPoint inLeft = left->mapToGlobal(left->rect().center());
    QCursor::setPos(inLeft);
    QTRY_VERIFY(left->underMouse());
    QCOMPARE(kelUi()->widgetUnderMouse(), left);
    const int enters = left->enters;

    // The platform says the cursor left while it may still be inside.
    if (!cursorInside)
        QCursor::setPos(QPoint(0, 0));
    QWindowSystemInterface::handleLeaveEvent<QWindowSystemInterface::SynchronousDelivery>(
            window.windowHandle());
    QVERIFY(!left->underMouse());
    runOnePass();
    QCOMPARE(left->underMouse(), cursorInside);
    QCOMPARE(left->enters, enters + (cursorInside ? 1 : 0));
    QVERIFY(!right->underMouse());
}

void tst_KelUi::messageBoxButtons_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("press");
    QTest::addColumn<ButtonLooks>("expected");

    QTest::newRow("no texts: one accent OK") << QStringList{QString(), QString(), QString()} << 1
                                             << ButtonLooks{{1, {QStringLiteral("OK"), 21, true}}};
    QTest::newRow("b1 and b2: b2 is the accent and default")
            << QStringList{QStringLiteral("No"), QStringLiteral("Yes"), QString()} << 2
            << ButtonLooks{{1, {QStringLiteral("No"), 20, false}},
                           {2, {QStringLiteral("Yes"), 21, true}}};
    QTest::newRow("three: the first pressed")
            << QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")} << 1
            << ButtonLooks{{1, {QStringLiteral("A"), 20, false}},
                           {2, {QStringLiteral("B"), 20, false}},
                           {3, {QStringLiteral("C"), 21, true}}};
    QTest::newRow("b2 alone keeps its index")
            << QStringList{QString(), QStringLiteral("Yes"), QString()} << 2
            << ButtonLooks{{2, {QStringLiteral("Yes"), 21, true}}};
}

void tst_KelUi::messageBoxButtons()
{
    QFETCH(QStringList, texts);
    QFETCH(int, press);
    QFETCH(ButtonLooks, expected);

    ButtonLooks looks;
    MessageBoxInput::pressButton(press, [&](KelMessageBox *box) { looks = buttonLooks(box); });
    QCOMPARE(kelUi()->messageBox(QStringLiteral("x"), QString(), -1, texts.at(0), texts.at(1),
                                 texts.at(2)),
             press);
    QCOMPARE(looks, expected);
}

void tst_KelUi::messageBoxServices()
{
    LinkCatcher links({QStringLiteral("https")});
    KelUi *ui = kelUi();
    QTest::ignoreMessage(QtWarningMsg, "UI is locked");
    ui->showWaitCursor();

    bool cursorHidden = false;
    QString title;
    MessageBoxInput::pressButton(1, [&](KelMessageBox *box) {
        cursorHidden = !QGuiApplication::overrideCursor();
        title = box->windowTitle();
        // The link in the message opens through openLink().
        QLabel *label = box->messageLabel();
        const QPoint onLink = label->mapToGlobal(QPoint(5, label->height() / 2));
        WindowInput::enter(box->windowHandle(), onLink);
        WindowInput::press(box, onLink);
        WindowInput::release(box, onLink);
    });
    QTest::ignoreMessage(QtWarningMsg, "UI is unlocked");
    QTest::ignoreMessage(QtWarningMsg, "UI is locked");
    QCOMPARE(ui->messageBox(QStringLiteral("<a href='https://example.org/help'>Help</a>")), 1);
    QVERIFY(cursorHidden);
    QCOMPARE(title, QCoreApplication::applicationName());
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(links.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/help"))});
    QTest::ignoreMessage(QtWarningMsg, "UI is unlocked");
    ui->hideWaitCursor();
}

void tst_KelUi::messageBoxParent()
{
    KelWindow window(KelWindow::Movable | KelWindow::WindowButtons);
    window.resize(400, 300);
    auto *child = new QWidget(window.centralWidget());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window, WaitBound::ms()));

    QWidget *parent = nullptr;
    auto recordParent = [&](KelMessageBox *box) { parent = box->parentWidget(); };
    // A given parent stands for its window.
    MessageBoxInput::pressButton(1, recordParent);
    kelUi()->messageBox(QStringLiteral("x"), QString(), -1, QString(), QString(), QString(),
                        nullptr, QString(), child);
    QCOMPARE(parent, &window);
    // Without one the active window takes the box. (The offscreen
    // platform leaves no window active when a box closes.)
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window, WaitBound::ms()));
    parent = nullptr;
    MessageBoxInput::pressButton(1, recordParent);
    kelUi()->messageBox(QStringLiteral("x"));
    QCOMPARE(parent, &window);
}

void tst_KelUi::messageBoxFromAnotherThread()
{
    QThread *boxThread = nullptr;
    MessageBoxInput::pressButton(2, [&](KelMessageBox *box) {
        boxThread = box->thread();
        WindowInput::click(box->findChild<KelButton *>(QStringLiteral("KelRememberBox")));
    });
    QFuture<QPair<int, bool>> task = QtConcurrent::run([] {
        bool remember = false;
        const int answer = kelUi()->messageBox(QStringLiteral("Replace it?"), QString(), -1,
                                               QStringLiteral("No"), QStringLiteral("Yes"),
                                               QString(), &remember, QStringLiteral("Always"));
        return qMakePair(answer, remember);
    });
    QFutureWatcher<QPair<int, bool>> watcher;
    QSignalSpy finished(&watcher, &QFutureWatcherBase::finished);
    watcher.setFuture(task);
    QVERIFY(finished.wait(WaitBound::ms()));
    QCOMPARE(task.result().first, 2);
    QCOMPARE(task.result().second, true);
    QCOMPARE(boxThread, QCoreApplication::instance()->thread());
}

void tst_KelUi::textInputTypes_data()
{
    QTest::addColumn<KelUi::TextInputType>("type");
    QTest::addColumn<QString>("initial");
    QTest::addColumn<int>("styleId");
    QTest::addColumn<bool>("password");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("acceptEnabled");

    QTest::newRow("any text, empty")
            << KelUi::AnyTextInput << QString() << 29 << false << false << true;
    QTest::newRow("not empty, empty")
            << KelUi::NotEmptyTextInput << QString() << 29 << false << false << false;
    QTest::newRow("not empty, with text")
            << KelUi::NotEmptyTextInput << QStringLiteral("name") << 29 << false << false << true;
    QTest::newRow("password, empty")
            << KelUi::PasswordTextInput << QString() << 32 << true << false << true;
    QTest::newRow("not empty password, empty")
            << KelUi::NotEmptyPasswordTextInput << QString() << 32 << true << false << false;
    QTest::newRow("read-only") << KelUi::ReadOnlyTextInput << QStringLiteral("fixed") << 29 << false
                               << true << true;
}

void tst_KelUi::textInputTypes()
{
    QFETCH(KelUi::TextInputType, type);
    QFETCH(QString, initial);
    QFETCH(int, styleId);
    QFETCH(bool, password);
    QFETCH(bool, readOnly);
    QFETCH(bool, acceptEnabled);

    KelLineEdit *edit = nullptr;
    bool enabled = false;
    int foundStyle = -1;
    bool foundPassword = false;
    bool foundReadOnly = false;
    int maxLength = 0;
    MessageBoxInput::whenShown([&](KelMessageBox *box) {
        edit = box->findChild<KelLineEdit *>();
        enabled = box->defaultButton()->isEnabled();
        foundStyle = edit->styleId();
        foundPassword = edit->echoMode() == QLineEdit::Password;
        foundReadOnly = edit->isReadOnly();
        maxLength = edit->maxLength();
        box->done(0);
    });
    QString text = initial;
    kelUi()->textInputBox(QStringLiteral("Name:"), QString(), text, type, -1,
                          QStringLiteral("Cancel"), QStringLiteral("OK"));
    QVERIFY(edit);
    QCOMPARE(enabled, acceptEnabled);
    QCOMPARE(foundStyle, styleId);
    QCOMPARE(foundPassword, password);
    QCOMPARE(foundReadOnly, readOnly);
    QCOMPARE(maxLength, 32767);
    QCOMPARE(text, initial);
}

void tst_KelUi::textInputNeedsTextForReturn()
{
    bool stayedOpen = false;
    MessageBoxInput::whenShown([&](KelMessageBox *box) {
        QWindow *window = box->windowHandle();
        QTest::sendKeyEvent(QTest::Click, window, Qt::Key_Return, QString(), Qt::NoModifier);
        QTimer::singleShot(0, box, [&stayedOpen, box, window] {
            stayedOpen = box->isVisible();
            // The expression admits digits only.
            QTest::sendKeyEvent(QTest::Click, window, Qt::Key_A, QStringLiteral("a"),
                                Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Click, window, Qt::Key_7, QStringLiteral("7"),
                                Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Click, window, Qt::Key_Return, QString(), Qt::NoModifier);
        });
    });
    QString text;
    const int result = kelUi()->textInputBox(QStringLiteral("Port:"), QString(), text,
                                             KelUi::NotEmptyTextInput, -1, QStringLiteral("Cancel"),
                                             QStringLiteral("OK"), QString(),
                                             QStringLiteral("[0-9]*"));
    QVERIFY(stayedOpen);
    QCOMPARE(result, 2);
    QCOMPARE(text, QStringLiteral("7"));
}

void tst_KelUi::textInputKeepsTextWhateverIsPressed_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<bool>("fromAnotherThread");
    QTest::addColumn<int>("expected");
    QTest::newRow("Escape") << Qt::Key_Escape << false << 0;
    QTest::newRow("Return") << Qt::Key_Return << false << 1;
    QTest::newRow("Escape, asked from another thread") << Qt::Key_Escape << true << 0;
    QTest::newRow("Return, asked from another thread") << Qt::Key_Return << true << 1;
}

void tst_KelUi::textInputKeepsTextWhateverIsPressed()
{
    QFETCH(Qt::Key, key);
    QFETCH(bool, fromAnotherThread);
    QFETCH(int, expected);

    MessageBoxInput::whenShown([key](KelMessageBox *box) {
        QWindow *window = box->windowHandle();
        QTest::sendKeyEvent(QTest::Click, window, Qt::Key_X, QStringLiteral("x"), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Click, window, key, QString(), Qt::NoModifier);
    });
    auto ask = [] {
        QString text = QStringLiteral("draft");
        const int result = kelUi()->textInputBox(QStringLiteral("Name:"), QString(), text);
        return qMakePair(result, text);
    };
    QPair<int, QString> answer;
    if (fromAnotherThread) {
        QFutureWatcher<QPair<int, QString>> watcher;
        QSignalSpy finished(&watcher, &QFutureWatcherBase::finished);
        watcher.setFuture(QtConcurrent::run(ask));
        QVERIFY(finished.wait(WaitBound::ms()));
        answer = watcher.result();
    } else {
        answer = ask();
    }
    QCOMPARE(answer.first, expected);
    QCOMPARE(answer.second, QStringLiteral("draftx"));
}

void tst_KelUi::saveChooserFromAnotherThread()
{
    QThread *dialogThread = nullptr;
    QString folder;
    QString name;
    FileDialogInput::whenShown([&](QFileDialog *dialog) {
        dialogThread = dialog->thread();
        folder = dialog->directory().absolutePath();
        name = dialog->selectedFiles().value(0);
        static_cast<QDialog *>(dialog)->accept();
    });
    const QString start = m_dir->path();
    QFuture<QString> task = QtConcurrent::run([start] {
        return kelUi()->getSaveFileName(QStringLiteral("Save"), QString(),
                                        QStringLiteral("clip.mp4"), start);
    });
    QFutureWatcher<QString> watcher;
    QSignalSpy finished(&watcher, &QFutureWatcherBase::finished);
    watcher.setFuture(task);
    QVERIFY(finished.wait(WaitBound::ms()));
    QCOMPARE(dialogThread, QCoreApplication::instance()->thread());
    QCOMPARE(folder, QDir(start).absolutePath());
    QCOMPARE(name, QDir(start).absoluteFilePath(QStringLiteral("clip.mp4")));
    QCOMPARE(task.result(), QDir(start).absoluteFilePath(QStringLiteral("clip.mp4")));
}

void tst_KelUi::lastOpenFilePath_data()
{
    QTest::addColumn<bool>("initialFolder");
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<bool>("remembered");
    QTest::newRow("from the remembered folder, chosen") << false << true << true;
    QTest::newRow("from the remembered folder, cancelled") << false << false << false;
    QTest::newRow("from a given folder, chosen") << true << true << false;
    QTest::newRow("from a given folder, cancelled") << true << false << false;
}

void tst_KelUi::lastOpenFilePath()
{
    QFETCH(bool, initialFolder);
    QFETCH(bool, chosen);
    QFETCH(bool, remembered);

    const QDir dir(m_dir->path());
    QVERIFY(dir.mkpath(QStringLiteral("last")) && dir.mkpath(QStringLiteral("given"))
            && dir.mkpath(QStringLiteral("other")));
    const QString file = dir.absoluteFilePath(QStringLiteral("other/a.mp4"));
    QFile touch(file);
    QVERIFY(touch.open(QIODevice::WriteOnly));
    touch.close();
    const QString last = dir.absoluteFilePath(QStringLiteral("last"));
    const QString given = dir.absoluteFilePath(QStringLiteral("given"));
    m_settings->setLastOpenFilePath(last);

    QString startedIn;
    QStringList filters;
    FileDialogInput::whenShown([&](QFileDialog *dialog) {
        startedIn = dialog->directory().absolutePath();
        filters = dialog->nameFilters();
        if (!chosen) {
            static_cast<QDialog *>(dialog)->reject();
            return;
        }
        dialog->selectFile(file);
        static_cast<QDialog *>(dialog)->accept();
    });
    // Translations write the filter's parentheses full-width.
    const QString filter = QStringLiteral("Videos \uFF08*.mp4\uFF09");
    const QString result = kelUi()->getOpenFileName(QStringLiteral("Open"), filter,
                                                    initialFolder ? given : QString());
    QCOMPARE(startedIn, initialFolder ? given : last);
    QCOMPARE(filters, QStringList{QStringLiteral("Videos (*.mp4)")});
    QCOMPARE(result, chosen ? file : QString());
    QCOMPARE(m_settings->lastOpenFilePath(),
             remembered ? dir.absoluteFilePath(QStringLiteral("other")) : last);
}

void tst_KelUi::chooserStartsInAnExistingFolder_data()
{
    QTest::addColumn<bool>("rememberedExists");
    QTest::addColumn<bool>("videosExist");
    QTest::addColumn<QString>("expected");
    QTest::newRow("remembered") << true << true << "remembered";
    QTest::newRow("remembered gone, videos") << false << true << "videos";
    QTest::newRow("both gone, home") << false << false << "home";
}

void tst_KelUi::chooserStartsInAnExistingFolder()
{
    QFETCH(bool, rememberedExists);
    QFETCH(bool, videosExist);
    QFETCH(QString, expected);

    const QString remembered = m_dir->filePath(QStringLiteral("Desktop"));
    if (rememberedExists)
        QVERIFY(QDir().mkpath(remembered));
    m_settings->setLastOpenFilePath(remembered);
    const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    QVERIFY(!videos.isEmpty() && !QFileInfo::exists(videos));
    if (videosExist)
        QVERIFY(QDir().mkpath(videos));
    const auto removeVideos = qScopeGuard([videos] { QDir(videos).removeRecursively(); });

    QString startedIn;
    QString typedName = QStringLiteral("unread");
    FileDialogInput::whenShown([&](QFileDialog *dialog) {
        startedIn = dialog->directory().absolutePath();
        if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            typedName = name->text();
        static_cast<QDialog *>(dialog)->reject();
    });
    kelUi()->getOpenFileNames(QStringLiteral("Open"), QString(), QString());
    const QMap<QString, QString> folders{{QStringLiteral("remembered"), remembered},
                                         {QStringLiteral("videos"), videos},
                                         {QStringLiteral("home"), QDir::homePath()}};
    QCOMPARE(startedIn, QDir(folders.value(expected)).absolutePath());
    QCOMPARE(typedName, QString());
}

void tst_KelUi::openLinkInSuitableApp_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QUrl>("expectedUrl");
    QTest::addColumn<bool>("opened");

    QTest::newRow("an address") << QStringLiteral("https://example.org/a")
                                << QUrl(QStringLiteral("https://example.org/a")) << true;
    QTest::newRow("an existing file")
            << QStringLiteral("%1/clip.mp4") << QUrl(QStringLiteral("%1/clip.mp4")) << true;
    QTest::newRow("nothing takes it") << QStringLiteral("refused://x") << QUrl() << false;
}

void tst_KelUi::openLinkInSuitableApp()
{
    QFETCH(QString, link);
    QFETCH(QUrl, expectedUrl);
    QFETCH(bool, opened);

    if (link.contains(QLatin1String("%1"))) {
        QFile file(link.arg(m_dir->path()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        link = link.arg(m_dir->path());
        expectedUrl = QUrl::fromLocalFile(link);
    }
    LinkCatcher links({QStringLiteral("https"), QStringLiteral("file")},
                      {QStringLiteral("refused")});
    QSignalSpy linkOpened(kelUi(), &KelUi::linkOpened);
    QString message;
    if (!opened) {
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("No such method .*refuse")));
        QTest::ignoreMessage(QtWarningMsg, "Open link in suitable app failed:  \"refused://x\"");
        MessageBoxInput::pressButton(1, [&](KelMessageBox *box) {
            message = box->messageLabel()->text();
        });
    }
    QCOMPARE(kelUi()->openLinkInSuitableApp(link), opened);
    QCOMPARE(links.opened, opened ? QList<QUrl>{expectedUrl} : QList<QUrl>());
    QCOMPARE(linkOpened.count(), 1);
    QCOMPARE(linkOpened.at(0).at(0).toString(), link);
    if (!opened) {
        QCOMPARE(message,
                 QStringLiteral("An error has occurred when trying to open: \"%1\"").arg(link));
    }
}

void tst_KelUi::openLinkInExplorerWithoutAFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("warning");
    QTest::newRow("empty") << QString()
                           << QStringLiteral(
                                      "Request open link in explorer but the link is empty.");
    QTest::newRow("missing") << QStringLiteral("/nonexistent/reel/clip.mp4")
                             << QStringLiteral("Request open link in explorer but the link is "
                                               "not exists. \"/nonexistent/reel/clip.mp4\"");
}

void tst_KelUi::openLinkInExplorerWithoutAFile()
{
    QFETCH(QString, path);
    QFETCH(QString, warning);

    LinkCatcher links({QStringLiteral("file")});
    QSignalSpy failed(kelUi(), &KelUi::shellExecuteFailed);
    QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
    // No box: it would wait here for an answer.
    QVERIFY(!kelUi()->openLinkInExplorer(path));
    QVERIFY(links.opened.isEmpty());
    QCOMPARE(failed.count(), 0);

    // A folder is opened as it is.
    QVERIFY(kelUi()->openLinkInExplorer(m_dir->path()));
    QCOMPARE(links.opened, QList<QUrl>{QUrl::fromLocalFile(m_dir->path())});
}

void tst_KelUi::defaultAppPrompts()
{
    LinkCatcher links({QStringLiteral("https")});
    KelUi *ui = kelUi();

    QString text;
    ButtonLooks looks;
    bool remember = false;
    MessageBoxInput::pressButton(2, [&](KelMessageBox *box) {
        text = box->messageLabel()->text();
        looks = buttonLooks(box);
        WindowInput::click(box->findChild<KelButton *>(QStringLiteral("KelRememberBox")));
    });
    QVERIFY(ui->askRegisterAsDefaultApp(QStringLiteral(".mp4"), QStringLiteral("Reel"), &remember));
    QCOMPARE(text,
             QStringLiteral("Reel is not currently your default app to process \"MP4\" files. "
                            "Would you like to make it default?"));
    QCOMPARE(looks.value(1).text, QStringLiteral("NO"));
    QCOMPARE(looks.value(2).text, QStringLiteral("YES"));
    QVERIFY(remember);

    MessageBoxInput::pressButton(1, [&](KelMessageBox *box) { looks = buttonLooks(box); });
    ui->showNotDefaultAppNotice(QStringLiteral(".mkv"), QStringLiteral("Reel"),
                                QStringLiteral("https://example.org/learn"), &remember);
    QCOMPARE(looks.value(1).text, QStringLiteral("LEARN MORE"));
    QCOMPARE(links.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/learn"))});
    QVERIFY(remember);
}

void tst_KelUi::notAnnoyingTimerWaitsForAnIdleMainWindow()
{
    KelUi *ui = kelUi();
    ui->setupMainWindow();
    KelWindow *main = ui->mainWindow();
    QVERIFY(main);
    QVERIFY(main->isHidden());

    int calls = 0;
    ui->startNotAnnoyingMessageTimer(QStringLiteral("Update message"), 0, [&calls] { ++calls; });
    // It looks again and again while the main window is not active.
    for (int pass = 0; pass < 5; ++pass)
        runOnePass();
    QCOMPARE(calls, 0);

    main->show();
    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main, WaitBound::ms()));
    QTRY_COMPARE(calls, 1);
    QTRY_VERIFY(ui->findChildren<NotAnnoyingMessageTimer *>().isEmpty());
    main->hide();
}

int main(int argc, char **argv)
{
    PlainWindowApplication<> app(argc, argv);
    tst_KelUi test;
    const int result = QTest::qExec(&test, argc, argv);
    delete kelUi();
    return result;
}

#include "tst_kelui.moc"
