#include "servicepages/kelservicepage.h"

#include "layouts/kelflowlayout.h"
#include "styles/kelstyle.h"
#include "widgets/kelbutton.h"
#include "widgets/kellabel.h"

#include <QFormLayout>
#include <QSpacerItem>

namespace {

const int RowLabelStyleId = KelStyle::WT_Label_Row;
const int PushButtonStyleId = KelStyle::WT_Button_Chip;
const int CheckBoxStyleId = KelStyle::WT_CheckBox;

} // namespace

class KelServicePage::Private
{
public:
    QFormLayout *form = nullptr;
};

KelServicePage::KelServicePage(QWidget *parent)
    : QScrollArea(parent), d(std::make_unique<Private>())
{
    QFont pageFont = font();
    pageFont.setPixelSize(12);
    setFont(pageFont);
    auto *content = new QWidget;
    d->form = new QFormLayout(content);
    setWidget(content);
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
}

KelServicePage::~KelServicePage() = default;

QString KelServicePage::describeObject(QObject *object)
{
    if (!object)
        return QStringLiteral("QObject(0x0)");
    const QString className = QLatin1String(object->metaObject()->className());
    QString text = object->objectName().isEmpty()
            ? className + QLatin1Char('(')
            : object->objectName() + QLatin1Char('(') + className + QStringLiteral(", ");
    text += QStringLiteral("0x%1").arg(quintptr(object), 8, 16, QLatin1Char('0'));
    if (object->isWidgetType()) {
        const QRect geometry = static_cast<QWidget *>(object)->geometry();
        text += QStringLiteral(", x:%1, y:%2, w:%3, h: %4")
                        .arg(geometry.x())
                        .arg(geometry.y())
                        .arg(geometry.width())
                        .arg(geometry.height());
    }
    return text + QLatin1Char(')');
}

QFormLayout *KelServicePage::formLayout() const
{
    return d->form;
}

KelFlowLayout *KelServicePage::addRow(const QString &label)
{
    auto *rowLabel = new KelLabel(RowLabelStyleId, widget());
    rowLabel->setText(label);
    auto *flow = new KelFlowLayout(nullptr, 0);
    d->form->addRow(rowLabel, flow);
    return flow;
}

KelButton *KelServicePage::addWidgetRow(QLayout *layout, const QString &text,
                                        std::function<void()> onClick)
{
    auto *button = new KelButton(PushButtonStyleId, layout ? layout->parentWidget() : nullptr);
    button->setText(text);
    connect(button, &KelButton::clicked, button, [onClick = std::move(onClick)] { onClick(); });
    if (layout)
        layout->addWidget(button);
    return button;
}

KelButton *KelServicePage::addCheckBoxRow(QLayout *layout, const QString &text, bool checked,
                                          std::function<void(bool)> onToggle)
{
    auto *box = new KelButton(CheckBoxStyleId, layout ? layout->parentWidget() : nullptr);
    box->setCheckable(true);
    box->setText(text);
    box->setCheckedState(checked);
    connect(box, &KelButton::toggled, box,
            [onToggle = std::move(onToggle)](bool on) { onToggle(on); });
    if (layout)
        layout->addWidget(box);
    return box;
}

QSpacerItem *KelServicePage::makeSpacer()
{
    return new QSpacerItem(0, 8, QSizePolicy::Fixed, QSizePolicy::Fixed);
}

#include "moc_kelservicepage.cpp"
