// Resolving a path with every step checked. POSIX only: the Windows build
// loads what the platform's class registry names.
#if !defined(_WIN32)

#include "runtime/trusted_path.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <system_error>
#include <utility>
#include <vector>

#include "runtime/error.h"
#include "runtime/unique_fd.h"

namespace rt {
namespace {

constexpr int32_t FileNotFound = 53;
constexpr int32_t Refused = 429;
constexpr int MaxLinks = 40;  // as many as the kernel follows

std::string why(int err) { return std::error_code(err, std::generic_category()).message(); }

std::string octal(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}


// Why a component cannot be trusted, or "" when it can. A folder that is
// passed through may be writable by others when it is sticky: its entries
// are then safe from everyone but their owners, whom the owner rule checks.
std::string distrust(const struct stat& st, const std::string& path, bool passedThrough) {
    if (st.st_uid != 0 && st.st_uid != ::geteuid())
        return path + " belongs to user " + std::to_string(st.st_uid) +
               ", neither root nor the user running this process";
    if (S_ISLNK(st.st_mode)) return {};  // a link's own mode means nothing
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) == 0) return {};
    if (passedThrough && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) return {};
    return path + " can be written by others than its owner (mode " + octal(st.st_mode) + ")";
}

std::vector<std::string> components(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string joined(const std::vector<std::string>& names) {
    if (names.empty()) return "/";
    std::string path;
    for (const auto& n : names) path += "/" + n;
    return path;
}

std::string workingFolder() {
    std::vector<char> buffer(PATH_MAX);
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE || buffer.size() > (1u << 20))
            throw Error(errnum::FileAccess, "The working folder cannot be found: " + why(errno));
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

std::string readLink(int fd, const std::string& path) {
    std::vector<char> buffer(256);
    for (;;) {
        // An O_PATH descriptor of a link reads the link itself.
        ssize_t n = ::readlinkat(fd, "", buffer.data(), buffer.size());
        if (n < 0) throw Error(errnum::FileAccess, "The link " + path + " cannot be read: " + why(errno));
        if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

void checkOwnerAndMode(const struct stat& st, const std::string& path, const std::string& what) {
    const std::string reason = distrust(st, path, false);
    if (!reason.empty()) throw Error(Refused, "The " + what + " " + reason + "; it is not used");
}

TrustedPath resolveTrusted(const std::string& path, const char* what, bool allowMissing) {
    const std::string named = std::string("The ") + what + " " + path;
    if (path.empty()) throw Error(FileNotFound, std::string("The ") + what + " is not named");
    auto refuse = [&](const std::string& reason) { return Error(Refused, named + " is not used: " + reason); };

    // Still to resolve, the next component last.
    std::vector<std::string> pending = components(path[0] == '/' ? path : workingFolder() + "/" + path);
    std::vector<std::string> pendingReversed(pending.rbegin(), pending.rend());
    pending = std::move(pendingReversed);

    struct Step {
        Fd fd;
        struct stat info;
    };
    std::vector<std::string> names;  // the folders resolved so far
    std::vector<Step> folders;
    auto openRoot = [&] {
        folders.clear();
        names.clear();
        Fd root(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat st{};
        if (root.get() < 0 || ::fstat(root.get(), &st) != 0)
            throw Error(errnum::FileAccess, "The folder / cannot be read: " + why(errno));
        if (const auto reason = distrust(st, "/", true); !reason.empty()) throw refuse(reason);
        folders.push_back({std::move(root), st});
    };
    openRoot();

    TrustedPath result;
    int links = 0;
    while (!pending.empty()) {
        const std::string name = std::move(pending.back());
        pending.pop_back();
        if (name == ".") continue;
        if (name == "..") {
            if (folders.size() > 1) {
                folders.pop_back();
                names.pop_back();
            }
            continue;
        }
        names.push_back(name);
        const std::string here = joined(names);
        Fd fd(::openat(folders.back().fd.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat st{};
        if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
            if (errno != ENOENT && errno != ENOTDIR)
                throw Error(errnum::FileAccess, named + " cannot be read at " + here + ": " + why(errno));
            // Missing from here on: the rest stays as written.
            if (!allowMissing) throw Error(FileNotFound, named + " does not exist");
            std::string rest = here;
            for (auto it = pending.rbegin(); it != pending.rend(); ++it) rest += "/" + *it;
            result.path = rest;
            return result;
        }
        const bool last = pending.empty();
        if (const auto reason = distrust(st, here, !last); !reason.empty()) throw refuse(reason);
        if (S_ISLNK(st.st_mode)) {
            if (++links > MaxLinks) throw refuse("it passes through more than 40 links");
            const std::string target = readLink(fd.get(), here);
            names.pop_back();
            if (target.empty()) throw refuse("the link " + here + " is empty");
            if (target[0] == '/') openRoot();
            const auto parts = components(target);
            pending.insert(pending.end(), parts.rbegin(), parts.rend());
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            folders.push_back({std::move(fd), st});
            continue;
        }
        if (!last) {
            // A file where a folder should be: nothing lies beyond it.
            if (!allowMissing) throw Error(FileNotFound, named + " does not exist (" + here + " is not a folder)");
            result.path = here;
            return result;
        }
        result.path = here;
        result.exists = true;
        result.info = st;
        return result;
    }
    // Ended in a folder through "." or "..": held to the rule for an end.
    result.path = joined(names);
    if (const auto reason = distrust(folders.back().info, result.path, false); !reason.empty()) throw refuse(reason);
    result.exists = true;
    result.info = folders.back().info;
    return result;
}

}  // namespace rt

#endif  // !_WIN32
