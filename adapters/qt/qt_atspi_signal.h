#pragma once
// What Qt's AT-SPI bridge has no words for, said on the accessibility bus
// directly: Qt 6.4's bridge passes on a change of the checked, focused,
// enabled and active states only, and none of a row that opens or closes.
// The signal goes out on the bridge's own connection, from the object path
// that the bridge gives the row, so that a client hears it from the very
// object that it reads; without the bridge (another platform, accessibility
// off) nothing is said.

#include <QtGlobal>

QT_BEGIN_NAMESPACE
class QAccessibleInterface;
QT_END_NAMESPACE

namespace qt_tree::atspi {

void tellStateChange(QAccessibleInterface* object, const char* state, bool on);

}  // namespace qt_tree::atspi
