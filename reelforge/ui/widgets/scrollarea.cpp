#include "ui/widgets/scrollarea.h"

#include "datamodel/presetinfo.h"
#include "styles/kelstyle.h"
#include "ui/widgets/itembutton.h"
#include "widgets/kelexclusivebuttongroup.h"

#include <QCoreApplication>
#include <QVBoxLayout>

namespace {

constexpr int ScrollAreaStyleId = KelStyle::WT_ScrollArea;

QString presetInfoText(PresetInfoPointer preset)
{
    const QString autoText = QCoreApplication::translate("MainWindow_Presets", "auto");
    if (!preset->video.name.isEmpty()) {
        const QSize size = preset->video.resolution;
        return size.isEmpty() ? autoText
                              : QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    }
    if (preset->audio.bitrate != 0 && preset->audio.samplerate != 0) {
        return QStringLiteral("%1 %2")
                .arg(preset->audio.bitrate)
                .arg(QCoreApplication::translate("MainWindow_Presets", "kbit/s"));
    }
    return autoText;
}

QString infoTextFor(const QVariant &data)
{
    if (data.userType() != qMetaTypeId<PresetInfoPointer>())
        return QString();
    const PresetInfoPointer preset = data.value<PresetInfoPointer>();
    return preset ? presetInfoText(preset) : QString();
}

} // namespace

ScrollArea::ScrollArea(int buttonStyleId, QWidget *parent)
    : KelScrollArea(ScrollAreaStyleId, parent),
      m_group(new KelExclusiveButtonGroup(buttonStyleId, this)), m_content(new QWidget),
      m_layout(new QVBoxLayout(m_content))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    setWidget(m_content);
}

ScrollArea::~ScrollArea() = default;

KelExclusiveButtonGroup *ScrollArea::group() const
{
    return m_group;
}

QList<ItemButton *> ScrollArea::items() const
{
    QList<ItemButton *> rows;
    for (int i = 0; i < m_layout->count(); ++i) {
        if (auto *row = qobject_cast<ItemButton *>(m_layout->itemAt(i)->widget()))
            rows.append(row);
    }
    return rows;
}

void ScrollArea::clearItems()
{
    m_layout->setEnabled(false);
    while (QLayoutItem *item = m_layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

ItemButton *ScrollArea::addItem(const QString &text, const QString &iconPath, const QVariant &data)
{
    auto *row = new ItemButton(m_group->buttonStyleId(), m_content);
    row->setClickableWhenChecked(true);
    row->setText(text);
    row->setIcon(iconPath);
    m_group->addButton(row, data);
    m_layout->addWidget(row);
    // Shown now rather than on the layout's next pass, so that a row made
    // while the list is shown takes the very next click.
    row->show();
    connect(row, &KelButton::clicked, this, &ScrollArea::buttonClicked);
    row->setInfoText(infoTextFor(data));
    return row;
}

void ScrollArea::finishFill()
{
    m_layout->addStretch();
    m_layout->setEnabled(true);
    m_layout->activate();
    m_content->resize(viewport()->width(), m_content->sizeHint().height());
}

void ScrollArea::updateInfoTexts()
{
    for (ItemButton *row : items())
        row->setInfoText(infoTextFor(m_group->buttonData(row)));
}

#include "moc_scrollarea.cpp"
