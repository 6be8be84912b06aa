#include "keltranslator.h"

#include "translationfixtures.h"

#include <QtTest>

namespace {

const QString Prefix = QStringLiteral("keltranslatortest");

QString hello()
{
    return QCoreApplication::translate("Fixture", "Hello");
}

QStringList column(const KelTranslator &translator, int column)
{
    QStringList values;
    for (int row = 0; row < translator.rowCount(); ++row)
        values << translator.index(row, column).data().toString();
    return values;
}

} // namespace

class tst_KelTranslator : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void rows_data();
    void rows();
    void rowContents();
    void lookups();
    void switchesLanguage();
    void failedLoadKeepsLanguage();
    void qtCatalogueAlone();
    void backToBuiltInEnglish();

private:
    std::unique_ptr<TranslationFixtures> m_files;
};

void tst_KelTranslator::init()
{
    m_files = std::make_unique<TranslationFixtures>(Prefix);
}

void tst_KelTranslator::rows_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("locales");
    QTest::addColumn<QStringList>("fileNames");

    QTest::newRow("english file first")
            << QStringList{"de", "en", "fr"} << QStringList{"en", "de", "fr"}
            << QStringList{Prefix + "_en.qm", Prefix + "_de.qm", Prefix + "_fr.qm"};
    QTest::newRow("built-in english")
            << QStringList{"fr", "de"} << QStringList{"en", "de", "fr"}
            << QStringList{QString(), Prefix + "_de.qm", Prefix + "_fr.qm"};
    QTest::newRow("english with a country")
            << QStringList{"de", "en_GB"} << QStringList{"en_GB", "de"}
            << QStringList{Prefix + "_en_GB.qm", Prefix + "_de.qm"};
}

void tst_KelTranslator::rows()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, locales);
    QFETCH(QStringList, fileNames);

    for (const QString &locale : files)
        QVERIFY(m_files->add(locale, locale));
    // Another program's files beside ours are not rows.
    TranslationFixtures other(QStringLiteral("otherprefix"));
    QVERIFY(other.add(QStringLiteral("it"), QStringLiteral("Ciao")));

    // Only the first prefix lists languages.
    KelTranslator translator({Prefix, QStringLiteral("otherprefix")});
    QCOMPARE(translator.columnCount(), 8);
    QCOMPARE(column(translator, 1), locales);
    QCOMPARE(column(translator, 0), fileNames);
}

void tst_KelTranslator::rowContents()
{
    QVERIFY(m_files->add(QStringLiteral("de"), QStringLiteral("Hallo")));
    KelTranslator translator({Prefix});
    QCOMPARE(translator.rowCount(), 2);

    QStringList german;
    for (int c = 0; c < 8; ++c)
        german << translator.index(1, c).data().toString();
    QCOMPARE(german.mid(0, 7),
             (QStringList{Prefix + "_de.qm", "de", "Deutsch", "German", "de", "Deutschland",
                          "Germany"}));
    QVERIFY(german.at(7).split(", ").contains("Austria"));

    // The built-in row names English in English whatever the system says.
    QStringList english;
    for (int c = 0; c < 8; ++c)
        english << translator.index(0, c).data().toString();
    QCOMPARE(english.mid(0, 7),
             (QStringList{QString(), "en", "English", "English", "en", "English", "English"}));
    QVERIFY(english.at(7).split(", ").contains("United Kingdom"));

    QCOMPARE(translator.headerData(2, Qt::Horizontal).toString(),
             QStringLiteral("Localized language name"));
    QCOMPARE(translator.headerData(7, Qt::Horizontal).toString(), QStringLiteral("Countries"));
    QVERIFY(!translator.headerData(8, Qt::Horizontal).isValid());
    QCOMPARE(translator.headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
    QCOMPARE(translator.index(1, 2).data(Qt::UserRole).toString(), QStringLiteral("de"));
    QCOMPARE(translator.index(1, 1).data(Qt::UserRole).value<QModelIndex>(), QModelIndex());
    QVERIFY(!translator.index(1, 1).data(Qt::DecorationRole).isValid());
}

void tst_KelTranslator::lookups()
{
    for (const char *locale : {"pt_BR", "pt_PT", "de"})
        QVERIFY(m_files->add(QLatin1String(locale), QLatin1String(locale)));
    KelTranslator translator({Prefix});

    QCOMPARE(translator.findByLanguageCode(QStringLiteral("pt")), QStringLiteral("pt_BR"));
    QCOMPARE(translator.findByLanguageCode(QStringLiteral("fr")), QString());
    const QModelIndex german = translator.rowForLocale(QStringLiteral("DE"));
    QVERIFY(german.isValid());
    QCOMPARE(german.column(), KelTranslator::nameColumn());
    QCOMPARE(german.data(Qt::UserRole).toString(), QStringLiteral("de"));
    QVERIFY(!translator.rowForLocale(QStringLiteral("pt")).isValid());

    // Without a prefix nothing is scanned, not even the built-in row.
    KelTranslator empty({});
    QCOMPARE(empty.rowCount(), 0);
    QCOMPARE(empty.findByLanguageCode(QStringLiteral("en")), QString());
}

void tst_KelTranslator::switchesLanguage()
{
    QVERIFY(m_files->add(QStringLiteral("de"), QStringLiteral("Hallo")));
    QVERIFY(m_files->add(QStringLiteral("fr"), QStringLiteral("Bonjour")));
    KelTranslator translator({Prefix});
    QSignalSpy changed(&translator, &KelTranslator::languageChanged);

    QVERIFY(translator.translate(QStringLiteral("de")));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toString(), QStringLiteral("de"));
    QCOMPARE(hello(), QStringLiteral("Hallo"));

    QTest::ignoreMessage(QtWarningMsg, "Current LocaleName is the same as requested: \"de\"");
    QVERIFY(translator.translate(QStringLiteral("de")));
    QCOMPARE(changed.count(), 1);

    QVERIFY(translator.translate(QStringLiteral("de"), true));
    QCOMPARE(changed.count(), 2);

    // The row is found in any case, but only the same spelling is "already
    // applied".
    QVERIFY(translator.translate(QStringLiteral("DE")));
    QCOMPARE(changed.count(), 3);
    QCOMPARE(hello(), QStringLiteral("Hallo"));

    QVERIFY(translator.translate(QStringLiteral("fr")));
    QCOMPARE(hello(), QStringLiteral("Bonjour"));
    QCOMPARE(translator.currentLocaleName(), QStringLiteral("fr"));

    QTest::ignoreMessage(QtWarningMsg, "Can't translate: LocaleName not found: \"xx\"");
    QVERIFY(!translator.translate(QStringLiteral("xx")));
    QTest::ignoreMessage(QtWarningMsg, "Can't translate: Empty language code.");
    QVERIFY(!translator.translate(QString()));
    QCOMPARE(changed.count(), 4);
    QCOMPARE(hello(), QStringLiteral("Bonjour"));
    QCOMPARE(translator.currentLocaleName(), QStringLiteral("fr"));
}

void tst_KelTranslator::failedLoadKeepsLanguage()
{
    QVERIFY(m_files->add(QStringLiteral("de"), QStringLiteral("Hallo")));
    QVERIFY(m_files->add(QStringLiteral("fr"), QStringLiteral("Bonjour")));
    KelTranslator translator({Prefix});
    QVERIFY(translator.translate(QStringLiteral("de")));
    QSignalSpy changed(&translator, &KelTranslator::languageChanged);

    // A row whose file went away after the scan.
    m_files->remove(QStringLiteral("fr"));
    QTest::ignoreMessage(QtWarningMsg,
                         qPrintable(QStringLiteral("Failed to load app translation: \"%1\" \"fr\"")
                                            .arg(Prefix)));
    QTest::ignoreMessage(QtWarningMsg, "Failed to load app translation: \"fr\"");
    QVERIFY(!translator.translate(QStringLiteral("fr")));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(hello(), QStringLiteral("Hallo"));
    QCOMPARE(translator.currentLocaleName(), QStringLiteral("de"));
}

void tst_KelTranslator::qtCatalogueAlone()
{
    QVERIFY(m_files->add(QStringLiteral("it"), QStringLiteral("Ciao")));
    QVERIFY(m_files->addQt(QStringLiteral("it"), QStringLiteral("Salve")));
    KelTranslator translator({Prefix});
    m_files->remove(QStringLiteral("it"));

    QTest::ignoreMessage(QtWarningMsg,
                         qPrintable(QStringLiteral("Failed to load app translation: \"%1\" \"it\"")
                                            .arg(Prefix)));
    QVERIFY(translator.translate(QStringLiteral("it")));
    QCOMPARE(hello(), QStringLiteral("Salve"));
}

void tst_KelTranslator::backToBuiltInEnglish()
{
    QVERIFY(m_files->add(QStringLiteral("de"), QStringLiteral("Hallo")));
    KelTranslator translator({Prefix});
    QVERIFY(translator.translate(QStringLiteral("de")));
    QCOMPARE(hello(), QStringLiteral("Hallo"));

    // English has no file: choosing it must still undo the German texts.
    QSignalSpy changed(&translator, &KelTranslator::languageChanged);
    QTest::ignoreMessage(QtWarningMsg,
                         qPrintable(QStringLiteral("Failed to load app translation: \"%1\" \"en\"")
                                            .arg(Prefix)));
    QVERIFY(translator.translate(QStringLiteral("en")));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(hello(), QStringLiteral("Hello"));
}

QTEST_GUILESS_MAIN(tst_KelTranslator)

#include "tst_keltranslator.moc"
