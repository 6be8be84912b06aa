#include "ui/widgets/platform/fontfamilies.h"

#include "ui/widgets/fontscombo.h"

#include <QFont>
#include <QFontDatabase>
#include <QRegularExpression>

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

// Qt names a family that several foundries ship "Family [foundry]"; a
// QFont of the plain name finds either, so the list holds it once.
QString withoutFoundry(const QString &family)
{
    static const QRegularExpression foundry(QStringLiteral("\\s*\\[[^\\]]*\\]$"));
    return QString(family).remove(foundry);
}

QMap<QString, FamilyInfo> systemFamilies()
{
    QMap<QString, FamilyInfo> result;
    const QFontDatabase database;
    const QStringList families = database.families();
    for (const QString &family : families) {
        const QString name = withoutFoundry(family);
        if (name.trimmed().isEmpty() || database.isPrivateFamily(family))
            continue;
        const FamilyInfo info = describe(database, family);
        auto known = result.find(name);
        if (known == result.end()) {
            result.insert(name, info);
            continue;
        }
        known->hasBold = known->hasBold || info.hasBold;
        known->hasItalic = known->hasItalic || info.hasItalic;
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
