#include "popupdemo.h"

#include "styles/kelstyle.h"
#include "widgets/kelbutton.h"
#include "windows/kelcombobox.h"
#include "windows/kelpopupmenu.h"
#include "windows/kelpopupmenubutton.h"
#include "windows/keltitlebar.h"
#include "windows/kelwindow.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QTimer>
#include <QWindow>

namespace {

using Say = std::function<void(const QString &)>;

const KelWindow::WindowParams Framed = KelWindow::Movable | KelWindow::Resizable
        | KelWindow::WindowButtons | KelWindow::MinimizeButton | KelWindow::MaximizeButton;

// Framework style ids of the base theme.
constexpr int PushButtonStyle = KelStyle::WT_Button_Push;
constexpr int MenuItemStyle = KelStyle::WT_MenuItem;
constexpr int SubmenuItemStyle = KelStyle::WT_MenuItem_SubMenu;
constexpr int ComboStyle = KelStyle::WT_ComboBox;

void sayPart(const Say &say, const QString &name, const QString &window, const QWidget *part)
{
    const QPoint centre = part->mapTo(part->window(), part->rect().center());
    say(QStringLiteral("part %1 %2 %3 %4").arg(name, window).arg(centre.x()).arg(centre.y()));
}

// Prints a line for each press the window gets from the platform.
class PressReporter : public QObject
{
public:
    PressReporter(const QString &name, Say say, QObject *parent)
        : QObject(parent), m_name(name), m_say(std::move(say))
    { }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            m_say(m_name + QStringLiteral(" pressed"));
        return false;
    }

private:
    QString m_name;
    Say m_say;
};

// Prints the popup's showing with where its items are, and its hiding.
void reportPopup(KelPopupMenu *popup, const QString &name,
                 const QList<QPair<QString, QWidget *>> &items, const Say &say)
{
    QObject::connect(popup, &KelWidget::showed, popup, [=] {
        say(QStringLiteral("popup %1 shown").arg(name));
        say(QStringLiteral("popup %1 id=%2").arg(name).arg(popup->winId()));
        for (const auto &item : items)
            sayPart(say, item.first, name, item.second);
    });
    QObject::connect(popup, &KelWidget::hided, popup,
                     [=] { say(QStringLiteral("popup %1 hidden").arg(name)); });
}

KelWindow *makeWindow(const QString &name, const QRect &geometry, const Say &say)
{
    auto *window = new KelWindow(Framed);
    window->setWindowTitle(QStringLiteral("Demo %1 window").arg(name));
    window->setTitle(name);
    window->setGeometry(geometry);
    window->winId();
    window->windowHandle()->installEventFilter(new PressReporter(name, say, window));
    return window;
}

KelButton *addMenuItem(KelPopupMenu *menu, const QString &text)
{
    KelButton *item = menu->addButton(MenuItemStyle);
    item->setText(text);
    return item;
}

} // namespace

void buildPopupScenario(const std::function<void(QWidget *)> &watchReady, const Say &say)
{
    KelWindow *main = makeWindow(QStringLiteral("main"), QRect(100, 100, 400, 300), say);
    KelWindow *second = makeWindow(QStringLiteral("second"), QRect(600, 100, 360, 160), say);
    QObject::connect(second, &KelWindow::moveByUserStarted,
                     [say] { say(QStringLiteral("second moveByUserStarted")); });
    QObject::connect(second, &KelWindow::moveByUserFinished,
                     [say] { say(QStringLiteral("second moveByUserFinished")); });

    auto *layout = new QHBoxLayout(main->centralWidget());
    layout->setContentsMargins(20, 20, 20, 20);
    auto *combo = new KelComboBox(ComboStyle, QSizePolicy::Fixed,
                                  KelComboBox::PopupAtLeastComboWidth);
    combo->setObjectName(QStringLiteral("DemoCombo"));
    QList<QPair<QString, QWidget *>> comboItems;
    const QStringList names{QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three"),
                            QStringLiteral("Four"), QStringLiteral("Five")};
    for (int i = 0; i < names.size(); ++i)
        comboItems.append({QStringLiteral("item%1").arg(i + 1), combo->addItem(i + 1, names[i])});
    combo->setCurrentDataSilently(1);
    layout->addWidget(combo, 0, Qt::AlignTop);

    auto *other = new KelButton(PushButtonStyle);
    other->setText(QStringLiteral("Other"));
    layout->addWidget(other, 0, Qt::AlignTop);

    auto *menuButton = new KelPopupMenuButton(PushButtonStyle);
    menuButton->setText(QStringLiteral("Menu"));
    KelPopupMenu *menu = menuButton->popup();
    menu->setupContent(Qt::Vertical, -1);
    KelButton *plain = addMenuItem(menu, QStringLiteral("Plain"));
    auto *more = new KelPopupMenuButton(SubmenuItemStyle, KelPopupMenuButton::OpenByCode,
                                        Qt::RightEdge, Qt::AlignTop);
    more->setText(QStringLiteral("More"));
    more->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    menu->addWidget(more);
    KelPopupMenu *submenu = more->popup();
    submenu->setupContent(Qt::Vertical, -1);
    KelButton *deep = addMenuItem(submenu, QStringLiteral("Deep"));
    layout->addWidget(menuButton, 0, Qt::AlignTop);

    reportPopup(combo->popup(), QStringLiteral("combo"), comboItems, say);
    reportPopup(menu, QStringLiteral("menu"),
                {{QStringLiteral("plain"), plain}, {QStringLiteral("more"), more}}, say);
    reportPopup(submenu, QStringLiteral("submenu"), {{QStringLiteral("deep"), deep}}, say);
    QObject::connect(combo->popup(), &KelWidget::hided, combo, [combo, say] {
        // Once the hiding has settled.
        QTimer::singleShot(0, combo, [combo, say] {
            say(QStringLiteral("combo checked=%1").arg(combo->isChecked() ? 1 : 0));
        });
    });
    QObject::connect(combo, &KelButton::toggled, [say](bool checked) {
        say(QStringLiteral("combo toggled %1").arg(checked ? "true" : "false"));
    });
    QObject::connect(combo, &KelComboBox::currentDataChanged, [say](const QVariant &data) {
        say(QStringLiteral("currentDataChanged ") + data.toString());
    });
    QObject::connect(combo, &KelComboBox::itemClicked, [say](const QVariant &data) {
        say(QStringLiteral("itemClicked ") + data.toString());
    });
    QObject::connect(other, &KelButton::clicked, [say] { say(QStringLiteral("other clicked")); });

    second->show();
    main->show();
    watchReady(second);
    watchReady(main);
    say(QStringLiteral("window main id=%1").arg(main->winId()));
    say(QStringLiteral("window second id=%1").arg(second->winId()));
    sayPart(say, QStringLiteral("combo"), QStringLiteral("main"), combo);
    sayPart(say, QStringLiteral("other"), QStringLiteral("main"), other);
    sayPart(say, QStringLiteral("menu"), QStringLiteral("main"), menuButton);
    const QPoint caption = second->titleBar()->mapTo(second, QPoint(second->width() / 3, 16));
    say(QStringLiteral("part caption second %1 %2").arg(caption.x()).arg(caption.y()));
}
