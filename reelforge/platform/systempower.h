#pragma once

#include <QString>

// Puts the computer to sleep or switches it off. Each request answers
// whether the system accepted it and, when not, why.
class SystemPower
{
public:
    virtual ~SystemPower();

    // errorText, when given, receives the reason of a refusal.
    virtual bool suspend(QString *errorText) = 0;
    virtual bool powerOff(QString *errorText) = 0;
};
