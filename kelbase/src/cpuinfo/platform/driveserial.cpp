#include "driveserial.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtDebug>

#include <cerrno>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

const unsigned long Failed = static_cast<unsigned long>(-1);

// Longer values are not taken as a serial, whatever the file holds.
const qint64 MaxSerialSize = 1024;
// Bounds the udev record read; real ones are a few KB.
const qint64 MaxUdevRecordSize = 1024 * 1024;
// Bounds the walk through stacked mapped devices.
const int MaxStackDepth = 8;

enum class Read { Missing, Found, Overflow };

// A serial is a zero-terminated byte string; blanks alone are no serial.
Read takeSerial(QByteArray bytes, QString &serial)
{
    const int end = bytes.indexOf('\0');
    if (end >= 0)
        bytes.truncate(end);
    if (bytes.size() > MaxSerialSize)
        return Read::Overflow;
    if (bytes.trimmed().isEmpty())
        return Read::Missing;
    serial = QString::fromUtf8(bytes);
    return Read::Found;
}

Read readSysfsSerial(const QString &path, QString &serial)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Read::Missing;
    return takeSerial(file.read(MaxSerialSize + 1), serial);
}

Read readUdevSerial(const QString &udevDataDir, const QString &disk, QString &serial)
{
    QFile devFile(disk + QLatin1String("/dev"));
    if (!devFile.open(QIODevice::ReadOnly))
        return Read::Missing;
    const QString majorMinor = QString::fromLatin1(devFile.readAll().trimmed());
    QFile record(udevDataDir + QLatin1String("/b") + majorMinor);
    if (majorMinor.isEmpty() || !record.open(QIODevice::ReadOnly))
        return Read::Missing;

    QByteArray shortSerial;
    QByteArray longSerial;
    const QList<QByteArray> lines = record.read(MaxUdevRecordSize).split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("E:ID_SERIAL_SHORT="))
            shortSerial = line.mid(18);
        else if (line.startsWith("E:ID_SERIAL="))
            longSerial = line.mid(12);
    }
    const Read found = takeSerial(shortSerial, serial);
    return found == Read::Missing ? takeSerial(longSerial, serial) : found;
}

// sysfs keeps a partition's folder inside its disk's folder.
QString wholeDisk(const QString &blockDevice)
{
    if (QFileInfo::exists(blockDevice + QLatin1String("/partition")))
        return QFileInfo(blockDevice).absolutePath();
    return blockDevice;
}

Read readDiskSerial(const QString &disk, const QString &udevDataDir, QString &serial)
{
    Read found = readUdevSerial(udevDataDir, disk, serial);
    if (found == Read::Missing)
        found = readSysfsSerial(disk + QLatin1String("/device/serial"), serial);
    if (found == Read::Missing)
        found = readSysfsSerial(disk + QLatin1String("/serial"), serial);
    return found;
}

QString nearestExistingFolder(QString path)
{
    while (!QFileInfo::exists(path)) {
        const QString parent = QFileInfo(path).absolutePath();
        if (parent == path)
            return QString();
        path = parent;
    }
    return path;
}

} // namespace

unsigned long GetDriveSerialNumberForWinInstalledDiskV2(QString &serial)
{
    const QString dataFolder = QStandardPaths::writableLocation(
            QStandardPaths::AppLocalDataLocation);
    if (dataFolder.isEmpty()) {
        qWarning() << "Get root path [FAILED]";
        return Failed;
    }
    // The data folder may not exist yet; the drive that will hold it is the
    // drive of its nearest existing parent.
    const QString existing = nearestExistingFolder(dataFolder);
    if (existing.isEmpty())
        return Failed;
    struct stat info;
    if (::stat(QFile::encodeName(existing).constData(), &info) != 0)
        return static_cast<unsigned long>(errno);

    const QString devicePath
            = QStringLiteral("/sys/dev/block/%1:%2").arg(major(info.st_dev)).arg(minor(info.st_dev));
    return GetDriverSerialNumber(devicePath, serial);
}

unsigned long GetDriverSerialNumber(const QString &devicePath, QString &serial,
                                    const QString &udevDataDir)
{
    QString device = QFileInfo(devicePath).canonicalFilePath();
    if (device.isEmpty())
        return ENOENT;

    for (int depth = 0; depth < MaxStackDepth; ++depth) {
        const QString disk = wholeDisk(device);
        switch (readDiskSerial(disk, udevDataDir, serial)) {
        case Read::Found:
            return 0;
        case Read::Overflow:
            serial.clear();
            qWarning() << "Read serial number failed. Buffer overflow";
            return Failed;
        case Read::Missing:
            break;
        }
        // A mapped device has no serial of its own: take the disk it lies on.
        const QStringList below = QDir(disk + QLatin1String("/slaves"))
                                          .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        if (below.isEmpty())
            break;
        device = QFileInfo(disk + QLatin1String("/slaves/") + below.first()).canonicalFilePath();
        if (device.isEmpty())
            break;
    }
    return Failed;
}
