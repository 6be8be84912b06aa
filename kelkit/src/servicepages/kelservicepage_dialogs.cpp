#include "servicepages/kelservicepage_dialogs.h"

#include "kelui.h"
#include "layouts/kelflowlayout.h"
#include "widgets/kelbutton.h"
#include "windows/kelnotificationmanager.h"

#include <QEventLoop>
#include <QFormLayout>
#include <QFutureWatcher>
#include <QtConcurrent>

#include <functional>

namespace {

const int NormalInfoIcon = 7;
const int AlertIcon = 6;
const int QuestionIcon = 8;
const int InputIcon = 9;

const char TitleText[] = "Single line title.";
const char SingleLineMessage[] = "Single line message.";
const char LongTitle[] = "Long title. Maybe this should be placed in multiple lines.";
const char LongButton1[] = "123 456 789 123 456 789 123 456 789";
const char LongButton2[] = "321 654 321 654 ";
const char ChooserTitle[] = "Title";
const char ChooserFilter[] = "Filter example (*.txt);;All files(*.*)";
const char DemoAppName[] = "Reelmorph Demo";
const char DemoUrl[] = "https://example.com/reelmorph";

// What the boxes keep between calls for the rest of the run.
struct DialogsRunState
{
    bool rememberChoice = false;
    bool askDefaultAppAgain = true;
    bool notDefaultNoticeAgain = true;
    QString inputTexts[6];
};

DialogsRunState &runState()
{
    static DialogsRunState state;
    return state;
}

QString title()
{
    return QLatin1String(TitleText);
}

// Runs the chooser on the thread pool; the GUI thread processes events
// meanwhile, so the chooser, which runs there, can be shown and answered.
template<typename Result>
Result runOnPool(std::function<Result()> chooser)
{
    QFutureWatcher<Result> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run(chooser));
    if (!watcher.isFinished())
        loop.exec();
    return watcher.result();
}

void showChooserResult(const QString &prefix, const QString &result)
{
    kelUi()->messageBox(prefix + result, QString(), NormalInfoIcon);
}

} // namespace

KelServicePage_Dialogs::KelServicePage_Dialogs(QWidget *parent) : KelServicePage(parent)
{
    setObjectName(QStringLiteral("Dialogs"));
    addMessageBoxRow();
    addTextInputRow();
    addFileDialogRow(false);
    addFileDialogRow(true);
    addNotificationRow();
    addOtherRow();
}

KelServicePage_Dialogs::~KelServicePage_Dialogs() = default;

QString KelServicePage_Dialogs::longMessage()
{
    return QStringLiteral(
            "Long message. This always should be placed in multiple lines. Lorem ipsum dolor sit "
            "amet, consectetur adipiscing elit, sed do eiusmod tempor incididunt ut labore et "
            "dolore magna aliqua.");
}

QString KelServicePage_Dialogs::extraLongMessage()
{
    return QStringLiteral(
            "Extra long message (~900 symbols). This always should be placed in multiple lines. "
            "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor "
            "incididunt ut labore et dolore magna aliqua. Ut enim ad minim veniam, quis nostrud "
            "exercitation ullamco laboris nisi ut aliquip ex ea commodo consequat. Duis aute irure "
            "dolor in reprehenderit in voluptate velit esse cillum dolore eu fugiat nulla "
            "pariatur. Excepteur sint occaecat cupidatat non proident, sunt in culpa qui officia "
            "deserunt mollit anim id est laborum. Sed ut perspiciatis unde omnis iste natus error "
            "sit voluptatem accusantium doloremque laudantium, totam rem aperiam, eaque ipsa quae "
            "ab illo inventore veritatis et quasi architecto beatae vitae dicta sunt explicabo. "
            "Nemo enim ipsam voluptatem quia voluptas sit aspernatur aut odit aut fugit, sed quia "
            "consequuntur magni dolores eos qui ratione voluptatem sequi nesciunt. Neque porro "
            "quisquam est qui dolorem ipsum quia.");
}

QString KelServicePage_Dialogs::extraLongTitle()
{
    return QStringLiteral(
            "Extra long title. This should be placed in multiple lines. Lorem ipsum dolor sit "
            "amet, consectetur adipiscing elit, sed do eiusmod tempor incididunt ut labore et "
            "dolore magna aliqua.");
}

void KelServicePage_Dialogs::addMessageBoxRow()
{
    KelFlowLayout *row = addRow(QStringLiteral("MessageBoxes:"));
    struct Box
    {
        const char *button;
        QString message;
        int icon;
        QString b1, b2, b3;
    };
    const Box boxes[] = {
            {"Normal info", QLatin1String(SingleLineMessage), NormalInfoIcon, {}, {}, {}},
            {"Long alert", longMessage(), AlertIcon, {}, {}, {}},
            {"Extra long", extraLongMessage(), NormalInfoIcon, {}, {}, {}},
            {"2 buttons (question)",
             longMessage(),
             QuestionIcon,
             QStringLiteral("NO"),
             QStringLiteral("YES"),
             {}},
            {"3 buttons", longMessage(), QuestionIcon, QStringLiteral("FIRST"),
             QStringLiteral("SECOND"), QStringLiteral("THRID")},
            {"Long text on buttons",
             longMessage(),
             QuestionIcon,
             QLatin1String(LongButton1),
             QLatin1String(LongButton2),
             {}},
    };
    for (const Box &box : boxes) {
        addWidgetRow(row, QLatin1String(box.button), [box] {
            kelUi()->messageBox(box.message, title(), box.icon, box.b1, box.b2, box.b3);
        });
    }
    addWidgetRow(row, QStringLiteral("Remember choice"), [] {
        kelUi()->messageBox(longMessage(), title(), QuestionIcon, QStringLiteral("OK"), QString(),
                            QString(), &runState().rememberChoice, QStringLiteral("Custom text"));
    });
}

void KelServicePage_Dialogs::addTextInputRow()
{
    KelFlowLayout *row = addRow(QStringLiteral("TextInput:"));
    struct Input
    {
        const char *button;
        QString message;
        KelUi::TextInputType type;
        int icon;
        QString b1, b2;
    };
    const Input inputs[] = {
            {"Normal + any text",
             QLatin1String(SingleLineMessage),
             KelUi::AnyTextInput,
             NormalInfoIcon,
             {},
             {}},
            {"Long + not empty", longMessage(), KelUi::NotEmptyTextInput, NormalInfoIcon, {}, {}},
            {"Extra long", extraLongMessage(), KelUi::AnyTextInput, NormalInfoIcon, {}, {}},
            {"Password (any)", longMessage(), KelUi::PasswordTextInput, NormalInfoIcon, {}, {}},
            {"Password (not empty)",
             longMessage(),
             KelUi::NotEmptyPasswordTextInput,
             NormalInfoIcon,
             {},
             {}},
            {"Long text on buttons", longMessage(), KelUi::AnyTextInput, InputIcon,
             QLatin1String(LongButton1), QLatin1String(LongButton2)},
    };
    int index = 0;
    for (const Input &input : inputs) {
        QString *text = &runState().inputTexts[index++];
        addWidgetRow(row, QLatin1String(input.button), [input, text] {
            kelUi()->textInputBox(input.message, title(), *text, input.type, input.icon, input.b1,
                                  input.b2);
        });
    }
}

void KelServicePage_Dialogs::addFileDialogRow(bool async)
{
    KelFlowLayout *row = addRow(async ? QStringLiteral("File dialogs (async):")
                                      : QStringLiteral("File dialogs (sync):"));
    const QString chooserTitle = QLatin1String(ChooserTitle);
    const QString filter = QLatin1String(ChooserFilter);
    auto call = [async](std::function<QString()> chooser) {
        return async ? runOnPool<QString>(std::move(chooser)) : chooser();
    };

    addWidgetRow(row, QStringLiteral("kelUi->getOpenFileName()"), [=] {
        showChooserResult(QStringLiteral("GetOpenFileName returned:"),
                          call([=] { return kelUi()->getOpenFileName(chooserTitle, filter); }));
    });
    addWidgetRow(row, QStringLiteral("kelUi->getOpenFileNames()"), [=] {
        const QStringList names = async ? runOnPool<QStringList>([=] {
            return kelUi()->getOpenFileNames(chooserTitle, filter);
        })
                                        : kelUi()->getOpenFileNames(chooserTitle, filter);
        showChooserResult(QStringLiteral("GetOpenFileNames returned:"),
                          names.join(QStringLiteral("; ")));
    });
    addWidgetRow(row, QStringLiteral("kelUi->getSaveFileName()"), [=] {
        showChooserResult(QStringLiteral("GetSaveFileName returned:"),
                          call([=] { return kelUi()->getSaveFileName(chooserTitle, filter); }));
    });
    addWidgetRow(row, QStringLiteral("kelUi->getExistingDirectory()"), [=] {
        showChooserResult(QStringLiteral("GetExistingDirectory returned:"),
                          call([=] { return kelUi()->getExistingDirectory(chooserTitle); }));
    });
}

void KelServicePage_Dialogs::addNotificationRow()
{
    KelFlowLayout *row = addRow(QStringLiteral("Notifications:"));
    const QString link = kelUi()->makeLink(QLatin1String(DemoUrl), QStringLiteral("Learn more"));
    const QString extraLong = extraLongMessage();
    // The extra long message broken at sentence ends, a link after each of
    // its first four parts.
    QStringList parts = extraLong.split(QStringLiteral(". "));
    QString withLinks;
    for (int i = 0; i < parts.size(); ++i) {
        withLinks += parts.at(i);
        if (i + 1 < parts.size())
            withLinks += QStringLiteral(". ");
        if (i < 4) {
            withLinks += kelUi()->makeLink(QStringLiteral("%1/%2")
                                                   .arg(QLatin1String(DemoUrl))
                                                   .arg(i + 1),
                                           QStringLiteral("link %1").arg(i + 1))
                    + QLatin1Char(' ');
        }
    }
    struct Toast
    {
        const char *button;
        QString title;
        QString text;
        int seconds;
    };
    const Toast toasts[] = {
            {"Short", title(), QLatin1String(SingleLineMessage), 0},
            {"Long title", QLatin1String(LongTitle), QLatin1String(SingleLineMessage), 0},
            {"Long message", title(), longMessage(), 0},
            {"Long title & message", QLatin1String(LongTitle), longMessage(), 0},
            {"Extra title & message", extraLongTitle(), extraLong, 0},
            {"Custom duration: 3 sec", title(), QStringLiteral("Custom duration: 3 sec"), 3},
            {"Link (single line)", QStringLiteral("Single line link"),
             QStringLiteral("Some text ") + link, 0},
            {"Link (multiple lines)", QStringLiteral("Multiple lines link"),
             longMessage() + QLatin1Char(' ') + link, 0},
            {"Extra long message + links", extraLongTitle(), withLinks, 0},
    };
    for (const Toast &toast : toasts) {
        addWidgetRow(row, QLatin1String(toast.button), [toast] {
            kelUi()->notificationManager()->showNotification(toast.title, toast.text, toast.seconds);
        });
    }
}

void KelServicePage_Dialogs::addOtherRow()
{
    KelFlowLayout *row = addRow(QStringLiteral("Other:"));
    addWidgetRow(row, QStringLiteral("Update available"), [] {
        kelUi()->showNewVersionDialog(QStringLiteral("x.yy"),
                                      QStringLiteral("https://example.com/reelmorph/notes"),
                                      QStringLiteral("https://example.com/reelmorph/download"));
    });
    addWidgetRow(row, QStringLiteral("Win7: Ask register as default app"), [] {
        kelUi()->askRegisterAsDefaultApp(QStringLiteral(".mp4"), QLatin1String(DemoAppName),
                                         &runState().askDefaultAppAgain);
    });
    addWidgetRow(row, QStringLiteral("Win10: Notify is not default app"), [] {
        kelUi()->showNotDefaultAppNotice(QStringLiteral(".mp4"), QLatin1String(DemoAppName),
                                         QLatin1String(DemoUrl), &runState().notDefaultNoticeAgain);
    });
}

#include "moc_kelservicepage_dialogs.cpp"
