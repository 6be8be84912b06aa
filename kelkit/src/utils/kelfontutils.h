#pragma once

#include <QFont>
#include <QString>

class QWidget;

// Font builders of the framework. GUI thread only.
namespace KelUtils {

// The family the framework's looks are designed for; the system
// substitutes a close match when it is not installed.
QString defaultFontFamily();

QFont makeFont(int pixelSize, int weight = QFont::Normal,
               const QString &family = defaultFontFamily());

// Changes only what differs, so an unchanged font causes no relayout.
void setWidgetFont(QWidget *widget, int pixelSize, int weight = QFont::Normal,
                   const QString &family = defaultFontFamily());

} // namespace KelUtils
