// Renders the framework's widgets in their states into PNG files:
//   QT_QPA_PLATFORM=offscreen kelgallery [output folder]

#include "animators/kelwidgetstateanimator.h"
#include "itemviews/kellistwidget.h"
#include "itemviews/kellistwidgetitem.h"
#include "kelapplication.h"
#include "utils/kelstatecolors.h"
#include "widgets/kelbutton.h"
#include "widgets/keliconlabel.h"
#include "widgets/kellabel.h"
#include "widgets/kelprogressbar.h"

#include <QDebug>
#include <QDir>
#include <QHBoxLayout>
#include <QStringListModel>
#include <QVBoxLayout>

namespace {

const KelStateColors kBackground(QColor("#e8e8ec"), QColor("#d4d4dc"), QColor("#b8b8c4"),
                                 QColor("#f4f4f4"));
const KelStateColors kText(QColor("#202030"), QColor("#202030"), QColor("#101020"),
                           QColor("#a0a0a8"));

KelButton *makeButton(const QString &text, QWidget *parent)
{
    auto *button = new KelButton(-1, parent, true);
    button->setText(text);
    button->setBackground(kBackground);
    button->setTextColors(kText);
    button->setCornerRadii(QMargins(4, 4, 4, 4));
    button->setContentsMargins(QMargins(10, 6, 10, 6));
    button->setMinimumSize(110, 32);
    return button;
}

// One button per state, side by side.
QWidget *buttonStates()
{
    auto *page = new QWidget;
    auto *row = new QHBoxLayout(page);
    makeButton(QStringLiteral("Normal"), page);
    auto *hovered = makeButton(QStringLiteral("Hovered"), page);
    hovered->stateAnimator()->setHoveredProgress(1.0);
    auto *pressed = makeButton(QStringLiteral("Pressed"), page);
    pressed->stateAnimator()->setPressedProgress(1.0);
    auto *checked = makeButton(QStringLiteral("Checked"), page);
    checked->setCheckable(true);
    checked->setCheckedState(true);
    checked->stateAnimator()->setCheckedProgress(1.0);
    auto *disabled = makeButton(QStringLiteral("Disabled"), page);
    disabled->setEnabled(false);
    for (QWidget *child : page->findChildren<KelButton *>())
        row->addWidget(child);
    return page;
}

QWidget *labelsAndProgress()
{
    auto *page = new QWidget;
    auto *column = new QVBoxLayout(page);
    auto *label = new KelLabel(-1, page);
    label->setText(QStringLiteral("KelLabel text"));
    column->addWidget(label);
    auto *disabled = new KelLabel(-1, page);
    disabled->setText(QStringLiteral("Disabled KelLabel"));
    disabled->setEnabled(false);
    column->addWidget(disabled);
    const KelProgressBar::State states[] = {KelProgressBar::Normal, KelProgressBar::Paused,
                                            KelProgressBar::Indeterminate};
    for (KelProgressBar::State state : states) {
        auto *bar = new KelProgressBar(-1, page);
        bar->setRange(0, 100);
        bar->setValue(60);
        bar->setState(state);
        bar->setMinimumHeight(8);
        column->addWidget(bar);
    }
    return page;
}

class GalleryRow : public KelButton, public KelListWidgetItem
{
public:
    explicit GalleryRow(QWidget *parent) : KelButton(-1, parent, true)
    {
        setCheckable(true);
        setBackground(kBackground);
        setTextColors(kText);
        setContentsMargins(QMargins(10, 0, 10, 0));
        setFixedHeight(36);
    }
    void setIndex(const QModelIndex &index) override { setText(index.data().toString()); }
    void reset() override { setText(QString()); }
    void layoutIdChanged(int) override { }
    void translateUi() override { }
};

QWidget *listWidget(QStringListModel *model)
{
    auto *list = new KelListWidget(-1);
    auto *column = new QVBoxLayout;
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(4);
    list->registerLayout(0, column);
    list->setCurrentLayoutId(0);
    list->setItemFactory([](QWidget *parent, const QModelIndex &index) {
        auto *row = new GalleryRow(parent);
        row->setIndex(index);
        return row;
    });
    list->setModel(model);
    list->resize(260, 220);
    return list;
}

void save(QWidget *widget, const QDir &dir, const QString &name)
{
    widget->adjustSize();
    widget->show();
    QCoreApplication::processEvents();
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    if (widget->grab().save(path))
        qInfo().noquote() << "saved" << path;
    else
        qWarning().noquote() << "could not save" << path;
}

} // namespace

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("gallery"));
    QDir().mkpath(dir.path());

    std::unique_ptr<QWidget> buttons(buttonStates());
    save(buttons.get(), dir, QStringLiteral("buttons"));
    std::unique_ptr<QWidget> labels(labelsAndProgress());
    save(labels.get(), dir, QStringLiteral("labels-progress"));

    QStringListModel model({"First row", "Second row", "Third row", "Fourth row"});
    std::unique_ptr<QWidget> list(listWidget(&model));
    list->show();
    QCoreApplication::processEvents();
    static_cast<KelListWidget *>(list.get())->activateIndex(model.index(1));
    QCoreApplication::processEvents();
    const QDir listDir = dir;
    list->grab().save(listDir.filePath(QStringLiteral("list.png")));
    qInfo().noquote() << "saved" << listDir.filePath(QStringLiteral("list.png"));
    return 0;
}
