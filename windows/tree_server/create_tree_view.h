#pragma once
// A new in-memory tree view automation object (free of the platform's
// headers, for the entry points).

#include "runtime/object.h"

namespace tree_server {

rt::ObjectRef createTreeView();

}  // namespace tree_server
