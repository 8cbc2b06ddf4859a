#pragma once
// Which code a component server brings into the process, checked before it
// is loaded: the server file itself and, through its run path, every library
// that the loader would find for it in a folder the server names (its own
// folder through $ORIGIN included). Libraries the loader finds in the
// system's own places are root's and are not walked again.

#include <string>

#include "runtime/trusted_path.h"

namespace rt {

// The canonical path of a server file that may be loaded: a regular file
// that passes resolveTrusted, whose run-path folders and the libraries it
// needs from them pass as well. 53 when missing; 429 naming what cannot be
// trusted and why (an empty or relative run-path entry, one naming $LIB or
// $PLATFORM, a folder or library that others can change).
TrustedPath checkServerCode(const std::string& path);

}  // namespace rt
