#include "keltranslator.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace {

constexpr int ColumnCount = 8;
const QString QtPrefix = QStringLiteral("qt");
const QString EnglishLocale = QStringLiteral("en");

struct LocaleEntry
{
    QString fileName;
    QString localeName;
    QString nativeLanguageName;
    QString englishLanguageName;
    QString bcp47Name;
    QString nativeCountryName;
    QString englishCountryName;
    QString countries;

    QString column(int column) const
    {
        switch (column) {
        case 0:
            return fileName;
        case 1:
            return localeName;
        case 2:
            return nativeLanguageName;
        case 3:
            return englishLanguageName;
        case 4:
            return bcp47Name;
        case 5:
            return nativeCountryName;
        case 6:
            return englishCountryName;
        case 7:
            return countries;
        }
        return QString();
    }
};

QString firstUpper(QString text)
{
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    return text;
}

LocaleEntry makeEntry(const QString &localeName)
{
    const QLocale locale(localeName);
    LocaleEntry entry;
    entry.localeName = localeName;
    entry.nativeLanguageName = firstUpper(locale.nativeLanguageName());
    entry.englishLanguageName = QLocale::languageToString(locale.language());
    entry.bcp47Name = locale.bcp47Name();
    entry.nativeCountryName = locale.nativeCountryName();
    entry.englishCountryName = QLocale::countryToString(locale.country());
    QStringList countries;
    for (QLocale::Country country : QLocale::countriesForLanguage(locale.language()))
        countries << QLocale::countryToString(country);
    entry.countries = countries.join(QStringLiteral(", "));
    if (localeName == EnglishLocale) {
        const QString english = QStringLiteral("English");
        entry.nativeLanguageName = english;
        entry.nativeCountryName = english;
        entry.englishCountryName = english;
    }
    return entry;
}

bool isEnglish(const QString &localeName)
{
    return localeName.left(2).toLower() == EnglishLocale;
}

const char *const Headers[ColumnCount] = {
        "File name",
        "Locale",
        "Localized language name",
        "English language name",
        "Bcp47",
        "Localized country",
        "English country",
        "Countries",
};

} // namespace

class KelTranslator::Private
{
public:
    void scan();
    int findEntry(const QString &localeName) const;
    bool loadInto(QList<QTranslator *> &loaded, const QString &prefix, const QLocale &locale);
    void replaceInstalled(const QList<QTranslator *> &loaded);

    QPointer<KelTranslator> self;
    QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
    QStringList prefixes;
    QString currentLocaleName;
    QList<LocaleEntry> entries;
    QList<QTranslator *> installed;
};

void KelTranslator::Private::scan()
{
    qDebug() << "Begin read available translations. QMPath:" << folder
             << "AppPrefixes:" << prefixes;
    if (prefixes.isEmpty())
        return;

    self->beginResetModel();
    entries.clear();
    bool haveEnglish = false;
    // QDir sorts by name unless told otherwise, so rows come in a stable order.
    const QStringList files = QDir(folder).entryList({prefixes.first() + QStringLiteral("_*.qm")});
    for (const QString &file : files) {
        const QString base = file.left(file.lastIndexOf(QLatin1Char('.')));
        const QString localeName = base.mid(base.indexOf(QLatin1Char('_')) + 1);
        LocaleEntry entry = makeEntry(localeName);
        entry.fileName = file;
        if (isEnglish(localeName)) {
            entries.prepend(entry);
            haveEnglish = true;
        } else {
            entries.append(entry);
        }
    }
    if (!haveEnglish)
        entries.prepend(makeEntry(EnglishLocale));
    qDebug() << "End read available translations";
    self->endResetModel();
}

int KelTranslator::Private::findEntry(const QString &localeName) const
{
    for (int row = 0; row < entries.size(); ++row) {
        if (entries.at(row).localeName.compare(localeName, Qt::CaseInsensitive) == 0)
            return row;
    }
    return -1;
}

bool KelTranslator::Private::loadInto(QList<QTranslator *> &loaded, const QString &prefix,
                                      const QLocale &locale)
{
    auto translator = new QTranslator(self);
    bool ok = translator->load(locale, prefix, QStringLiteral("_"), folder);
    // Debian ships Qt's own catalogues in Qt's folder, not beside programs.
    if (!ok && prefix == QtPrefix)
        ok = translator->load(locale, prefix, QStringLiteral("_"),
                              QLibraryInfo::location(QLibraryInfo::TranslationsPath));
    if (!ok) {
        delete translator;
        return false;
    }
    loaded.append(translator);
    return true;
}

void KelTranslator::Private::replaceInstalled(const QList<QTranslator *> &loaded)
{
    while (!installed.isEmpty()) {
        QTranslator *old = installed.takeLast();
        QCoreApplication::removeTranslator(old);
        delete old;
    }
    for (QTranslator *translator : loaded) {
        installed.append(translator);
        QCoreApplication::installTranslator(translator);
    }
}

KelTranslator::KelTranslator(const QStringList &filePrefixes, QObject *parent)
    : QAbstractTableModel(parent), d(std::make_unique<Private>())
{
    setObjectName(QStringLiteral("KelTranslator"));
    d->self = this;
    d->prefixes = filePrefixes;
    qInfo() << "Translations directory:" << d->folder << ", file prefixes:" << d->prefixes
            << "system locale:" << systemLocaleName();
    d->scan();
}

// The installed translators are children; each removes itself from the
// application as it goes.
KelTranslator::~KelTranslator() = default;

int KelTranslator::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : d->entries.size();
}

int KelTranslator::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant KelTranslator::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const LocaleEntry &entry = d->entries.at(index.row());
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return entry.column(index.column());
    if (role == Qt::UserRole) {
        if (index.column() == nameColumn())
            return entry.localeName;
        return QVariant::fromValue(QModelIndex());
    }
    return QVariant();
}

QVariant KelTranslator::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole) {
        if (orientation == Qt::Vertical)
            return QString::number(section + 1);
        if (section >= 0 && section < ColumnCount)
            return QString::fromLatin1(Headers[section]);
        return QVariant();
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

int KelTranslator::nameColumn()
{
    return 2;
}

QModelIndex KelTranslator::rowForLocale(const QString &localeName) const
{
    const int row = d->findEntry(localeName);
    return row < 0 ? QModelIndex() : index(row, nameColumn());
}

QString KelTranslator::findByLanguageCode(const QString &code) const
{
    for (const LocaleEntry &entry : qAsConst(d->entries)) {
        if (entry.localeName.left(2).toLower() == code)
            return entry.localeName;
    }
    return QString();
}

QString KelTranslator::systemLocaleName()
{
    return QLocale::system().name();
}

QString KelTranslator::currentLocaleName() const
{
    return d->currentLocaleName;
}

bool KelTranslator::translate(const QString &localeName, bool force)
{
    if (localeName.isEmpty()) {
        qWarning() << "Can't translate: Empty language code.";
        return false;
    }
    if (localeName == d->currentLocaleName && !force) {
        qWarning() << "Current LocaleName is the same as requested:" << localeName;
        return true;
    }
    const int row = d->findEntry(localeName);
    if (row < 0) {
        qWarning() << "Can't translate: LocaleName not found:" << localeName;
        return false;
    }

    const QLocale locale(localeName);
    QList<QTranslator *> loaded;
    for (const QString &prefix : qAsConst(d->prefixes)) {
        if (!d->loadInto(loaded, prefix, locale))
            qWarning() << "Failed to load app translation:" << prefix << localeName;
    }
    d->loadInto(loaded, QtPrefix, locale);
    // The built-in English row has no file: the untranslated texts are its
    // translation, so an empty set is the right one to install.
    const bool builtIn = d->entries.at(row).fileName.isEmpty();
    if (loaded.isEmpty() && !builtIn) {
        qWarning() << "Failed to load app translation:" << localeName;
        return false;
    }
    qDebug() << "App translation sucessfully loaded into temporary translator:" << localeName;

    d->replaceInstalled(loaded);
    qInfo() << "App translation applyed. Locale:" << localeName;
    d->currentLocaleName = localeName;
    emit languageChanged(localeName);
    return true;
}

#include "moc_keltranslator.cpp"
