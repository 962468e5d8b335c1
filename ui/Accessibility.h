#pragma once

// What a screen reader and a keyboard need of the kit's own widgets. Qt
// names its standard controls itself (a push button by its text); a row of
// a list is our own widget, so it gets an interface here: a list item,
// named by what the row shows ("Games (2), /Applications/Category000.app"),
// selected when it is, and pressed as a tap on it would be.
//
// And one rule for every button of ours: it takes the keyboard focus with
// Tab, and Return, Enter or Space press it.

#include <QList>
#include <QString>

class QAbstractButton;
class QWidget;

namespace nestora::ui {

// Installs the interfaces, once; the app, the home screen and the tests
// call it at start-up, and every list does on its first use.
void installAccessibility();

// A button that Tab reaches and Return, Enter and Space press, named for a
// screen reader (an empty name keeps the one Qt gives it: its text).
void makeKeyboardButton(QAbstractButton* button, const QString& accessibleName = {});

// Whether the last key or button the person pressed was on the keyboard: a
// focus ring shows only for them (not when a window first opens).
bool keyboardInUse();

// The controls inside `container` that Tab can reach, in Tab's order.
QList<QWidget*> tabStops(QWidget* container);
// Moves the focus to the next (or previous) of them, round and round, so
// that Tab never leaves a modal screen or an alert. False when there is none.
bool cycleFocus(QWidget* container, bool next);

}  // namespace nestora::ui
