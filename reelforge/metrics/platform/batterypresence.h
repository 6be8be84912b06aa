#pragma once

#include <QString>

// Whether the computer runs on a battery of its own, from the power-supply
// class folder of sysfs: 1 when a supply of type "Battery" powers the
// system (a scope of "Device" marks one inside a mouse or headset), 0 when
// none does, -1 when the folder cannot be read.
int batteryPresence(const QString &powerSupplyDir = QStringLiteral("/sys/class/power_supply"));
