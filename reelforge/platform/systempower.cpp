#include "platform/systempower.h"

SystemPower::~SystemPower() = default;
