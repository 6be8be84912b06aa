#include "ui/darkstyle.h"

#include <QCoreApplication>

DarkStyle::DarkStyle(QObject *parent) : Style(parent) { }

DarkStyle::~DarkStyle() = default;

QString DarkStyle::styleId() const
{
    return QStringLiteral("DarkStyle");
}

QString DarkStyle::displayName() const
{
    return QCoreApplication::translate("Dialog_Settings", "Dark");
}

QString DarkStyle::styleIcon() const
{
    return QStringLiteral(":/svg/style-dark.svg");
}

bool DarkStyle::isDarkTheme() const
{
    return true;
}
