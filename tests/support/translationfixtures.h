#pragma once

#include <QString>
#include <QStringList>

// Writes Qt translation files for tests into the folder "translations"
// beside the test program, where KelTranslator looks, with lrelease from
// Qt's tools. Test programs share that folder, so each uses a prefix of its
// own; the files of that prefix (and the "qt" files it wrote) are removed
// when the object is made and when it goes.
class TranslationFixtures
{
public:
    explicit TranslationFixtures(const QString &prefix);
    ~TranslationFixtures();

    TranslationFixtures(const TranslationFixtures &) = delete;
    TranslationFixtures &operator=(const TranslationFixtures &) = delete;

    static QString folder();

    // prefix + "_" + localeName + ".qm", translating the source text
    // "Hello" in context "Fixture" to translation. False when lrelease
    // failed or is missing.
    bool add(const QString &localeName, const QString &translation);
    // The same for Qt's own catalogue, "qt_" + localeName + ".qm".
    bool addQt(const QString &localeName, const QString &translation);
    void remove(const QString &localeName);
    void removeAll();

private:
    bool write(const QString &fileName, const QString &localeName, const QString &translation);

    QString m_prefix;
    QStringList m_written;
};
