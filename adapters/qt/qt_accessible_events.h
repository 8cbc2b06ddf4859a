#pragma once
// Where the changes that our trees tell go, and what becomes of the events
// that Qt's item views send about them on their own.
//
// Qt's tree view sends focus and selection events for its rows numbered its
// own way (always after a row of headers, shown or not), sends the focus to
// a row while the keyboard is elsewhere, and to the tree itself when it gets
// the focus. While a tree of ours lives, every accessibility event passes
// here first: the events of our trees' widgets are told again in the trees'
// own terms (the current row takes the focus; a row that does not show is
// not told at all), everything else goes on unchanged.
//
// The platform's bridge remembers the object that had the focus last and
// tells it that it lost it when the focus moves on: a row of ours that had it
// therefore outlives its node until the focus has moved twice, so that no
// one hears of an object that is already gone.

#include <QAccessible>

namespace qt_tree::events {

// Sends an event on: to the test's listener, if one listens, otherwise to
// the platform (see setAccessibilityUpdate in qt_accessibility.h).
void deliver(QAccessibleEvent* event);
// The platform itself, past the filter. A tree's expanded or collapsed row
// is also told over AT-SPI directly, where the running bridge has no words
// for it.
void toPlatform(QAccessibleEvent* event);
// Starts passing every event through the filter (once).
void startFiltering();
// The filter: what Qt hands on while assistive technology listens (and
// what a test sends as Qt would).
void fromQt(QAccessibleEvent* event);

// The object that the last focus event went to, or 0.
QAccessible::Id lastFocus();
// Whether the reader still has the focus there: the last focus event went to
// it and no window of the program was activated or deactivated since.
bool readerHasFocusOn(QAccessible::Id id);
// Keeps a row's description (that had the focus) until the focus has moved
// on twice, then deletes it; its tree may delete it earlier.
void keepUntilFocusMovesOn(QAccessible::Id row);
void forget(QAccessible::Id row);

}  // namespace qt_tree::events
