#include "ui/widgets/resolutionscombo.h"

#include "core/appservices.h"
#include "shared/formattables.h"

#include <QCoreApplication>

namespace {

QString sizeText(const QSize &size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

} // namespace

ResolutionsCombo::ResolutionsCombo(int styleId, QWidget *parent)
    : KelComboBox(styleId, QSizePolicy::Minimum, PopupAtLeastComboWidth, parent)
{
    connect(this, &KelComboBox::currentDataChanged, this, &ResolutionsCombo::showBareSize);
    connect(this, &KelComboBox::itemClicked, this,
            [this](const QVariant &data) { emit resolutionClicked(data.toSize()); });
}

ResolutionsCombo::~ResolutionsCombo() = default;

void ResolutionsCombo::fill(const QSize &sourceSize, bool turned)
{
    clear();
    m_sourceSize = sourceSize;
    QList<QSize> sizes;
    if (const FormatTables *tables = appServices().formatTables)
        sizes = tables->standardResolutions();
    if (turned) {
        for (QSize &size : sizes) {
            if (size.width() > size.height())
                size.transpose();
        }
    }
    if (sourceSize.isValid() && !sizes.contains(sourceSize))
        sizes.prepend(sourceSize);
    for (const QSize &size : qAsConst(sizes))
        appendItem(size, itemText(size));
}

QSize ResolutionsCombo::resolution() const
{
    return currentData().toSize();
}

void ResolutionsCombo::setResolution(const QSize &size)
{
    setCurrentData(size);
}

void ResolutionsCombo::translateUi()
{
    if (m_sourceSize.isValid() && hasItem(m_sourceSize)) {
        setItemText(m_sourceSize, itemText(m_sourceSize));
        showBareSize(currentData());
    }
}

QString ResolutionsCombo::itemText(const QSize &size) const
{
    if (size != m_sourceSize)
        return sizeText(size);
    return sizeText(size) + QStringLiteral(" (")
            + QCoreApplication::translate("Combo_Resolutions", "original") + QLatin1Char(')');
}

void ResolutionsCombo::showBareSize(const QVariant &data)
{
    const QSize size = data.toSize();
    setText(size.isValid() ? sizeText(size) : QString());
}

#include "moc_resolutionscombo.cpp"
