// Renders a sample sheet of every application style id in both themes:
//   QT_QPA_PLATFORM=offscreen reelgallery <output folder>
// writes styles-light.png and styles-dark.png, resizer-light.png and
// resizer-dark.png with the overlay box editor over a picture,
// progress-light.png and progress-dark.png with the progress bars in their
// states, splash.png with the start-up splash, and widgets-light.png and
// widgets-dark.png with the application's widgets and the player's controls,
// and cards-light.png and cards-dark.png with a queue card in each state,
// settings-light/-dark.png and servicemode-styles-light/-dark.png with the
// settings dialog and the maintenance window's Styles tab, and preview-,
// trim- and codec-light.png and -dark.png with the preview dialogs on a
// generated clip, watermark-, subtitles- and fontsmenu-light.png and
// -dark.png with the watermark and subtitles dialogs and the open fonts menu,
// and mainwindow-light.png and mainwindow-dark.png with the main window,
// empty and with two cards.
//   reelgallery --show <window> [clip]
// opens one window for the X11 scenarios instead (showmode.h).

#include "animators/kelwidgetstateanimator.h"
#include "core/appservices.h"
#include "datamodel/codecinfo.h"
#include "datamodel/videoitem.h"
#include "kelapplication.h"
#include "kelui.h"
#include "painting/kelanimatedicons.h"
#include "shared/formattables.h"
#include "styles/kelstylemanager.h"
#include "ui/mainwindow/card.h"
#include "ui/metroprogressbar.h"
#include "ui/player/resizeroverlay.h"
#include "ui/progressbar.h"
#include "ui/splash.h"
#include "ui/style.h"
#include "utils/kelcolorutils.h"
#include "widgets/kelbutton.h"
#include "widgets/kelframe.h"
#include "widgets/kellabel.h"
#include "widgets/kellineedit.h"
#include "widgets/kelscrollarea.h"
#include "widgets/kelslider.h"
#include "widgets/kelspinbox.h"
#include "windows/keldialog.h"
#include "windows/kelsplash.h"
#include "windows/kelwindow.h"

#include "dialogspage.h"
#include "editdialogspage.h"
#include "mainwindowpage.h"
#include "settingspage.h"
#include "showmode.h"
#include "widgetspage.h"

#include <QCheckBox>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaEnum>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTemporaryDir>
#include <QTime>
#include <QTransform>
#include <QVBoxLayout>

#include <functional>
#include <memory>
#include <vector>

namespace {

enum ButtonState { Normal, Hovered, Pressed, Checked, Disabled };

const char *const StateNames[] = {"normal", "hovered", "pressed", "checked", "disabled"};

// Ids whose buttons show an icon rather than, or beside, a text.
QString iconFor(int id)
{
    switch (id) {
    case 22:
        return kelStyle()->iconPath(KelStyle::IC_TitleBar_Minimize);
    case 23:
        return kelStyle()->iconPath(KelStyle::IC_TitleBar_Maximize);
    case 24:
        return kelStyle()->iconPath(KelStyle::IC_TitleBar_Restore);
    case 25:
    case 1020:
        return kelStyle()->iconPath(KelStyle::IC_TitleBar_Close);
    case 26:
    case 1018:
    case 1019:
    case 1040:
    case 1041:
    case 1042:
        return QStringLiteral(":/svg/close.svg");
    case 1023:
    case 1025:
    case 1026:
    case 1030:
    case 1031:
    case 1032:
    case 1033:
    case 1043:
    case 1044:
        return QStringLiteral(":/svg/search.svg");
    default:
        return QString();
    }
}

bool isIconOnly(int id)
{
    return (id >= 22 && id <= 26) || id == 1018 || id == 1019 || (id >= 1040 && id <= 1042)
            || id == 1020 || id == 1030;
}

KelLabel *caption(const QString &text, QWidget *parent)
{
    auto *label = new KelLabel(Style::WT_Label_12_Second, parent);
    label->setText(text);
    return label;
}

KelButton *makeButton(int id, ButtonState state, QWidget *parent)
{
    auto *button = new KelButton(id, iconFor(id), parent);
    if (!isIconOnly(id)) {
        button->setText(QStringLiteral("Button %1").arg(id));
        button->setSecondText(QStringLiteral("second"));
    }
    if (button->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored)
        button->setMinimumWidth(160);
    switch (state) {
    case Normal:
        break;
    case Hovered:
        button->stateAnimator()->setHoveredProgress(1.0);
        break;
    case Pressed:
        button->stateAnimator()->setHoveredProgress(1.0);
        button->stateAnimator()->setPressedProgress(1.0);
        break;
    case Checked:
        button->setCheckable(true);
        button->setChecked(true);
        button->stateAnimator()->setCheckedProgress(1.0);
        break;
    case Disabled:
        button->setEnabled(false);
        break;
    }
    return button;
}

const int ButtonIds[] = {11,   16,   18,   19,   20,   21,   22,   23,   24,   25,   26,   1003,
                         1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015,
                         1016, 1017, 1018, 1019, 1020, 1021, 1022, 1023, 1024, 1025, 1026, 1027,
                         1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036, 1037, 1038, 1039,
                         1040, 1041, 1042, 1043, 1044, 1045, 1046, 1047};

// Two blocks side by side, each a row per id and a column per state.
QWidget *buttonSheet(QWidget *parent)
{
    auto *sheet = new QWidget(parent);
    auto *grid = new QGridLayout(sheet);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);
    const int count = int(std::size(ButtonIds));
    const int half = (count + 1) / 2;
    for (int block = 0; block < 2; ++block) {
        const int column0 = block * 6;
        for (int state = Normal; state <= Disabled; ++state)
            grid->addWidget(caption(QString::fromLatin1(StateNames[state]), sheet), 0,
                            column0 + 1 + state);
        for (int i = 0; i < half && block * half + i < count; ++i) {
            const int id = ButtonIds[block * half + i];
            grid->addWidget(caption(QString::number(id), sheet), i + 1, column0);
            for (int state = Normal; state <= Disabled; ++state)
                grid->addWidget(makeButton(id, ButtonState(state), sheet), i + 1,
                                column0 + 1 + state, Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
    return sheet;
}

QWidget *labelsAndInputs(QWidget *parent)
{
    auto *sheet = new QWidget(parent);
    auto *grid = new QGridLayout(sheet);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);
    int row = 0;
    for (int id : {9, 1051, 1052, 1053, 1054, 1055, 1056, 1057, 1058, 1059}) {
        grid->addWidget(caption(QString::number(id), sheet), row, 0);
        auto *label = new KelLabel(id, sheet);
        label->setText(QStringLiteral("The quick brown fox jumps over the lazy dog"));
        // Nested layouts do not pass a wrapped label's height for width on.
        if (label->wordWrap())
            label->setMinimumHeight(label->heightForWidth(label->sizeHint().width()));
        grid->addWidget(label, row++, 1);
    }
    for (int id : {1060, 1061, 1062, 1063}) {
        grid->addWidget(caption(QString::number(id), sheet), row, 0);
        auto *edit = new KelLineEdit(id, sheet);
        edit->setText(id == 1063 ? QStringLiteral("A1B2-C3D4") : QStringLiteral("Line edit"));
        auto *disabled = new KelLineEdit(id, sheet);
        disabled->setText(QStringLiteral("Disabled"));
        disabled->setEnabled(false);
        auto *pair = new QHBoxLayout;
        pair->addWidget(edit);
        pair->addWidget(disabled);
        grid->addLayout(pair, row++, 1);
    }
    grid->addWidget(caption(QStringLiteral("1064"), sheet), row, 0);
    auto *spin = new KelSpinBox(Style::WT_SpinBox_Compact, sheet);
    spin->setRange(-90, 90);
    spin->setValue(45);
    grid->addWidget(spin, row++, 1);
    return sheet;
}

QWidget *slidersFramesAreas(QWidget *parent)
{
    auto *sheet = new QWidget(parent);
    auto *grid = new QGridLayout(sheet);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(12);
    int row = 0;
    for (int id : {37, 1065, 1066, 1067, 1068}) {
        grid->addWidget(caption(QString::number(id), sheet), row, 0);
        auto *slider = new KelSlider(id, Qt::Horizontal, sheet);
        slider->setRange(0, 100);
        slider->setValue(40);
        slider->setMinimumWidth(360);
        if (id == 1068) {
            slider->setTrimRange(20, 80);
            slider->setTrimVisible(true);
            slider->leftTrimHandle()->setText(QStringLiteral("00:12"));
            slider->rightTrimHandle()->setText(QStringLiteral("00:48"));
            slider->setMinimumHeight(60);
        }
        grid->addWidget(slider, row++, 1);
    }
    auto *frames = new QHBoxLayout;
    for (int id : {1048, 1049, 1050}) {
        auto *frame = new KelFrame(id, sheet);
        frame->setFixedSize(120, 60);
        auto *inner = new QVBoxLayout(frame);
        inner->addWidget(caption(QStringLiteral("frame %1").arg(id), frame));
        frames->addWidget(frame);
    }
    grid->addWidget(caption(QStringLiteral("frames"), sheet), row, 0);
    grid->addLayout(frames, row++, 1);
    auto *areas = new QHBoxLayout;
    for (int id : {39, 1069}) {
        auto *area = new KelScrollArea(id, sheet);
        auto *content = new QWidget;
        auto *column = new QVBoxLayout(content);
        for (int i = 0; i < 8; ++i)
            column->addWidget(caption(QStringLiteral("area %1, row %2").arg(id).arg(i), content));
        area->setWidget(content);
        area->setFixedSize(170, 90);
        areas->addWidget(area);
    }
    grid->addWidget(caption(QStringLiteral("areas"), sheet), row, 0);
    grid->addLayout(areas, row++, 1);
    return sheet;
}

std::unique_ptr<QWidget> buildSheet()
{
    auto sheet = std::make_unique<QWidget>();
    KelUtils::setBackgroundColor(sheet.get(), kelStyle()->color(KelStyle::CL_Window_Base));
    auto *columns = new QHBoxLayout(sheet.get());
    columns->setContentsMargins(16, 16, 16, 16);
    columns->setSpacing(32);
    columns->addWidget(buttonSheet(sheet.get()), 0, Qt::AlignTop);
    auto *right = new QVBoxLayout;
    right->setSpacing(24);
    right->addWidget(labelsAndInputs(sheet.get()));
    right->addWidget(slidersFramesAreas(sheet.get()));
    right->addStretch(1);
    columns->addLayout(right);
    return sheet;
}

// The framework's dialog with some text and two footer buttons, styled once
// its parts exist.
std::unique_ptr<KelWindow> dialogWindow(int styleId, const QString &title)
{
    auto dialog = std::make_unique<KelDialog>(styleId, KelWindow::WindowParams(), nullptr,
                                              KelWindow::Default, true);
    dialog->setTitle(title);
    auto *text = new KelLabel(KelStyle::WT_Label_Message, dialog->contentWidget());
    text->setText(QStringLiteral("The window recipe dresses the title bar, the frame, the content "
                                 "and the footer."));
    auto *inner = new QVBoxLayout(dialog->contentWidget());
    inner->addWidget(text);
    for (int id : {20, 21}) {
        auto *button = new KelButton(id);
        button->setText(id == 20 ? QStringLiteral("Cancel") : QStringLiteral("Save"));
        dialog->addButton(id == 20 ? 0 : 1, button, id == 21);
    }
    dialog->applyStyle();
    return dialog;
}

// The sheet above, the windows side by side below it.
QImage compose(QWidget *sheet, const std::vector<std::unique_ptr<KelWindow>> &windows)
{
    const QPixmap top = sheet->grab();
    QList<QPixmap> pictures;
    int width = 16;
    int height = 0;
    for (const auto &window : windows) {
        pictures << window->grab();
        width += pictures.last().width() + 32;
        height = qMax(height, pictures.last().height());
    }
    QImage image(qMax(top.width(), width), top.height() + height + 32,
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(kelStyle()->color(KelStyle::CL_Window_Base));
    QPainter painter(&image);
    // A darker band, so that the windows' edges show.
    painter.fillRect(0, top.height(), image.width(), height + 32,
                     kelStyle()->color(Style::CL_Gray_5));
    painter.drawPixmap(0, 0, top);
    int x = 16;
    for (const QPixmap &picture : pictures) {
        painter.drawPixmap(x, top.height() + 16, picture);
        x += picture.width() + 32;
    }
    return image;
}

bool saveSheet(const QDir &dir, const QString &styleId, const QString &fileName)
{
    if (!KelStyleManager::instance()->setCurrentStyle(styleId))
        return false;
    std::unique_ptr<QWidget> sheet = buildSheet();
    sheet->adjustSize();
    sheet->show();
    // No caret in the line edits.
    sheet->setFocus();
    std::vector<std::unique_ptr<KelWindow>> windows;
    windows.push_back(dialogWindow(1, QStringLiteral("Dialog, window style 1")));
    windows.push_back(dialogWindow(1000, QStringLiteral("Window style 1000")));
    for (const auto &window : windows) {
        window->resize(window->sizeHint().expandedTo(QSize(520, 200)));
        window->show();
    }
    QCoreApplication::processEvents();
    const QString path = dir.filePath(fileName);
    if (!compose(sheet.get(), windows).save(path)) {
        qWarning().noquote() << "could not save" << path;
        return false;
    }
    qInfo().noquote() << "saved" << path;
    return true;
}

// A stand-in for a video frame: sky, sun, hills.
QPixmap previewPicture(const QSize &size)
{
    QPixmap picture(size);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(0x2B5C8A));
    sky.setColorAt(1, QColor(0xF2B36B));
    painter.fillRect(picture.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xFFE08A));
    painter.drawEllipse(QPointF(size.width() * 0.75, size.height() * 0.35), 34, 34);
    painter.setBrush(QColor(0x3E6B3A));
    painter.drawEllipse(QRectF(-80, size.height() * 0.62, size.width() * 0.8, size.height()));
    painter.setBrush(QColor(0x2F5530));
    painter.drawEllipse(
            QRectF(size.width() * 0.35, size.height() * 0.7, size.width(), size.height()));
    return picture;
}

// The preview picture with the editor's overlay on it: a box turned by 30
// degrees, every operation allowed.
std::unique_ptr<QLabel> overlaidPicture(ResizerOverlay **overlayOut)
{
    auto host = std::make_unique<QLabel>();
    const QPixmap picture = previewPicture(QSize(480, 270));
    host->setPixmap(picture);
    host->setFixedSize(picture.size() + QSize(40, 40));
    host->setAlignment(Qt::AlignCenter);
    KelUtils::setBackgroundColor(host.get(), kelStyle()->color(Style::CL_List_Base));
    host->setAutoFillBackground(true);
    auto *overlay = new ResizerOverlay(Style::WT_ResizerOverlay, host.get());
    overlay->setGeometry(host->rect());
    overlay->setWorkingRect(QRectF(QPointF(20, 20), QSizeF(picture.size())));
    overlay->setRelativeSelectionQuiet(QRectF(150, 80, 180, 90));
    overlay->setRotationAngleQuiet(30);
    *overlayOut = overlay;
    return host;
}

// The cursor the overlay shows over a point of its unrotated box.
QPixmap cursorOver(ResizerOverlay *overlay, const QPointF &point)
{
    const QPointF c = overlay->screenSelection().center();
    const QPointF p = QTransform()
                              .translate(c.x(), c.y())
                              .rotate(overlay->rotationAngle())
                              .translate(-c.x(), -c.y())
                              .map(point);
    QMouseEvent move(QEvent::MouseMove, p, overlay->mapToGlobal(p.toPoint()), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(overlay, &move);
    return overlay->cursor().pixmap();
}

bool saveResizerSheet(const QDir &dir, const QString &styleId, const QString &fileName)
{
    if (!KelStyleManager::instance()->setCurrentStyle(styleId))
        return false;
    ResizerOverlay *plainOverlay = nullptr;
    std::unique_ptr<QLabel> plain = overlaidPicture(&plainOverlay);
    plain->show();
    QCoreApplication::processEvents();
    const QPixmap plainShot = plain->grab();

    // The cursors of the corner, ring and edge zones of the turned box.
    const QRectF box = plainOverlay->screenSelection();
    const QPointF points[] = {box.topLeft(),
                              box.topRight(),
                              box.topLeft() - QPointF(10, 4),
                              box.bottomRight() + QPointF(12, 4),
                              QPointF(box.center().x(), box.top() + 2),
                              QPointF(box.left() + 2, box.center().y())};
    QList<QPixmap> cursors;
    for (const QPointF &point : points)
        cursors << cursorOver(plainOverlay, point);

    kelUi()->setMaintenanceMode(true);
    ResizerOverlay *debugOverlay = nullptr;
    std::unique_ptr<QLabel> debug = overlaidPicture(&debugOverlay);
    debug->show();
    if (auto *box = debugOverlay->findChild<QCheckBox *>())
        box->setChecked(true);
    // The guide lines cross where the pointer is.
    QCursor::setPos(debugOverlay->mapToGlobal(QPoint(300, 120)));
    QCoreApplication::processEvents();
    const QPixmap debugShot = debug->grab();
    kelUi()->setMaintenanceMode(false);

    const int captionHeight = 24;
    QImage image(16 + plainShot.width() + 16 + debugShot.width() + 16,
                 16 + captionHeight + plainShot.height() + 16 + captionHeight + 48 + 16,
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(kelStyle()->color(KelStyle::CL_Window_Base));
    QPainter painter(&image);
    painter.setPen(kelStyle()->defaultTextColor());
    int x = 16;
    const int top = 16 + captionHeight;
    painter.drawText(x, 16 + 16, QStringLiteral("style 1070, turned by 30 degrees"));
    painter.drawPixmap(x, top, plainShot);
    x += plainShot.width() + 16;
    painter.drawText(x, 16 + 16, QStringLiteral("maintenance mode, \"Debug resizer\" checked"));
    painter.drawPixmap(x, top, debugShot);
    const int cursorTop = top + plainShot.height() + 16;
    painter.drawText(16, cursorTop + 16,
                     QStringLiteral("cursors: top-left, top-right, top-left ring, bottom-right "
                                    "ring, top edge, left edge"));
    x = 16;
    for (const QPixmap &cursor : cursors) {
        // A chequer behind each cursor, so that its outline shows.
        const QRect cell(x, cursorTop + captionHeight, 48, 48);
        painter.fillRect(cell, QColor(0x808080));
        painter.fillRect(cell.adjusted(0, 0, -24, -24), QColor(0xC0C0C0));
        painter.fillRect(cell.adjusted(24, 24, 0, 0), QColor(0xC0C0C0));
        const QRect shown(QPoint(), cursor.size() / cursor.devicePixelRatio());
        painter.drawPixmap(shown.translated(cell.center() - shown.center()), cursor);
        x += 64;
    }
    painter.end();
    const QString path = dir.filePath(fileName);
    if (!image.save(path)) {
        qWarning().noquote() << "could not save" << path;
        return false;
    }
    qInfo().noquote() << "saved" << path;
    return true;
}

// Lets the event loop run for a while, so that animations advance.
void runEventsFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The progress bar in each of its states, and the busy dots.
std::unique_ptr<QWidget> progressSheet()
{
    auto sheet = std::make_unique<QWidget>();
    KelUtils::setBackgroundColor(sheet.get(), kelStyle()->color(KelStyle::CL_Window_Base));
    auto *rows = new QGridLayout(sheet.get());
    rows->setContentsMargins(16, 16, 16, 16);
    rows->setHorizontalSpacing(24);
    rows->setVerticalSpacing(16);
    const QList<QPair<QString, std::function<void(ProgressBar *)>>>
            states{{QStringLiteral("new (importing)"), [](ProgressBar *) {}},
                   {QStringLiteral("scheduled"), [](ProgressBar *bar) { bar->setScheduled(); }},
                   {QStringLiteral("started, time unknown"),
                    [](ProgressBar *bar) { bar->setProgress(5); }},
                   {QStringLiteral("converting, with counter"),
                    [](ProgressBar *bar) {
                        bar->setProgress(436);
                        bar->setRemainingTime(QTime(0, 1, 20));
                        bar->setCounter(2, 5);
                    }},
                   {QStringLiteral("paused"),
                    [](ProgressBar *bar) {
                        bar->setProgress(436);
                        bar->setRemainingTime(QTime(0, 1, 20));
                        bar->setPaused(true);
                    }},
                   {QStringLiteral("done"), [](ProgressBar *bar) {
                        bar->setProgress(1000);
                        bar->setRemainingTime(QTime(0, 0, 0));
                        bar->setCounter(5, 5);
                    }}};
    int row = 0;
    for (const auto &state : states) {
        rows->addWidget(caption(state.first, sheet.get()), row, 0);
        auto *bar = new ProgressBar(sheet.get());
        bar->setMinimumWidth(420);
        state.second(bar);
        rows->addWidget(bar, row++, 1);
    }
    rows->addWidget(caption(QStringLiteral("busy dots"), sheet.get()), row, 0);
    auto *metro = new MetroProgressBar(sheet.get());
    metro->setColor(kelStyle()->color(KelStyle::CL_Accent));
    metro->setRadius(4.25);
    metro->setState(KelProgressBar::Indeterminate);
    rows->addWidget(metro, row, 1);
    return sheet;
}

bool saveProgressSheet(const QDir &dir, const QString &styleId, const QString &fileName)
{
    if (!KelStyleManager::instance()->setCurrentStyle(styleId))
        return false;
    std::unique_ptr<QWidget> sheet = progressSheet();
    sheet->adjustSize();
    sheet->show();
    // The dots are in the middle of their run.
    runEventsFor(1200);
    const QString path = dir.filePath(fileName);
    if (!sheet->grab().save(path)) {
        qWarning().noquote() << "could not save" << path;
        return false;
    }
    qInfo().noquote() << "saved" << path;
    return true;
}

// A queue card in each state of its item.
bool saveCardSheet(const QDir &dir, const QString &styleId, const QString &fileName)
{
    if (!KelStyleManager::instance()->setCurrentStyle(styleId))
        return false;
    QTemporaryDir sources;
    QFile source(sources.filePath(QStringLiteral("Holiday at the lake.mov")));
    if (!source.open(QIODevice::WriteOnly) || source.write(QByteArray(5 << 20, 'x')) < 0)
        return false;
    source.close();

    const FormatTables tables;
    appServices().formatTables = &tables;
    std::vector<VideoItemPtr> items;
    auto sheet = std::make_unique<QWidget>();
    KelUtils::setBackgroundColor(sheet.get(), kelStyle()->color(Style::CL_Gray_9));
    auto *rows = new QVBoxLayout(sheet.get());
    rows->setContentsMargins(16, 16, 16, 16);
    rows->setSpacing(8);
    for (int state = VideoItem::Importing; state <= VideoItem::History; ++state) {
        if (state == VideoItem::Paused)
            continue;
        auto item = VideoItemPtr::create(QFileInfo(source.fileName()));
        CodecInfo &codec = *item->sourceCodecInfo();
        codec.setFormat(QStringLiteral("MOV"));
        codec.setResolution(QSize(1920, 1080));
        codec.setSamplerate(48000);
        codec.setChannelCount(2);
        item->setDuration(754000000);
        item->setSupportAudio(true);
        item->setUseAudio(true);
        item->targetCodecInfo()->setFormat(QStringLiteral("mp4"));
        item->targetCodecInfo()->setResolution(QSize(1280, 720));
        item->setState(VideoItem::State(state));
        if (state == VideoItem::Converting)
            item->setProgress(436);
        items.push_back(item);
        rows->addWidget(
                caption(QLatin1String(QMetaEnum::fromType<VideoItem::State>().valueToKey(state)),
                        sheet.get()));
        auto *card = new Card(sheet.get());
        card->setMinimumWidth(1160);
        card->setVideoItem(item);
        rows->addWidget(card);
    }
    sheet->adjustSize();
    sheet->show();
    runEventsFor(300);
    const QString path = dir.filePath(fileName);
    const bool saved = sheet->grab().save(path);
    sheet.reset();
    appServices().formatTables = nullptr;
    if (!saved) {
        qWarning().noquote() << "could not save" << path;
        return false;
    }
    qInfo().noquote() << "saved" << path;
    return true;
}

// The start-up splash with its dots running.
bool saveSplash(const QDir &dir, const QString &fileName)
{
    QPointer<KelSplash> splash = Splash::showSplash(0, true);
    if (!splash)
        return false;
    runEventsFor(1200);
    const QString path = dir.filePath(fileName);
    const bool saved = splash->grab().save(path);
    splash->close();
    if (!saved) {
        qWarning().noquote() << "could not save" << path;
        return false;
    }
    qInfo().noquote() << "saved" << path;
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && qstrcmp(argv[1], "--show") == 0)
        return runShowMode(argc, argv);
    KelApplication app(argc, argv);
    if (argc < 2) {
        qWarning("usage: reelgallery <output folder>");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(dir.path());
    KelAnimatedIcons::create();
    Style::registerThemes(kelUi());
    const bool saved = saveSheet(dir, QStringLiteral("LightStyle"),
                                 QStringLiteral("styles-light.png"))
            && saveSheet(dir, QStringLiteral("DarkStyle"), QStringLiteral("styles-dark.png"))
            && saveResizerSheet(dir, QStringLiteral("LightStyle"),
                                QStringLiteral("resizer-light.png"))
            && saveResizerSheet(dir, QStringLiteral("DarkStyle"), QStringLiteral("resizer-dark.png"))
            && saveProgressSheet(dir, QStringLiteral("LightStyle"),
                                 QStringLiteral("progress-light.png"))
            && saveProgressSheet(dir, QStringLiteral("DarkStyle"),
                                 QStringLiteral("progress-dark.png"))
            && saveCardSheet(dir, QStringLiteral("LightStyle"), QStringLiteral("cards-light.png"))
            && saveCardSheet(dir, QStringLiteral("DarkStyle"), QStringLiteral("cards-dark.png"))
            && saveSplash(dir, QStringLiteral("splash.png"))
            && saveWidgetsSheet(dir, QStringLiteral("LightStyle"),
                                QStringLiteral("widgets-light.png"))
            && saveWidgetsSheet(dir, QStringLiteral("DarkStyle"), QStringLiteral("widgets-dark.png"))
            // Before the editing dialogs, which keep their own fonts menu.
            && saveMainWindowSheet(dir, QStringLiteral("LightStyle"),
                                   QStringLiteral("mainwindow-light.png"))
            && saveMainWindowSheet(dir, QStringLiteral("DarkStyle"),
                                   QStringLiteral("mainwindow-dark.png"))
            && saveDialogSheets(dir, QStringLiteral("LightStyle"), QStringLiteral("light"))
            && saveDialogSheets(dir, QStringLiteral("DarkStyle"), QStringLiteral("dark"))
            && saveEditDialogsSheets(dir, QStringLiteral("LightStyle"), QStringLiteral("light"))
            && saveEditDialogsSheets(dir, QStringLiteral("DarkStyle"), QStringLiteral("dark"))
            && saveSettingsPictures(dir);
    return saved ? 0 : 1;
}
