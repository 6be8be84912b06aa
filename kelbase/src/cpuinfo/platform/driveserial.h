#pragma once

#include <QString>

// Serial number of the disk that holds the user's local application data.
// Returns 0 on success, else -1 or an errno value.
unsigned long GetDriveSerialNumberForWinInstalledDiskV2(QString &serial);

// Serial number of the disk behind a block device, given by its sysfs folder
// (such as "/sys/dev/block/8:1"). A partition is followed to its disk and a
// mapped device (LVM, dm-crypt) to the disk below it. The serial is taken from
// udev's database in udevDataDir, else from sysfs. Returns 0 on success, else
// -1 or an errno value.
unsigned long GetDriverSerialNumber(const QString &devicePath, QString &serial,
                                    const QString &udevDataDir = QStringLiteral("/run/udev/data"));
