#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <memory>

// The UI languages that ship beside the program, as a table model, and the
// switch between them.
//
// The folder "translations" beside the program is scanned once, at
// construction, for files named by the first prefix, "_", a locale name and
// ".qm". Each file is a row; an English row comes first, and one without a
// file is built in when no English file exists. The eight columns are the
// file name, the locale name, the language's native and English names, its
// BCP 47 tag, the country's native and English names and every country of
// the language. Language pickers show nameColumn().
//
// translate() loads the files of every prefix and then Qt's own "qt"
// catalogue for a locale and installs them in place of the previous set;
// the installed set changes only when that succeeds.
//
// Created by KelApplication::installTranslator(). GUI thread only.
class KelTranslator : public QAbstractTableModel
{
    Q_OBJECT

public:
    KelTranslator(const QStringList &filePrefixes, QObject *parent = nullptr);
    ~KelTranslator() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    // Qt::UserRole gives the locale name in the name column.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    static int nameColumn();
    // The name column of the first row of that locale, ignoring case;
    // invalid when there is none.
    QModelIndex rowForLocale(const QString &localeName) const;
    // The locale of the first row whose language is the two-letter code;
    // empty when there is none.
    QString findByLanguageCode(const QString &code) const;
    static QString systemLocaleName();

    // The locale last applied; empty before the first switch.
    QString currentLocaleName() const;

    // Applies a locale that has a row (any case). Asking again for the
    // locale already applied, spelled the same, changes nothing and
    // succeeds unless force is set. False, with the language unchanged,
    // when there is no row or nothing could be loaded.
    bool translate(const QString &localeName, bool force = false);

signals:
    void languageChanged(const QString &langCode);

private:
    class Private;
    std::unique_ptr<Private> d;
};
