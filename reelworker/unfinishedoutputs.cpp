#include "unfinishedoutputs.h"

#include "platform/lockedfile.h"

#include "core/partialoutput.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace {

const char recordSuffix[] = ".outputs";

// One line per change, "+" or "-" and the percent-encoded path, appended so
// that a record cut short by a crash still names every file it began.
QByteArray recordLine(char change, const QString &path)
{
    return change + QFile::encodeName(path).toPercentEncoding() + '\n';
}

QStringList pathsIn(const QByteArray &record)
{
    QStringList paths;
    for (const QByteArray &line : record.split('\n')) {
        if (line.size() < 2)
            continue;
        const QString path = QFile::decodeName(QByteArray::fromPercentEncoding(line.mid(1)));
        if (line.at(0) == '+' && !paths.contains(path))
            paths.append(path);
        else if (line.at(0) == '-')
            paths.removeAll(path);
    }
    return paths;
}

bool removePartialFile(const QString &path)
{
    const QFileInfo file(path);
    if (!PartialOutput::isPartialFileName(file.fileName()) || !file.exists())
        return false;
    if (QFile::remove(path))
        return true;
    qWarning().noquote() << "Can't remove unfinished output file:" << path;
    return false;
}

} // namespace

class UnfinishedOutputs::Private
{
public:
    QDir folder;
    QString recordPath;
    std::unique_ptr<LockedFile> record;
};

UnfinishedOutputs::UnfinishedOutputs(const QString &folder) : d(std::make_unique<Private>())
{
    d->folder = QDir(folder);
    if (folder.isEmpty() || !d->folder.mkpath(QStringLiteral("."))) {
        qWarning().noquote() << "Can't keep a record of unfinished outputs in" << folder;
        return;
    }
    d->recordPath = d->folder.filePath(QUuid::createUuid().toString(QUuid::Id128)
                                       + QLatin1String(recordSuffix));
    d->record = LockedFile::create(d->recordPath);
    if (!d->record)
        qWarning().noquote() << "Can't create the record of unfinished outputs" << d->recordPath;
}

UnfinishedOutputs::~UnfinishedOutputs()
{
    if (d->record)
        d->record->remove();
}

int UnfinishedOutputs::removeAbandoned()
{
    if (!d->record)
        return 0;
    int removed = 0;
    const QStringList names = d->folder.entryList({QLatin1Char('*') + QLatin1String(recordSuffix)},
                                                  QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        const QString path = d->folder.filePath(name);
        if (path == d->recordPath)
            continue;
        const std::unique_ptr<LockedFile> abandoned = LockedFile::takeAbandoned(path);
        if (!abandoned)
            continue; // its worker still runs
        for (const QString &output : pathsIn(abandoned->readAll())) {
            if (removePartialFile(output)) {
                qInfo().noquote() << "Removed unfinished output of an ended worker:" << output;
                ++removed;
            }
        }
        abandoned->remove();
    }
    return removed;
}

void UnfinishedOutputs::add(const QString &path)
{
    if (d->record && !d->record->append(recordLine('+', path)))
        qWarning().noquote() << "Can't record the unfinished output" << path;
}

void UnfinishedOutputs::forget(const QString &path)
{
    if (d->record)
        d->record->append(recordLine('-', path));
}

void UnfinishedOutputs::discard(const QString &path)
{
    if (removePartialFile(path))
        qInfo().noquote() << "Removed unfinished output file:" << path;
    forget(path);
}
