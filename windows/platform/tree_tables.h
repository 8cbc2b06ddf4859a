#pragma once
// Automation surfaces of the tree model's nodes collection, nodes and image
// lists, named as the control names them, so that the in-memory tree view
// and the library can reach each other's objects through automation.

namespace win {

void registerTreeTables();

}  // namespace win
