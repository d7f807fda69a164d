#pragma once

#include "eventlog/event_log.h"

#include <QString>

class QWidget;

namespace ui {

// What the person last did, for the log: the caption of the window, and of the button, menu
// entry or key that started the handler now running ("Удалить", "F5 в «Табель»").
struct Activity {
    QString window;
    QString action; // empty when nothing was seen
};

// From now on every click, key press and shortcut of the application is noted; start-up calls
// it once, later calls change nothing.
void watchActivity();

// The last one noted; before any, the active window without an action.
Activity lastActivity();

// The caption a person knows a control by: a button's text, its accessible name, the label
// that names it or its tooltip, else its object name; without the mnemonic's '&'.
QString controlName(const QWidget* widget);

// The caption of the window a widget is in; a menu's or a list's popup counts as the window
// it pops up from.
QString windowName(const QWidget* widget);

// The log's line of a change written from a window: a save, a deletion, an acceptance or a
// rebuild, named by the button that does it (whichever key or click pressed it), and what
// was changed.
void logChange(eventlog::Kind kind, const QWidget* button, const QString& what);

} // namespace ui
