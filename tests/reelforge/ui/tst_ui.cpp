#include "application.h"
#include "datamodel/codecinfo.h"
#include "painting/kelpixmapcache.h"
#include "shared/enums.h"
#include "shared/settingsprovider.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "ui/dialoglaunch.h"
#include "ui/targetcodecdialog.h"
#include "ui/trimdialog.h"
#include "ui/ui.h"
#include "ui/widgets/badgedbutton.h"
#include "ui/widgets/formatscombo.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "windows/keldialog.h"
#include "windows/kelmessagebox.h"

#include "appservicesfixture.h"
#include "contexttranslator.h"
#include "fakeaudio.h"
#include "filedialoginput.h"
#include "httpstubserver.h"
#include "linkcatcher.h"
#include "messageboxinput.h"
#include "metricrequests.h"
#include "unexpectedboxguard.h"
#include "windowinput.h"

#include <metrics/metricsender.h>

#include <QFileDialog>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

Ui *ui()
{
    return static_cast<Ui *>(kelUi());
}

SettingsProvider *settings()
{
    return SettingsProvider::instance();
}

QString inContext(const char *context, const char *text)
{
    return ContextTranslator::inContext(context, text);
}

QString buttonText(KelMessageBox *box, int index)
{
    auto *button = qobject_cast<KelButton *>(box->button(index));
    return button ? button->text() : QString();
}

KelButton *rememberBox(KelMessageBox *box)
{
    return box->findChild<KelButton *>(QStringLiteral("KelRememberBox"));
}

// The answer a question row gives: a footer button, or the window's close
// button.
constexpr int CloseWindow = 0;
// A row whose question must return without showing a box.
constexpr int NoBox = -1;

struct Question
{
    bool dontAskBefore = false;
    std::function<int()> ask;
    QString message;
    QString title;
    QStringList buttons;    // texts of buttons 1 to 3, empty for none
    int rememberShown = -1; // -1 no remember box, else its state when shown
    bool toggleRemember = false;
    int press = CloseWindow;
    int expected = 0;
    bool dontAskAfter = false;
};

QMap<QString, Question> questions()
{
    const QString quitText = inContext("Dialog_Confirm_QuitApp",
                                       "You have unfinished tasks. Do you really want to quit? ");
    const QString abortTitle = inContext("Dialog_Confirm_Abort", "Abort all?");
    const QString appTitle = QCoreApplication::applicationName();
    const QString removeText = inContext("Dialog_Confirm_Remove", "Remove \"%1\"?")
                                       .arg(QStringLiteral("clip.mp4"));
    const QStringList removeButtons{inContext("Dialog_Confirm_Remove", "No"),
                                    inContext("Dialog_Confirm_Remove", "Yes"), QString()};
    const QString applyText = inContext("Dialog_ApplyPreset", "Apply \"%1\" to")
                                      .arg(QStringLiteral("MP4"));
    const QString nothing = inContext("Dialog_ApplyPreset", "Nothing");
    const QString selected = inContext("Dialog_ApplyPreset", "Selected video");
    const QString queue = inContext("Dialog_ApplyPreset", "Entire queue");
    const auto remove = [](bool askAlways) {
        return [askAlways] {
            return int(ui()->confirmRemove(QStringLiteral("clip.mp4"), askAlways));
        };
    };
    const auto apply = [](int options) {
        return [options] { return ui()->askApplyPreset(QStringLiteral("MP4"), options); };
    };
    const int cancel = Enums::ApplyPresetCancel;
    const int toSelection = Enums::ApplyPresetToSelection;
    const int toAll = Enums::ApplyPresetToAll;

    QMap<QString, Question> rows;
    rows[QStringLiteral("abort: yes")] = {false,
                                          [] {
                                              return int(ui()->confirmAbortAll(
                                                      QStringLiteral("clip.mp4")));
                                          },
                                          quitText,
                                          abortTitle,
                                          {inContext("Dialog_Confirm_Abort", "No"),
                                           inContext("Dialog_Confirm_Abort", "Yes"), QString()},
                                          -1,
                                          false,
                                          2,
                                          1,
                                          false};
    rows[QStringLiteral("abort: no")] = rows.value(QStringLiteral("abort: yes"));
    rows[QStringLiteral("abort: no")].press = 1;
    rows[QStringLiteral("abort: no")].expected = 0;
    rows[QStringLiteral("quit: yes")] = {false,
                                         [] { return int(ui()->confirmQuitApp()); },
                                         quitText,
                                         abortTitle,
                                         {inContext("Dialog_Confirm_QuitApp", "No"),
                                          inContext("Dialog_Confirm_QuitApp", "Yes"), QString()},
                                         -1,
                                         false,
                                         2,
                                         1,
                                         false};
    rows[QStringLiteral("quit: closed")] = rows.value(QStringLiteral("quit: yes"));
    rows[QStringLiteral("quit: closed")].press = CloseWindow;
    rows[QStringLiteral("quit: closed")].expected = 0;
    rows[QStringLiteral("clear history: yes")] = {false,
                                                  [] { return int(ui()->confirmClearHistory()); },
                                                  inContext("Dialog_Confirm_ClearHisotry",
                                                            "Clear history?"),
                                                  appTitle,
                                                  {inContext("Dialog_Confirm_ClearHisotry", "No"),
                                                   inContext("Dialog_Confirm_ClearHisotry", "Yes"),
                                                   QString()},
                                                  -1,
                                                  false,
                                                  2,
                                                  1,
                                                  false};
    rows[QStringLiteral("remove: yes, box left clear")]
            = {false, remove(false), removeText, appTitle, removeButtons, 0, false, 2, 1, false};
    rows[QStringLiteral("remove: no, box ticked")]
            = {false, remove(false), removeText, appTitle, removeButtons, 0, true, 1, 0, true};
    rows[QStringLiteral("remove: setting on, not asked")] = {true,      remove(false),
                                                             QString(), QString(),
                                                             {},        -1,
                                                             false,     NoBox,
                                                             1,         true};
    rows[QStringLiteral("remove: setting on, ask always")]
            = {true, remove(true), removeText, appTitle, removeButtons, 1, false, 1, 0, true};
    // A cleared box writes nothing, so the stored choice stays.
    rows[QStringLiteral("remove: ask always, box cleared")]
            = {true, remove(true), removeText, appTitle, removeButtons, 1, true, 2, 1, true};
    rows[QStringLiteral("apply: cancel only")] = {false,     apply(cancel),
                                                  QString(), QString(),
                                                  {},        -1,
                                                  false,     NoBox,
                                                  cancel,    false};
    rows[QStringLiteral("apply: queue offered")] = {false,
                                                    apply(cancel | toAll),
                                                    applyText,
                                                    appTitle,
                                                    {nothing, QString(), queue},
                                                    -1,
                                                    false,
                                                    3,
                                                    toAll,
                                                    false};
    rows[QStringLiteral("apply: all offered, selection")] = {false,
                                                             apply(cancel | toSelection | toAll),
                                                             applyText,
                                                             appTitle,
                                                             {nothing, selected, queue},
                                                             -1,
                                                             false,
                                                             2,
                                                             toSelection,
                                                             false};
    rows[QStringLiteral("apply: all offered, nothing")] = {false,
                                                           apply(cancel | toSelection | toAll),
                                                           applyText,
                                                           appTitle,
                                                           {nothing, selected, queue},
                                                           -1,
                                                           false,
                                                           1,
                                                           cancel,
                                                           false};
    rows[QStringLiteral("apply: closed")] = {false,
                                             apply(cancel | toSelection | toAll),
                                             applyText,
                                             appTitle,
                                             {nothing, selected, queue},
                                             -1,
                                             false,
                                             CloseWindow,
                                             cancel,
                                             false};
    return rows;
}

struct SeenBox
{
    bool shown = false;
    QString message;
    QString title;
    QStringList buttons;
    int remember = -1;
};

// Records the next message box and answers it as the row says.
void answerQuestion(const Question &row, SeenBox *seen)
{
    MessageBoxInput::whenShown([row, seen](KelMessageBox *box) {
        seen->shown = true;
        seen->message = box->messageLabel()->text();
        seen->title = box->windowTitle();
        seen->buttons = QStringList{buttonText(box, 1), buttonText(box, 2), buttonText(box, 3)};
        KelButton *remember = rememberBox(box);
        seen->remember = remember ? int(remember->isChecked()) : -1;
        if (remember && row.toggleRemember)
            WindowInput::click(remember);
        if (row.press == CloseWindow)
            WindowInput::click(box->findChild<KelButton *>(QStringLiteral("KelCloseButton")));
        else if (QWidget *button = box->button(row.press))
            WindowInput::click(button);
    });
}

QImage stripedImage(const QSize &size)
{
    // Bands of distinct colours across the height, so a shifted crop shows.
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int bands = 24;
    for (int band = 0; band < bands; ++band) {
        const int top = size.height() * band / bands;
        const int bottom = size.height() * (band + 1) / bands;
        painter.fillRect(0, top, size.width(), bottom - top,
                         QColor::fromHsv(band * 359 / bands, 255, 128 + (band % 2) * 127));
    }
    return image;
}

QImage asRgb(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class tst_Ui : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void initRegistersThemesLightFirst();
    void questions_data();
    void questions();
    void shutdownCountdown();
    void newVersionDialog_data();
    void newVersionDialog();
    void helpOpensTheHelpPage();
    void videoFilesFilterAndFolder();
    void subtitlesAndWatermarkFolders_data();
    void subtitlesAndWatermarkFolders();
    void outputFolder();
    void thumbnailCoversAndCrops_data();
    void thumbnailCoversAndCrops();
    void thumbnailCacheKeys();
    void unreadableThumbnailIsNotCached();
    void thumbnailFromImage();
    void modelessDialogShowRule();
    void audioOnlySource_data();
    void audioOnlySource();
    void trimOpenerReturnsAtOnce_data();
    void trimOpenerReturnsAtOnce();
    void codecOpenerWaitsForTheAnswer();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    ContextTranslator m_translator;
};

void tst_Ui::initTestCase()
{
    QVERIFY(ui());
    QCoreApplication::installTranslator(&m_translator);
}

void tst_Ui::cleanupTestCase()
{
    QCoreApplication::removeTranslator(&m_translator);
}

void tst_Ui::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_Ui::initRegistersThemesLightFirst()
{
    KelStyleManager *manager = ui()->styleManager();
    QVERIFY(manager);
    QStringList ids;
    for (KelStyle *style : manager->styles()) {
        ids << style->styleId();
        QCOMPARE(style->parent(), ui());
    }
    QCOMPARE(ids, (QStringList{QStringLiteral("LightStyle"), QStringLiteral("DarkStyle")}));
    // Nothing saved yet: a first run starts light.
    QCOMPARE(manager->currentStyle()->styleId(), QStringLiteral("LightStyle"));
}

void tst_Ui::questions_data()
{
    QTest::addColumn<QString>("row");
    const QStringList names = ::questions().keys();
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << name;
}

void tst_Ui::questions()
{
    QFETCH(QString, row);
    const Question question = ::questions().value(row);
    settings()->setDontAskRemoveFromQueue(question.dontAskBefore);

    SeenBox seen;
    int result = -1;
    if (question.press == NoBox) {
        UnexpectedBoxGuard guard;
        result = question.ask();
        QVERIFY(!guard.shown());
    } else {
        answerQuestion(question, &seen);
        result = question.ask();
        QVERIFY(seen.shown);
        QCOMPARE(seen.message, question.message);
        QCOMPARE(seen.title, question.title);
        QCOMPARE(seen.buttons, question.buttons);
        QCOMPARE(seen.remember, question.rememberShown);
    }
    QCOMPARE(result, question.expected);
    QCOMPARE(settings()->dontAskRemoveFromQueue(), question.dontAskAfter);
}

void tst_Ui::shutdownCountdown()
{
    // The countdown's ticks are driven by hand: its own timer is stopped as
    // soon as the box shows.
    struct Run
    {
        int ticksBeforeAnswer;
        int press; // -1: let the count run out
        bool expected;
    };
    const QList<Run> runs{{2, -1, true}, {1, 0, false}, {0, 1, true}};
    for (const Run &run : runs) {
        QStringList texts;
        QString cancelText;
        QString turnOffText;
        MessageBoxInput::whenShown([&](KelMessageBox *box) {
            auto *timer = box->findChild<QTimer *>(QStringLiteral("ShutdownCountdown"));
            if (!timer)
                return;
            timer->stop();
            cancelText = buttonText(box, 0);
            turnOffText = buttonText(box, 1);
            QPointer<KelMessageBox> guard(box);
            texts << box->messageLabel()->text();
            for (int tick = 0; tick < run.ticksBeforeAnswer && guard; ++tick) {
                QMetaObject::invokeMethod(timer, "timeout");
                if (guard && guard->isVisible())
                    texts << box->messageLabel()->text();
            }
            if (guard && guard->isVisible() && run.press >= 0)
                WindowInput::click(box->button(run.press));
        });
        QCOMPARE(ui()->showShutdownCountdown(2), run.expected);
        QCOMPARE(cancelText, inContext("Dialog_Shutdown", "Cancel"));
        QCOMPARE(turnOffText, inContext("Dialog_Shutdown", "Turn off PC now"));
        QStringList expectedTexts;
        for (int left = 2; left >= 1 && expectedTexts.size() <= run.ticksBeforeAnswer; --left)
            expectedTexts << inContext("Dialog_Shutdown", "Shutdown in %1 sec").arg(left);
        QCOMPARE(texts, expectedTexts);
    }
}

void tst_Ui::newVersionDialog_data()
{
    QTest::addColumn<int>("press");
    QTest::addColumn<bool>("downloads");
    QTest::newRow("DOWNLOAD") << 2 << true;
    QTest::newRow("CANCEL") << 1 << false;
    QTest::newRow("closed") << CloseWindow << false;
}

void tst_Ui::newVersionDialog()
{
    QFETCH(int, press);
    QFETCH(bool, downloads);

    HttpStubServer server;
    QVERIFY(server.listen());
    MetricSender::init(QStringLiteral("device"), QStringLiteral("15"), QStringLiteral("1.0"), true,
                       server.baseUrl(), 50);
    LinkCatcher links({QStringLiteral("https")});

    Question answer;
    answer.press = press;
    SeenBox seen;
    answerQuestion(answer, &seen);
    ui()->showNewVersionDialog(QStringLiteral("2.1"), QStringLiteral("https://notes.example/new"),
                               QStringLiteral("https://download.example/get"));
    MetricSender::flush();
    MetricSender::setEnabled(false);

    QVERIFY(seen.shown);
    QCOMPARE(seen.title, inContext("Dialog_Update", "Update available!"));
    QCOMPARE(seen.buttons,
             (QStringList{inContext("Dialog_Update", "CANCEL"),
                          inContext("Dialog_Update", "DOWNLOAD"), QString()}));
    // The link keeps the style's link colour and its underline.
    const QString link = ui()->makeLink(QStringLiteral("https://notes.example/new"),
                                        inContext("Dialog_Update", "new features"));
    QCOMPARE(seen.message,
             inContext("Dialog_Update", "New version of the program is available: <b>%1</b>.")
                             .arg(QStringLiteral("2.1"))
                     + QStringLiteral("<br>") + inContext("Dialog_Update", "Read about")
                     + QLatin1Char(' ') + link);

    const QList<QUrl> expectedLinks = downloads
            ? QList<QUrl>{QUrl(QStringLiteral("https://download.example/get"))}
            : QList<QUrl>();
    QCOMPARE(links.opened, expectedLinks);
    const QStringList events = metricEvents(server.requests());
    const bool sent = events.contains(QStringLiteral("upd:1"))
            || events.contains(QStringLiteral("upd:1:"));
    QVERIFY2(sent == downloads, qPrintable(events.join(QLatin1Char(' '))));
}

void tst_Ui::helpOpensTheHelpPage()
{
    auto *app = static_cast<Application *>(QCoreApplication::instance());
    app->setHelpUrl(QStringLiteral("https://help.example/reelmorph"));
    LinkCatcher links({QStringLiteral("https")});
    ui()->openHelp();
    QCOMPARE(links.opened, QList<QUrl>{QUrl(QStringLiteral("https://help.example/reelmorph"))});
}

void tst_Ui::videoFilesFilterAndFolder()
{
    const QString chosen = m_dir->filePath(QStringLiteral("clip.mp4"));
    QFile file(chosen);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    settings()->setLastOpenFilePath(m_dir->path());

    QString title;
    QStringList filters;
    QString start;
    FileDialogInput::whenShown([&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        start = dialog->directory().absolutePath();
        dialog->selectFile(chosen);
        static_cast<QDialog *>(dialog)->accept();
    });
    QCOMPARE(ui()->selectVideoFiles(), QStringList{chosen});
    QCOMPARE(title, inContext("FileDialogs", "Select video files"));
    QCOMPARE(filters.join(QLatin1String(";;")),
             QStringLiteral(
                     "FileDialogs|All files (*.mp4 *.mov *.avi *.webm *.mkv *.mpeg *.mpg *.m2ts "
                     "*.wmv *.flv *.f4v *.m4v *.ogv *.ts *.mts *.vob *.3gp *.mp3 *.m4a *.aiff "
                     "*.aif);;"
                     "FileDialogs|Video files (*.mp4 *.mov *.avi *.webm *.mkv *.mpeg *.mpg *.m2ts "
                     "*.wmv *.flv *.f4v *.m4v *.ogv *.ts *.mts *.vob *.3gp);;"
                     "FileDialogs|Audio files (*.mp3 *.m4a *.aiff *.aif)"));
    QCOMPARE(start, m_dir->path());
}

void tst_Ui::subtitlesAndWatermarkFolders_data()
{
    QTest::addColumn<bool>("subtitles");
    QTest::addColumn<QString>("currentPath");   // relative to the test folder; "" for none
    QTest::addColumn<QString>("remembered");    // the kind's own folder, relative; "" for none
    QTest::addColumn<QString>("expectedStart"); // relative; "open" for lastOpenFilePath
    QTest::addColumn<bool>("cancel");

    for (bool subtitles : {true, false}) {
        const char *kind = subtitles ? "subtitles" : "watermark";
        QTest::addRow("%s: from the current file", kind) << subtitles << "current/old.srt"
                                                         << "kept"
                                                         << "current" << false;
        QTest::addRow("%s: from its own folder", kind) << subtitles << ""
                                                       << "kept"
                                                       << "kept" << false;
        QTest::addRow("%s: from the open folder", kind) << subtitles << ""
                                                        << ""
                                                        << "open" << false;
        QTest::addRow("%s: cancelled", kind) << subtitles << ""
                                             << "kept"
                                             << "kept" << true;
    }
}

void tst_Ui::subtitlesAndWatermarkFolders()
{
    QFETCH(bool, subtitles);
    QFETCH(QString, currentPath);
    QFETCH(QString, remembered);
    QFETCH(QString, expectedStart);
    QFETCH(bool, cancel);

    QDir root(m_dir->path());
    for (const char *folder : {"current", "kept", "open", "chosen"})
        QVERIFY(root.mkpath(QLatin1String(folder)));
    const QString chosen = root.filePath(QStringLiteral("chosen/pick.srt"));
    QFile file(chosen);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const auto absolute = [&root](const QString &relative) {
        return relative.isEmpty() ? QString() : root.filePath(relative);
    };
    settings()->setLastOpenFilePath(root.filePath(QStringLiteral("open")));
    const QString rememberedPath = absolute(remembered);
    if (subtitles)
        settings()->setLastSubtitlesFolder(rememberedPath);
    else
        settings()->setLastWatermarkFolder(rememberedPath);

    QString title;
    QString start;
    QStringList filters;
    FileDialogInput::whenShown([&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        start = dialog->directory().absolutePath();
        filters = dialog->nameFilters();
        if (cancel) {
            dialog->reject();
            return;
        }
        dialog->selectFile(chosen);
        static_cast<QDialog *>(dialog)->accept();
    });
    const QString result = subtitles ? ui()->selectSubtitlesFile(absolute(currentPath))
                                     : ui()->selectWatermarkFile(absolute(currentPath));

    QCOMPARE(start, absolute(expectedStart));
    QCOMPARE(result, cancel ? QString() : chosen);
    const QString folderAfter = subtitles ? settings()->lastSubtitlesFolder()
                                          : settings()->lastWatermarkFolder();
    QCOMPARE(folderAfter, cancel ? rememberedPath : root.filePath(QStringLiteral("chosen")));
    // The framework's own folder is not moved by these choosers.
    QCOMPARE(settings()->lastOpenFilePath(), root.filePath(QStringLiteral("open")));
    QCOMPARE(filters.size(), 1);
    if (subtitles) {
        QCOMPARE(title, inContext("FileDialogs", "Select subtitles file"));
        QCOMPARE(filters.value(0), inContext("FileDialogs", "Subtitles (%1)").arg("*.srt"));
    } else {
        QCOMPARE(title, inContext("FileDialogs", "Select watermark file"));
        QVERIFY2(filters.value(0).startsWith(
                         inContext("FileDialogs", "Image files (%1)").arg(QString()).chopped(1)),
                 qPrintable(filters.value(0)));
        QVERIFY2(filters.value(0).contains(QStringLiteral("*.png"))
                         && filters.value(0).contains(QStringLiteral("*.svg")),
                 qPrintable(filters.value(0)));
    }
}

void tst_Ui::outputFolder()
{
    QDir root(m_dir->path());
    QVERIFY(root.mkpath(QStringLiteral("target")));
    QVERIFY(root.mkpath(QStringLiteral("other")));
    settings()->setTargetFolderPath(root.filePath(QStringLiteral("target")));

    for (bool cancel : {true, false}) {
        QString start;
        FileDialogInput::whenShown([&](QFileDialog *dialog) {
            start = dialog->directory().absolutePath();
            if (cancel) {
                dialog->reject();
                return;
            }
            dialog->selectFile(root.filePath(QStringLiteral("other")));
            static_cast<QDialog *>(dialog)->accept();
        });
        const QString result = ui()->selectOutputFolder();
        QCOMPARE(start, root.filePath(QStringLiteral("target")));
        QCOMPARE(result, cancel ? QString() : root.filePath(QStringLiteral("other")));
    }
    QCOMPARE(settings()->targetFolderPath(), root.filePath(QStringLiteral("other")));
}

void tst_Ui::thumbnailCoversAndCrops_data()
{
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QSize>("scaled");
    QTest::addColumn<QRect>("crop");
    // Qt's integer arithmetic scales 1920 x 1080 to exactly 193 x 108.
    QTest::newRow("landscape, no crop")
            << QSize(1920, 1080) << QSize(193, 108) << QRect(0, 0, 193, 108);
    QTest::newRow("portrait, middle rows")
            << QSize(1080, 1920) << QSize(193, 343) << QRect(0, 117, 193, 108);
    QTest::newRow("wide, middle columns")
            << QSize(1000, 100) << QSize(1080, 108) << QRect(443, 0, 193, 108);
}

void tst_Ui::thumbnailCoversAndCrops()
{
    QFETCH(QSize, source);
    QFETCH(QSize, scaled);
    QFETCH(QRect, crop);

    const QImage picture = stripedImage(source);
    const QString path = m_dir->filePath(QStringLiteral("picture.png"));
    QVERIFY(picture.save(path));

    QPixmap out;
    QVERIFY(ui()->thumbnail(path, QSize(193, 108), 1.0, out));
    QCOMPARE(out.size(), QSize(193, 108));
    QCOMPARE(out.devicePixelRatio(), 1.0);
    const QImage expected = picture.scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                    .copy(crop)
                                    .convertToFormat(QImage::Format_RGB32);
    QCOMPARE(asRgb(out), expected);

    QPixmap fromImage;
    QVERIFY(ui()->thumbnailFromImage(picture, QSize(193, 108), 1.0, fromImage));
    QCOMPARE(asRgb(fromImage), expected);
}

void tst_Ui::thumbnailCacheKeys()
{
    const QString path = m_dir->filePath(QStringLiteral("keys.png"));
    QVERIFY(stripedImage(QSize(400, 300)).save(path));

    QPixmap single;
    QPixmap oneAndHalf;
    QVERIFY(ui()->thumbnail(path, QSize(40, 30), 1.0, single));
    QVERIFY(ui()->thumbnail(path, QSize(40, 30), 1.5, oneAndHalf));
    QCOMPARE(single.size(), QSize(40, 30));
    QCOMPARE(oneAndHalf.size(), QSize(60, 45));
    QCOMPARE(oneAndHalf.devicePixelRatio(), 1.5);

    auto *cache = ui()->findChild<KelPixmapCache *>(QStringLiteral("ThumbCache"));
    QVERIFY(cache);
    QCOMPARE(cache->cacheLimit(), 100 * 1024);
    const QString key = QStringLiteral("Thumb-%1-40-30-").arg(path);
    QVERIFY(cache->find(key + QStringLiteral("1"), nullptr));
    QVERIFY(cache->find(key + QStringLiteral("1.5"), nullptr));

    // Served from the cache once the file is gone.
    QVERIFY(QFile::remove(path));
    QPixmap again;
    QVERIFY(ui()->thumbnail(path, QSize(40, 30), 1.5, again));
    QCOMPARE(asRgb(again), asRgb(oneAndHalf));
}

void tst_Ui::unreadableThumbnailIsNotCached()
{
    const QString path = m_dir->filePath(QStringLiteral("broken.png"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();

    QPixmap out;
    QVERIFY(!ui()->thumbnail(path, QSize(40, 30), 1.0, out));
    // Readable now: the next call loads it.
    QVERIFY(stripedImage(QSize(80, 60)).save(path, "PNG"));
    QVERIFY(ui()->thumbnail(path, QSize(40, 30), 1.0, out));
    QCOMPARE(out.size(), QSize(40, 30));
}

void tst_Ui::thumbnailFromImage()
{
    const QImage picture = stripedImage(QSize(400, 300));
    QPixmap out;
    QVERIFY(ui()->thumbnailFromImage(picture, QSize(40, 30), 2.0, out));
    QCOMPARE(out.size(), QSize(80, 60));
    QCOMPARE(out.devicePixelRatio(), 2.0);

    QPixmap empty;
    QVERIFY(!ui()->thumbnailFromImage(QImage(), QSize(40, 30), 1.0, empty));
    QVERIFY(empty.isNull());
}

void tst_Ui::modelessDialogShowRule()
{
    QWidget parent;
    parent.setGeometry(100, 100, 800, 600);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent, WaitBound::ms()));

    // Shown once, moved away and closed with its geometry saved.
    QPointer<KelDialog> first = new KelDialog(KelStyle::WT_Dialog, KelWindow::Movable, &parent);
    first->setObjectName(QStringLiteral("LaunchRuleDialog"));
    first->resize(200, 150);
    DialogLaunch::showModeless(first);
    QVERIFY(QTest::qWaitForWindowExposed(first, WaitBound::ms()));
    QCOMPARE(first->windowModality(), Qt::NonModal);
    QCOMPARE(first->frameGeometry().center(), parent.frameGeometry().center());
    first->move(20, 30);
    const QPoint movedTo = first->pos();
    first->saveWindowGeometry();
    first->close();
    QTRY_VERIFY(first.isNull());

    QPointer<KelDialog> second = new KelDialog(KelStyle::WT_Dialog, KelWindow::Movable, &parent);
    second->setObjectName(QStringLiteral("LaunchRuleDialog"));
    QVERIFY(second->hasSavedGeometry());
    // As the dialogs do when they are made.
    second->restoreSavedGeometry();
    DialogLaunch::showModeless(second);
    QVERIFY(QTest::qWaitForWindowExposed(second, WaitBound::ms()));
    QCOMPARE(second->pos(), movedTo);
    second->close();
    QTRY_VERIFY(second.isNull());
}

void tst_Ui::audioOnlySource_data()
{
    QTest::addColumn<QSize>("resolution");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("sampleRate");
    QTest::addColumn<bool>("audioOnly");
    QTest::newRow("song") << QSize() << 2 << 44100 << true;
    QTest::newRow("film") << QSize(1280, 720) << 2 << 44100 << false;
    QTest::newRow("no channels") << QSize() << 0 << 44100 << false;
    QTest::newRow("no sample rate") << QSize() << 2 << 0 << false;
}

void tst_Ui::audioOnlySource()
{
    QFETCH(QSize, resolution);
    QFETCH(int, channels);
    QFETCH(int, sampleRate);
    QFETCH(bool, audioOnly);

    CodecInfo source;
    source.setResolution(resolution);
    source.setChannelCount(channels);
    source.setSamplerate(sampleRate);
    QCOMPARE(DialogLaunch::isAudioOnly(source), audioOnly);
}

void tst_Ui::trimOpenerReturnsAtOnce_data()
{
    QTest::addColumn<QSize>("resolution");
    QTest::addColumn<QString>("objectName");
    QTest::newRow("film") << QSize(320, 240) << QStringLiteral("TrimDialog");
    QTest::newRow("song") << QSize() << QString();
}

void tst_Ui::trimOpenerReturnsAtOnce()
{
    QFETCH(QSize, resolution);
    QFETCH(QString, objectName);
    FakeAudioDevices::install();
    const QString missing = m_dir->filePath(QStringLiteral("gone.mp4"));
    auto item = VideoItemPtr::create(QFileInfo(missing));
    item->setDuration(30000000);
    item->sourceCodecInfo()->setResolution(resolution);
    item->sourceCodecInfo()->setChannelCount(2);
    item->sourceCodecInfo()->setSamplerate(44100);
    QTest::ignoreMessage(QtCriticalMsg, qPrintable("[PLAYER] Can't open file: " + missing));

    ui()->showTrimDialog(item);
    QPointer<TrimDialog> dialog;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *trim = qobject_cast<TrimDialog *>(widget))
            dialog = trim;
    }
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowModality(), Qt::NonModal);
    QCOMPARE(dialog->objectName(), objectName);
    dialog->close();
    QTRY_VERIFY(dialog.isNull());
    FakeAudioDevices::uninstall();
}

void tst_Ui::codecOpenerWaitsForTheAnswer()
{
    auto item = VideoItemPtr::create(QFileInfo(m_dir->filePath(QStringLiteral("a.mov"))));
    item->targetCodecInfo()->setFormat(QStringLiteral("MP4"));
    bool answered = false;
    QTimer answer;
    connect(&answer, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<TargetCodecDialog *>(QApplication::activeModalWidget());
        if (!dialog || answered)
            return;
        answered = true;
        QCOMPARE(dialog->formatsCombo()->format(), QStringLiteral("mp4"));
        WindowInput::click(dialog->acceptButton());
    });
    answer.start(5);

    ui()->showTargetCodecDialog(item);
    QVERIFY(answered);
    QCOMPARE(item->targetCodecInfo()->format(), QStringLiteral("mp4"));
    for (QWidget *widget : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<TargetCodecDialog *>(widget));
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Corvina Reelmorph"));
    app.initFormats();
    AppServicesFixture services(app);
    tst_Ui test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ui.moc"
