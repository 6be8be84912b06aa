#include "cpuinfo.h"

#include "platform/driveserial.h"

#include <QCryptographicHash>
#include <QtDebug>

namespace {
const char MachineIdSalt[] = "{5D2C81F0-3A7B-4E96-A1C4-7F08B2E9D613}";
}

class CpuInfo::Private
{
public:
    QString hddSerialOsInstalledV2() const;
};

QString CpuInfo::Private::hddSerialOsInstalledV2() const
{
    QString serial;
    const unsigned long result = GetDriveSerialNumberForWinInstalledDiskV2(serial);
    if (result != 0) {
        qWarning() << "Get HDD info for OS installed error:%1" << static_cast<long>(result);
        return QString();
    }
    return serial.trimmed();
}

CpuInfo::CpuInfo() : d(std::make_unique<Private>()) { }

CpuInfo::~CpuInfo() = default;

QString CpuInfo::machineId() const
{
    // Without a serial the identifier is the digest of the salt alone, the
    // same on every computer whose disk serial cannot be read.
    const QByteArray text = (d->hddSerialOsInstalledV2() + QLatin1String(MachineIdSalt)).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex());
}
