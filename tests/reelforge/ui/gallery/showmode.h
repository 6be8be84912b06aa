#pragma once

#include "datamodel/videoitem.h"

#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include <functional>

// The gallery's "--show <window> [clip]" mode for the X11 scenarios:
//   reelgallery --show trim clip.mp4
// opens one real window and prints, flushed, one "name x y" line per named
// point (global coordinates) once the window has settled, then "ready"; it
// prints them again after every later move of the window. When the window
// closes it prints the window's state lines, then "closed", and exits 0.
// A window may print lines of its own between them (printShowLine).
//
// Each window registers itself once, in its own source file:
//   static const bool registered = registerShowWindow("trim", [](const ShowContext &c) {
//       ShownWindow shown;
//       ...
//       return shown;
//   });

struct ShowPoint
{
    QString name;
    QPoint global;
};

struct ShowContext
{
    // The clip given on the command line, absolute; empty without one.
    QString clip;
    // The clip imported as a queue item (probed, state Imported); null
    // without a clip.
    VideoItemPtr item;
};

struct ShownWindow
{
    // The shown top-level window; null when it could not be opened.
    QPointer<QWidget> window;
    // Read each time the points are printed.
    std::function<QVector<ShowPoint>()> points;
    // Read once the window has closed (it may be deleted by then).
    std::function<QStringList()> state;
};

using ShowOpener = std::function<ShownWindow(const ShowContext &context)>;

// Adds a window under name; true, so that it can initialise a static.
bool registerShowWindow(const char *name, const ShowOpener &opener);

// Prints one line for the scenario, flushed at once.
void printShowLine(const QString &line);

// The global centre of a widget, for a point list.
ShowPoint centreOf(const QString &name, const QWidget *widget);

// Runs the mode with the program's arguments (argv[1] is "--show").
int runShowMode(int argc, char **argv);
