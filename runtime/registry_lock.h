#pragma once
// The writers' side of a registry folder: the lock they take turns with and
// the leftovers of writers that died. Internal to the registry's writers.

#include <string>
#include <vector>

#include "runtime/unique_fd.h"

namespace rt {

// The writers' lock file in a registry folder. It is hidden from readers
// like the writers' temporary files.
inline constexpr const char* LockName = ".lock";

// Takes the writers' lock of the open registry folder dirFd: the file
// LockName, which only the folder's owner can open, so no other user can
// hold it. Waits at most 5 seconds for another writer, then fails (75)
// before anything has changed. The lock lasts as long as the descriptor.
Fd lockRegistry(int dirFd, const std::string& folder);

// Under the lock: removes the temporary files (".NAME.new-PID-N", among
// names) whose writers are gone.
void removeDeadWritersFiles(int dirFd, const std::vector<std::string>& names);

}  // namespace rt
