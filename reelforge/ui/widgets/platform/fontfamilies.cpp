#include "ui/widgets/platform/fontfamilies.h"

#include "ui/widgets/fontscombo.h"

#include <QFont>
#include <QFontDatabase>

namespace FontFamilies {
namespace {

FontFamilies::Reader &reader()
{
    static FontFamilies::Reader instance;
    return instance;
}

FamilyInfo describe(const QFontDatabase &database, const QString &family)
{
    FamilyInfo info;
    const QStringList styles = database.styles(family);
    for (const QString &style : styles) {
        if (database.weight(family, style) > QFont::Normal)
            info.hasBold = true;
        if (database.italic(family, style))
            info.hasItalic = true;
    }
    const QList<QFontDatabase::WritingSystem> systems = database.writingSystems(family);
    info.isSymbol = systems.contains(QFontDatabase::Symbol);
    if (!systems.contains(QFontDatabase::Latin) && !systems.isEmpty())
        info.sampleText = QFontDatabase::writingSystemSample(systems.first());
    return info;
}

QMap<QString, FamilyInfo> systemFamilies()
{
    QMap<QString, FamilyInfo> result;
    const QFontDatabase database;
    const QStringList families = database.families();
    for (const QString &family : families) {
        if (family.trimmed().isEmpty() || database.isPrivateFamily(family))
            continue;
        result.insert(family, describe(database, family));
    }
    return result;
}

} // namespace

QMap<QString, FamilyInfo> read()
{
    return reader() ? reader()() : systemFamilies();
}

void setReader(Reader newReader)
{
    reader() = std::move(newReader);
}

void releaseCaches() { }

} // namespace FontFamilies
