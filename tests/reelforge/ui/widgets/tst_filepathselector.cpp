#include "application.h"
#include "kelui.h"
#include "ui/mainwindow/thumbicon.h"
#include "ui/widgets/filepathselector.h"
#include "waitbound.h"

#include "appservicesfixture.h"
#include "windowinput.h"

#include "../../../kelkit/offscreenleak.h"

#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

namespace {

const QString Placeholder = QStringLiteral("Click here to select file...");

} // namespace

class tst_FilePathSelector : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void showsPath_data();
    void showsPath();
    void thumbnailIsPaintedLeft();
    void chooserResults_data();
    void chooserResults();
    void clickWithoutChooserDoesNothing();

private:
    QTemporaryDir m_dir;
    QString m_image;
    std::unique_ptr<QWidget> m_window;
    FilePathSelector *m_selector = nullptr;
};

void tst_FilePathSelector::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QImage red(64, 48, QImage::Format_RGB32);
    red.fill(Qt::red);
    m_image = m_dir.filePath(QStringLiteral("logo.png"));
    QVERIFY(red.save(m_image));
    QVERIFY(red.save(m_dir.filePath(QStringLiteral("LOUD.PNG")), "PNG"));
    QFile subtitles(m_dir.filePath(QStringLiteral("talk.srt")));
    QVERIFY(subtitles.open(QIODevice::WriteOnly));
    subtitles.write("1\n00:00:00,000 --> 00:00:01,000\nHello\n");
}

void tst_FilePathSelector::init()
{
    m_window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(m_window.get());
    m_selector = new FilePathSelector;
    m_selector->setPlaceholderText(Placeholder);
    layout->addWidget(m_selector);
    m_window->resize(300, 80);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get(), WaitBound::ms()));
}

void tst_FilePathSelector::cleanup()
{
    m_window.reset();
}

void tst_FilePathSelector::showsPath_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("thumbnail");

    QTest::newRow("image") << "logo.png"
                           << "logo.png" << true;
    QTest::newRow("image, upper-case suffix") << "LOUD.PNG"
                                              << "LOUD.PNG" << true;
    QTest::newRow("subtitles") << "talk.srt"
                               << "talk.srt" << false;
    QTest::newRow("empty") << QString() << QString() << false;
}

void tst_FilePathSelector::showsPath()
{
    QFETCH(QString, file);
    QFETCH(QString, text);
    QFETCH(bool, thumbnail);

    const QString path = file.isEmpty() ? QString() : m_dir.filePath(file);
    m_selector->setPath(QStringLiteral("elsewhere.txt"));
    m_selector->setPath(path);
    QCOMPARE(m_selector->path(), path);
    QCOMPARE(m_selector->text(), text);
    QCOMPARE(m_selector->secondText(), path.isEmpty() ? Placeholder : QString());
    QCOMPARE(m_selector->toolTip(), path);
    QCOMPARE(m_selector->thumbnail()->isValid(), thumbnail);
    const QPixmap picture = m_selector->thumbnail()->pixmap(1.0,
                                                            QSize(FilePathSelector::ThumbnailSide,
                                                                  FilePathSelector::ThumbnailSide),
                                                            QColor(), KelPainting::Normal);
    QCOMPARE(picture.isNull(), !thumbnail);
}

void tst_FilePathSelector::thumbnailIsPaintedLeft()
{
    const auto probe = [this] {
        const QImage shot = m_selector->grab().toImage();
        const QPoint spot(m_selector->frameRect().left() + 6 + FilePathSelector::ThumbnailSide / 2,
                          m_selector->height() / 2);
        return QColor(shot.pixel(spot * shot.devicePixelRatio()));
    };
    QVERIFY(probe() != QColor(Qt::red));
    m_selector->setPath(m_image);
    QCOMPARE(probe(), QColor(Qt::red));
    // The name starts right of the thumbnail.
    QVERIFY(m_selector->textRect().left()
            >= m_selector->frameRect().left() + 6 + FilePathSelector::ThumbnailSide);
}

void tst_FilePathSelector::chooserResults_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("emitted");

    QTest::newRow("same path") << "logo.png"
                               << "logo.png" << 0;
    QTest::newRow("cancelled") << QString() << "logo.png" << 0;
    QTest::newRow("new path") << "talk.srt"
                              << "talk.srt" << 1;
}

void tst_FilePathSelector::chooserResults()
{
    QFETCH(QString, chosen);
    QFETCH(QString, path);
    QFETCH(int, emitted);

    m_selector->setPath(m_dir.filePath(QStringLiteral("logo.png")));
    int asked = 0;
    m_selector->setFileChooser([&] {
        ++asked;
        return chosen.isEmpty() ? QString() : m_dir.filePath(chosen);
    });
    QSignalSpy changed(m_selector, &FilePathSelector::filePathChanged);
    WindowInput::click(m_selector);
    QTRY_COMPARE(asked, 1);
    QCOMPARE(changed.size(), emitted);
    if (emitted)
        QCOMPARE(changed.first().first().toString(), m_dir.filePath(path));
    QCOMPARE(m_selector->path(), m_dir.filePath(path));
}

void tst_FilePathSelector::clickWithoutChooserDoesNothing()
{
    QSignalSpy clicked(m_selector, &KelButton::clicked);
    QSignalSpy changed(m_selector, &FilePathSelector::filePathChanged);
    WindowInput::click(m_selector);
    QTRY_COMPARE(clicked.size(), 1);
    QCOMPARE(changed.size(), 0);
    QVERIFY(m_selector->path().isEmpty());
    QCOMPARE(m_selector->secondText(), Placeholder);
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    app.initFormats();
    AppServicesFixture services(app);
    // Creates the Ui, whose thumbnail cache the selector paints from.
    kelUi();
    tst_FilePathSelector test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_filepathselector.moc"
