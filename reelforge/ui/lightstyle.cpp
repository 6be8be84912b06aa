#include "ui/lightstyle.h"

#include <QCoreApplication>

LightStyle::LightStyle(QObject *parent) : Style(parent) { }

LightStyle::~LightStyle() = default;

QString LightStyle::styleId() const
{
    return QStringLiteral("LightStyle");
}

QString LightStyle::displayName() const
{
    return QCoreApplication::translate("Dialog_Settings", "Light");
}

QString LightStyle::styleIcon() const
{
    return QStringLiteral(":/svg/style-light.svg");
}
