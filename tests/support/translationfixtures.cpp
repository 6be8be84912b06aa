#include "translationfixtures.h"

#include "waitbound.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

TranslationFixtures::TranslationFixtures(const QString &prefix) : m_prefix(prefix)
{
    QDir().mkpath(folder());
    removeAll();
}

TranslationFixtures::~TranslationFixtures()
{
    removeAll();
}

QString TranslationFixtures::folder()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
}

bool TranslationFixtures::add(const QString &localeName, const QString &translation)
{
    return write(m_prefix + QLatin1Char('_') + localeName + QStringLiteral(".qm"), localeName,
                 translation);
}

bool TranslationFixtures::addQt(const QString &localeName, const QString &translation)
{
    return write(QStringLiteral("qt_") + localeName + QStringLiteral(".qm"), localeName,
                 translation);
}

void TranslationFixtures::remove(const QString &localeName)
{
    QFile::remove(folder() + QLatin1Char('/') + m_prefix + QLatin1Char('_') + localeName
                  + QStringLiteral(".qm"));
}

void TranslationFixtures::removeAll()
{
    QDir dir(folder());
    for (const QString &file : dir.entryList({m_prefix + QStringLiteral("_*.qm")}))
        dir.remove(file);
    for (const QString &file : qAsConst(m_written))
        dir.remove(file);
    m_written.clear();
}

bool TranslationFixtures::write(const QString &fileName, const QString &localeName,
                                const QString &translation)
{
    QTemporaryDir scratch;
    const QString source = scratch.filePath(QStringLiteral("fixture.ts"));
    QFile ts(source);
    if (!ts.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&ts);
    out.setCodec("UTF-8");
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n"
        << "<TS version=\"2.1\" language=\"" << localeName << "\">\n"
        << "<context><name>Fixture</name><message><source>Hello</source>"
        << "<translation>" << translation.toHtmlEscaped() << "</translation>"
        << "</message></context>\n</TS>\n";
    out.flush();
    ts.close();

    const QString lrelease = QLibraryInfo::location(QLibraryInfo::BinariesPath)
            + QStringLiteral("/lrelease");
    const QString target = folder() + QLatin1Char('/') + fileName;
    QProcess process;
    process.start(lrelease, {QStringLiteral("-silent"), source, QStringLiteral("-qm"), target});
    if (!process.waitForFinished(WaitBound::ms()) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        qWarning("lrelease failed: %s", qPrintable(process.errorString()));
        return false;
    }
    m_written << fileName;
    return QFile::exists(target);
}
