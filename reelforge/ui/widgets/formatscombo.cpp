#include "ui/widgets/formatscombo.h"

#include "core/appservices.h"
#include "shared/formattables.h"
#include "shared/settingsprovider.h"

namespace {

QStringList formatsOf(int filter)
{
    const FormatTables *tables = appServices().formatTables;
    if (!tables)
        return {};
    switch (filter) {
    case FormatsCombo::AllFormats:
        return tables->outputFormats();
    case FormatsCombo::VideoFormats:
        return tables->outputVideoFormats();
    case FormatsCombo::AudioFormats:
        return tables->outputAudioFormats();
    default:
        return {};
    }
}

QString displayName(const QString &format)
{
    return format.isEmpty() ? QStringLiteral(" ") : format.toUpper();
}

} // namespace

FormatsCombo::FormatsCombo(int styleId, QWidget *parent)
    : KelComboBox(styleId, QSizePolicy::Minimum, PopupAtLeastComboWidth, parent)
{
    setFormatsFilter(AllFormats);
    connect(this, &KelComboBox::itemClicked, this, [this](const QVariant &data) {
        const QString format = data.toString();
        if (SettingsProvider *settings = SettingsProvider::instance())
            settings->setLastClickedFormat(format);
        emit formatClicked(format);
    });
}

FormatsCombo::~FormatsCombo() = default;

QString FormatsCombo::format() const
{
    return currentData().toString();
}

void FormatsCombo::setFormat(const QString &format)
{
    const QVariantList items = itemData();
    for (const QVariant &item : items) {
        const QString data = item.toString();
        if (data.compare(format, Qt::CaseInsensitive) == 0) {
            setCurrentData(data);
            return;
        }
    }
    // Nothing matches: no item is current and the combo shows no format.
    if (currentData().isValid())
        setCurrentData(QVariant());
    setText(QString());
}

void FormatsCombo::setFormatsFilter(int filter)
{
    const QString remembered = format();
    clear();
    for (const QString &format : formatsOf(filter))
        appendItem(format, displayName(format));
    setFormat(remembered);
}

#include "moc_formatscombo.cpp"
