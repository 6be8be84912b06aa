#pragma once

#include <functional>

class QString;
class QWidget;

// The windows of the demo's "popups" scenario: a main window with a combo
// box of five items, a button and a menu button whose menu has a submenu,
// and a second window. watchReady is given each window to wait for; say
// prints one line. The lines:
//   window NAME id=ID                 the X window of main and second
//   part NAME WINDOW X Y              a part's centre in its window
//   popup NAME shown                  combo, menu or submenu, followed by
//   popup NAME id=ID                  its X window and the part lines of
//                                     its items
//   popup NAME hidden
//   combo checked=0|1                 after each hiding of its popup
//   combo toggled true|false
//   currentDataChanged DATA, itemClicked DATA
//   other clicked
//   WINDOW pressed                    a press reached main or second
//   second moveByUserStarted, second moveByUserFinished
void buildPopupScenario(const std::function<void(QWidget *)> &watchReady,
                        const std::function<void(const QString &)> &say);
