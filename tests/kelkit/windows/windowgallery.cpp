// Renders the framework's windows into PNG files, each on a backdrop with
// its shadow as a compositing desktop shows it; the dialogs, toasts and
// maintenance pages also in the application's light and dark themes
// ("-light", "-dark"). The "-nocompositor" pictures show a window, a combo
// list and a message box as a desktop without a compositing manager does:
// on white, with no shadow and a hairline border.
//   QT_QPA_PLATFORM=offscreen kelwindowgallery [output folder]

#include "animators/kelprogressanimator.h"
#include "animators/kelwidgetstateanimator.h"
#include "kelapplication.h"
#include "kelui.h"
#include "servicepages/kelservicepage_dialogs.h"
#include "servicepages/kelservicepage_general.h"
#include "servicepages/kelservicepage_painting.h"
#include "servicepages/kelservicepage_style.h"
#include "servicepages/kelservicepage_translations.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "ui/style.h"
#include "widgets/kelbutton.h"
#include "widgets/kellabel.h"
#include "windows/kelcombobox.h"
#include "windows/kelcustomshadow.h"
#include "windows/kelmessagebox.h"
#include "windows/kelnotificationmanager.h"
#include "windows/kelpopupmenu.h"
#include "windows/kelpopupmenubutton.h"
#include "windows/kelsplash.h"
#include "windows/keltitlebar.h"
#include "windows/kelwindow.h"
#include "windows/kelwindowblockedoverlay.h"
#include "windows/kelwindowframe.h"
#include "windows/platform/compositingmanager.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <functional>

#include <memory>
#include <utility>
#include <vector>

namespace {

const KelWindow::WindowParams Framed = KelWindow::Movable | KelWindow::Resizable
        | KelWindow::WindowButtons | KelWindow::MinimizeButton | KelWindow::MaximizeButton;

// Lets the window be shown and laid out; a tool, not a test, so it waits
// with a bound instead of failing.
void settle(QWidget *window)
{
    for (int round = 0; round < 100; ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (window->windowHandle() && window->windowHandle()->isExposed() && round > 5)
            return;
    }
}

std::unique_ptr<KelWindow> makeWindow(const QString &title, int cornerRadius)
{
    auto window = std::make_unique<KelWindow>(Framed);
    window->setTitle(title);
    window->windowFrame()->setCornerRadius(cornerRadius);
    auto *column = new QVBoxLayout(window->centralWidget());
    column->setContentsMargins(16, 12, 16, 16);
    auto *text = new KelLabel(KelStyle::WT_Label_Message, window->centralWidget());
    text->setText(QStringLiteral("A frameless window: its own title bar, border and shadow."));
    column->addWidget(text);
    column->addStretch();
    window->resize(420, 220);
    return window;
}

// Whether the pictures show a desktop with a compositing manager.
bool compositing = true;

void setCompositing(bool on)
{
    compositing = on;
    KelPlatform::setCompositingManagerOverride(on ? 1 : 0);
}

// The window over a backdrop, cut to its outline: with its shadow on grey,
// or on white, where only its own border shows its edge, without a
// compositing manager.
QImage composed(KelWindow *window)
{
    window->show();
    settle(window);
    KelWindowFrame *frame = window->windowFrame();
    const int grow = frame->shadowRadius();
    const QSize size = window->size() + QSize(2 * grow, 2 * grow);
    QImage image(size + QSize(40, 40), QImage::Format_ARGB32_Premultiplied);
    image.fill(compositing ? QColor(0xD8, 0xDC, 0xE2) : QColor(Qt::white));
    QPainter painter(&image);
    const QPoint origin(20, 20);
    if (compositing)
        painter.drawImage(origin, KelCustomShadow::shadowImage(frame, size, 1.0));
    const QPoint windowAt = origin + QPoint(grow, grow);
    painter.setClipPath(frame->outline(window->size(), 1.0).translated(windowAt));
    painter.drawPixmap(windowAt, window->grab());
    return image;
}

void save(const QImage &image, const QDir &dir, const QString &name)
{
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    if (image.save(path))
        qInfo().noquote() << "saved" << path;
    else
        qWarning().noquote() << "could not save" << path;
}

// Saves the next message box that the UI object shows, then closes it.
void saveNextMessageBox(const QDir &dir, const QString &name)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, dir, name] {
        auto *box = qobject_cast<KelMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        timer->deleteLater();
        timer->stop();
        save(composed(box), dir, name);
        box->done(0);
    });
    timer->start(10);
}

// The message boxes, the text-input box and a toast in the current style.
void saveDialogs(const QDir &dir, const QString &suffix)
{
    KelUi *ui = kelUi();
    saveNextMessageBox(dir, QStringLiteral("messagebox") + suffix);
    bool remember = true;
    ui->messageBox(QStringLiteral("The file \"holiday.mp4\" is already in the queue. Add it "
                                  "again?"),
                   QStringLiteral("Add files"), -1, QStringLiteral("Cancel"),
                   QStringLiteral("Add again"), QString(), &remember, QStringLiteral("Always ask"));
    saveNextMessageBox(dir, QStringLiteral("messagebox-longpath") + suffix);
    ui->messageBox(QStringLiteral("An error has occurred when trying to open: \"/home/user/"
                                  "Videos/2024/holidays/the-very-long-folder-name-of-a-trip/"
                                  "clip-without-any-spaces-in-its-name.mp4\""));
    saveNextMessageBox(dir, QStringLiteral("textinputbox") + suffix);
    QString name = QStringLiteral("holiday");
    ui->textInputBox(QStringLiteral("File name:"), QStringLiteral("Rename"), name,
                     KelUi::NotEmptyTextInput, -1, QStringLiteral("Cancel"),
                     QStringLiteral("Rename"));

    const int toastId = ui->notificationManager()->showNotification(
            QStringLiteral("Conversion finished"),
            QStringLiteral("3 files were converted and saved to the output folder."), 600);
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (auto *toast = qobject_cast<KelWindow *>(window); toast
            && toast->objectName() == QStringLiteral("KelNotificationWindow_%1").arg(toastId)) {
            settle(toast);
            save(composed(toast), dir, QStringLiteral("toast") + suffix);
            toast->close();
        }
    }
}

// A window, an open combo list and a message box without a compositing
// manager.
void saveWithoutCompositor(const QDir &dir, const QString &suffix)
{
    setCompositing(false);
    const QString tail = QStringLiteral("-nocompositor") + suffix;
    auto window = makeWindow(QStringLiteral("Window"), 0);
    auto *combo = new KelComboBox(18, QSizePolicy::Fixed, KelComboBox::PopupAtLeastComboWidth);
    for (const QString &name :
         {QStringLiteral("MP4"), QStringLiteral("MKV"), QStringLiteral("WebM")})
        combo->addItem(name.toLower(), name);
    combo->setCurrentDataSilently(QStringLiteral("mkv"));
    static_cast<QVBoxLayout *>(window->centralWidget()->layout())->insertWidget(1, combo);
    save(composed(window.get()), dir, QStringLiteral("window") + tail);
    combo->showPopup(false);
    settle(combo->popup());
    save(composed(combo->popup()), dir, QStringLiteral("combo-popup") + tail);
    combo->closePopup();
    window->hide();

    saveNextMessageBox(dir, QStringLiteral("messagebox") + tail);
    kelUi()->messageBox(QStringLiteral("The file \"holiday.mp4\" is already in the queue."),
                        QStringLiteral("Add files"), -1, QStringLiteral("Cancel"),
                        QStringLiteral("Add again"));
    setCompositing(true);
}

// A style page filled as an application fills one: colours, overlays and
// a few controls of the current style.
class GalleryStylePage : public KelServicePage_Style
{
public:
    using KelServicePage_Style::KelServicePage_Style;

protected:
    void fillTextColors() override
    {
        auto *colors = new QVBoxLayout;
        colors->addWidget(addColorRow(QStringLiteral("Text"), style()->defaultTextColor()));
        colors->addWidget(
                addColorRow(QStringLiteral("Link"), style()->color(KelStyle::CL_Text_Link)));
        colors->addWidget(
                addColorLabel(QStringLiteral("Error"), style()->color(KelStyle::CL_Text_Warning)));
        formLayout()->addRow(makeLabel(QStringLiteral("Text colors:")), colors);
    }
    void fillBaseColors() override
    {
        auto *grid = new QGridLayout;
        addOverlayRows(grid, QStringLiteral("Window"), Qt::transparent);
        addOverlayRows(grid, QStringLiteral("Dialog"), style()->color(KelStyle::CL_Dialog_Base));
        addOverlayRows(grid, QStringLiteral("Accent"), style()->color(KelStyle::CL_Accent));
        formLayout()->addRow(makeLabel(QStringLiteral("Fill colors:")), grid);
    }
    void fillControls() override
    {
        auto *row = new QHBoxLayout;
        row->addWidget(makeButton(KelStyle::WT_Button_Dialog, QStringLiteral("Cancel")));
        row->addWidget(makeButton(KelStyle::WT_Button_Dialog_Accent, QStringLiteral("Accept")));
        row->addWidget(makeButton(KelStyle::WT_Button_Chip, QStringLiteral("Small")));
        row->addStretch();
        formLayout()->addRow(makeLabel(QStringLiteral("Buttons:")), row);
    }
};

// The maintenance pages, each in a window of its own.
void savePages(const QDir &dir, const QString &suffix)
{
    std::vector<std::pair<QString, KelServicePage *>> pages{
            {QStringLiteral("general"), new KelServicePage_General},
            {QStringLiteral("dialogs"), new KelServicePage_Dialogs},
            {QStringLiteral("painting"), new KelServicePage_Painting},
            {QStringLiteral("translations"), new KelServicePage_Translations},
    };
    auto *stylePage = new GalleryStylePage(kelStyle());
    stylePage->refresh();
    pages.emplace_back(QStringLiteral("style"), stylePage);
    for (const auto &[name, page] : pages) {
        auto window = std::make_unique<KelWindow>(Framed);
        window->setTitle(page->objectName());
        auto *column = new QVBoxLayout(window->centralWidget());
        column->setContentsMargins(0, 0, 0, 0);
        column->addWidget(page);
        window->resize(760, 560);
        save(composed(window.get()), dir, QStringLiteral("servicepage-") + name + suffix);
    }
}

} // namespace

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("gallery"));
    QDir().mkpath(dir.path());
    setCompositing(true);

    auto plain = makeWindow(QStringLiteral("Window"), 0);
    save(composed(plain.get()), dir, QStringLiteral("window"));

    auto rounded = makeWindow(QStringLiteral("Rounded window"), 8);
    rounded->windowFrame()->setBorderWidth(1);
    save(composed(rounded.get()), dir, QStringLiteral("window-rounded"));

    auto blocked = makeWindow(QStringLiteral("Blocked window"), 0);
    blocked->setBlocked(true);
    auto *overlay = blocked->findChild<KelWindowBlockedOverlay *>();
    overlay->show();
    overlay->findChild<KelProgressAnimator *>()->jumpToEnd();
    save(composed(blocked.get()), dir, QStringLiteral("window-blocked"));

    auto hovered = makeWindow(QStringLiteral("Close hovered"), 0);
    hovered->titleBar()->button(KelTitleBar::CloseButton)->stateAnimator()->setHoveredProgress(1.0);
    save(composed(hovered.get()), dir, QStringLiteral("window-titlebar"));

    auto maximized = makeWindow(QStringLiteral("Maximized"), 0);
    maximized->showMaximized();
    settle(maximized.get());
    save(maximized->titleBar()->grab().toImage(), dir, QStringLiteral("titlebar-maximized"));

    // A combo box and a menu button, then their popups as they open.
    auto popups = makeWindow(QStringLiteral("Popups"), 0);
    popups->setGeometry(40, 40, 420, 220);
    auto *row = new QHBoxLayout();
    static_cast<QVBoxLayout *>(popups->centralWidget()->layout())->insertLayout(1, row);
    auto *combo = new KelComboBox(KelStyle::WT_ComboBox, QSizePolicy::Fixed,
                                  KelComboBox::PopupAtLeastComboWidth);
    for (const QString &name : {QStringLiteral("MP4"), QStringLiteral("MKV"),
                                QStringLiteral("WebM"), QStringLiteral("A much longer name")})
        combo->addItem(name.toLower(), name);
    combo->setCurrentDataSilently(QStringLiteral("mkv"));
    row->addWidget(combo);
    auto *menuButton = new KelPopupMenuButton(KelStyle::WT_Button_Push);
    menuButton->setText(QStringLiteral("Menu"));
    KelPopupMenu *menu = menuButton->popup();
    menu->setupContent(Qt::Vertical, -1);
    menu->addButton(KelStyle::WT_MenuItem)->setText(QStringLiteral("Open"));
    auto *more = new KelPopupMenuButton(KelStyle::WT_MenuItem_SubMenu,
                                        KelPopupMenuButton::OpenByCode, Qt::RightEdge,
                                        Qt::AlignTop);
    more->setText(QStringLiteral("More"));
    menu->addWidget(more);
    more->popup()->setupContent(Qt::Vertical, -1);
    more->popup()->addButton(KelStyle::WT_MenuItem)->setText(QStringLiteral("Deep item"));
    row->addWidget(menuButton);
    row->addStretch();
    save(composed(popups.get()), dir, QStringLiteral("popups-closed"));

    combo->showPopup(false);
    settle(combo->popup());
    combo->itemButtons().value(QStringLiteral("webm"))->stateAnimator()->setHoveredProgress(1.0);
    save(composed(combo->popup()), dir, QStringLiteral("combo-popup"));
    combo->closePopup();

    menuButton->showPopup(false);
    settle(menu);
    more->showPopup(false);
    settle(more->popup());
    more->stateAnimator()->setHoveredProgress(1.0);
    save(composed(menu), dir, QStringLiteral("menu-popup"));
    save(composed(more->popup()), dir, QStringLiteral("submenu-popup"));
    maximized->hide();

    saveDialogs(dir, QString());
    saveWithoutCompositor(dir, QString());
    Style::registerThemes(kelUi());
    for (const QString &theme : {QStringLiteral("LightStyle"), QStringLiteral("DarkStyle")}) {
        kelUi()->styleManager()->setCurrentStyle(theme);
        const QString suffix = theme == QStringLiteral("LightStyle") ? QStringLiteral("-light")
                                                                     : QStringLiteral("-dark");
        saveDialogs(dir, suffix);
        saveWithoutCompositor(dir, suffix);
        savePages(dir, suffix);
    }

    QPixmap picture(480, 270);
    picture.fill(QColor(0x2C, 0x2B, 0x30));
    KelSplash splash(QRect(), picture, QStringLiteral("1.4.2"), 600000, 600000, 3, 3, false,
                     QPoint(), QPoint(), QColor(), QColor(), false);
    splash.show();
    settle(&splash);
    save(splash.grab().toImage(), dir, QStringLiteral("splash"));
    return 0;
}
