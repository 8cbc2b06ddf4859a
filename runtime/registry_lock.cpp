// Writers taking turns on a registry folder. POSIX only, like the files.
#if !defined(_WIN32)

#include "runtime/registry_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <system_error>
#include <thread>

#include "runtime/error.h"
#include "runtime/trusted_path.h"

namespace rt {
namespace {

constexpr int32_t FileAccess = 75;
constexpr int32_t Refused = 429;

std::string why(int err) { return std::error_code(err, std::generic_category()).message(); }

// How long a writer waits for another one before it gives up.
constexpr auto LockWait = std::chrono::seconds(5);

}  // namespace

// The writers' lock: a file in the registry folder that only the folder's
// writer can open, so no other user can hold it. A writer that cannot get
// it in time fails before it has changed anything.
Fd lockRegistry(int dirFd, const std::string& folder) {
    const std::string path = folder + "/" + LockName;
    Fd lock(::openat(dirFd, LockName, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600));
    if (lock.get() < 0)
        throw Error(FileAccess, "The lock file " + path + " cannot be opened: " + why(errno) + "; nothing was changed");
    struct stat st{};
    if (::fstat(lock.get(), &st) != 0)
        throw Error(FileAccess, "The lock file " + path + " cannot be read: " + why(errno) + "; nothing was changed");
    if (!S_ISREG(st.st_mode))
        throw Error(Refused, "The lock file " + path + " is not a regular file; nothing was changed");
    checkOwnerAndMode(st, path, "lock file");
    if ((st.st_mode & 077) != 0 && ::fchmod(lock.get(), 0600) != 0)
        throw Error(FileAccess, "The lock file " + path + " cannot be closed to other users: " + why(errno) +
                                    "; nothing was changed");
    const auto deadline = std::chrono::steady_clock::now() + LockWait;
    while (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK)
            throw Error(FileAccess, "The registry folder " + folder + " cannot be locked: " + why(errno) +
                                        "; nothing was changed");
        if (std::chrono::steady_clock::now() >= deadline)
            throw Error(FileAccess, "Another writer of the registry folder " + folder +
                                        " did not finish within 5 seconds; nothing was changed");
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return lock;
}

// The temporary files of writers that died before renaming them
// (".NAME.new-PID-N"). Only a writer holding the lock writes one, so under
// the lock any whose process is gone is left over.
void removeDeadWritersFiles(int dirFd, const std::vector<std::string>& names) {
    for (const auto& name : names) {
        const size_t mark = name.rfind(".new-");
        if (name.size() < 2 || name[0] != '.' || mark == std::string::npos) continue;
        const std::string rest = name.substr(mark + 5);
        const size_t dash = rest.find('-');
        if (dash == 0 || dash == std::string::npos) continue;
        if (rest.find_first_not_of("0123456789") != dash) continue;
        if (rest.find_first_not_of("0123456789", dash + 1) != std::string::npos || dash + 1 == rest.size()) continue;
        const long pid = std::strtol(rest.substr(0, dash).c_str(), nullptr, 10);
        if (pid <= 0 || pid == ::getpid() || pid > INT_MAX) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        struct stat st{};
        if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || st.st_uid != ::geteuid()) continue;
        ::unlinkat(dirFd, name.c_str(), 0);
    }
}

}  // namespace rt

#endif  // !_WIN32
