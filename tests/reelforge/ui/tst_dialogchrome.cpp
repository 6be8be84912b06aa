#include "datamodel/codecinfo.h"
#include "kelapplication.h"
#include "kelui.h"
#include "styles/kelstylemanager.h"
#include "ui/style.h"
#include "ui/targetcodecdialog.h"
#include "ui/trimdialog.h"
#include "ui/widgets/formatscombo.h"
#include "ui/widgets/resolutionscombo.h"
#include "widgets/kelbutton.h"
#include "widgets/kellabel.h"
#include "windows/kelmessagebox.h"
#include "windows/keltitlebar.h"

#include "appservicesfixture.h"
#include "fakeaudio.h"
#include "mediafixtures.h"

#include <QtTest>

#include <functional>
#include <memory>

namespace {

// The side margin the application's dialogs keep, also between a centred
// title and the window buttons.
constexpr int DialogSideMargin = 32;

// Pixels of the rectangle that stand out from its top-left corner's colour.
int inkIn(const QImage &image, const QRect &rect)
{
    const QColor background = image.pixelColor(rect.topLeft());
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - background.red()) + qAbs(c.green() - background.green())
                        + qAbs(c.blue() - background.blue())
                > 150)
                ++count;
        }
    }
    return count;
}

} // namespace

// The frame of the program's dialogs: the title drawn in the bar, clear of
// the window buttons, and the controls inside the window.
class tst_DialogChrome : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void titleAndControls_data();
    void titleAndControls();

private:
    MediaFixtures m_fixtures;
    QString m_clip;
};

void tst_DialogChrome::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    FakeAudioDevices::install();
    Style::registerThemes(kelUi());
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(QStringLiteral("LightStyle")));
    MediaFixtures::Clip clip;
    clip.frames = 25;
    m_clip = m_fixtures.make(QStringLiteral("clip.mp4"), clip);
    QVERIFY(!m_clip.isEmpty());
}

void tst_DialogChrome::cleanupTestCase()
{
    FakeAudioDevices::uninstall();
}

using DialogMaker = std::function<KelWindow *(const QString &clip)>;
Q_DECLARE_METATYPE(DialogMaker)

void tst_DialogChrome::titleAndControls_data()
{
    QTest::addColumn<DialogMaker>("make");
    QTest::addColumn<QString>("title");

    auto item = [](const QString &clip) {
        auto made = VideoItemPtr::create(QFileInfo(clip));
        made->setDuration(10000000);
        made->sourceCodecInfo()->setResolution(QSize(320, 240));
        made->targetCodecInfo()->setFormat(QStringLiteral("MP4"));
        made->targetCodecInfo()->setResolution(QSize(320, 240));
        return made;
    };
    QTest::newRow("trim") << DialogMaker([item](const QString &clip) -> KelWindow * {
        return new TrimDialog(item(clip), nullptr, false);
    }) << QStringLiteral("Trim");
    QTest::newRow("output settings") << DialogMaker([item](const QString &clip) -> KelWindow * {
        return new TargetCodecDialog(item(clip));
    }) << QStringLiteral("Output video file settings");
    // A short message under a long title: the box is as narrow as it gets.
    const QString boxTitle = QStringLiteral("A new version is available for download");
    QTest::newRow("narrow message box") << DialogMaker([boxTitle](const QString &) -> KelWindow * {
        auto *box = new KelMessageBox(nullptr, true);
        box->setTitle(boxTitle);
        box->setWindowTitle(boxTitle);
        box->setText(QStringLiteral("Done."));
        auto *ok = new KelButton(21);
        ok->setText(QStringLiteral("OK"));
        box->addButton(1, ok, true);
        box->applyStyle();
        return box;
    }) << boxTitle;
}

void tst_DialogChrome::titleAndControls()
{
    QFETCH(DialogMaker, make);
    QFETCH(QString, title);
    std::unique_ptr<KelWindow> dialog(make(m_clip));
    dialog->showWithStrategy(KelWindow::CenteredOnParent);
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));

    KelTitleBar *bar = dialog->titleBar();
    QVERIFY(bar);
    KelLabel *label = bar->titleLabel();
    QCOMPARE(label->text(), title);
    const QImage shot = dialog->grab().toImage();
    const QRect labelRect(label->mapTo(dialog.get(), QPoint()), label->size());
    QVERIFY2(inkIn(shot, labelRect) > 40, "the title row shows no text");

    // The centred text keeps the margin from the close button.
    const int textWidth = label->fontMetrics().horizontalAdvance(title);
    const int textRight = label->geometry().center().x() + (textWidth + 1) / 2;
    const int closeLeft = bar->button(KelTitleBar::CloseButton)->geometry().left();
    QVERIFY2(closeLeft - textRight >= DialogSideMargin - 1,
             qPrintable(QStringLiteral("%1 px between the title and the close button")
                                .arg(closeLeft - textRight)));

    // Every control is whole inside the window and inside its parent.
    const QList<QWidget *> controls = dialog->findChildren<QWidget *>();
    for (QWidget *control : controls) {
        if (!control->isVisible()
            || !(qobject_cast<KelButton *>(control) || qobject_cast<KelLabel *>(control)))
            continue;
        const QRect inWindow(control->mapTo(dialog.get(), QPoint()), control->size());
        QVERIFY2(dialog->rect().contains(inWindow)
                         && control->parentWidget()->rect().contains(control->geometry()),
                 qPrintable(QStringLiteral("%1 (%2) is clipped")
                                    .arg(QLatin1String(control->metaObject()->className()),
                                         control->objectName())));
    }
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    AppServicesFixture services(app);
    tst_DialogChrome test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dialogchrome.moc"
