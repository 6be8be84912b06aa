#include "ui/widgets/compressionlevelcombo.h"

#include <QCoreApplication>

namespace {

const char *const LevelNames[] = {
        QT_TRANSLATE_NOOP("Combo_Compression", "Ultra low quality"),
        QT_TRANSLATE_NOOP("Combo_Compression", "Low quality"),
        QT_TRANSLATE_NOOP("Combo_Compression", "Medium quality"),
        QT_TRANSLATE_NOOP("Combo_Compression", "High quality"),
        QT_TRANSLATE_NOOP("Combo_Compression", "Ultra high quality"),
};
constexpr int LevelCount = int(sizeof(LevelNames) / sizeof(LevelNames[0]));

} // namespace

CompressionLevelCombo::CompressionLevelCombo(int styleId, QWidget *parent)
    : KelComboBox(styleId, QSizePolicy::Minimum, PopupAndComboAlike, parent)
{
    for (int level = 0; level < LevelCount; ++level)
        appendItem(level, levelName(level));
    connect(this, &KelComboBox::itemClicked, this,
            [this](const QVariant &data) { emit compressionLevelClicked(data.toInt()); });
}

CompressionLevelCombo::~CompressionLevelCombo() = default;

QString CompressionLevelCombo::levelName(int level)
{
    if (level < 0 || level >= LevelCount)
        return QString();
    return QCoreApplication::translate("Combo_Compression", LevelNames[level]);
}

void CompressionLevelCombo::setLevel(int level)
{
    setCurrentData(level);
    setText(levelName(level));
}

void CompressionLevelCombo::translateUi()
{
    for (int level = 0; level < LevelCount; ++level)
        setItemText(level, levelName(level));
    if (currentData().isValid())
        setText(levelName(currentData().toInt()));
}

#include "moc_compressionlevelcombo.cpp"
