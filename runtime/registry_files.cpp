// The registry on disk: reading it with every file and folder checked, and writing one server's file so that neither a crash,
// a full disk, a second writer nor a planted link can lose or damage
// anything. POSIX only: the Windows build keeps its registrations in the
// platform's own class registry.
#if !defined(_WIN32)

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <system_error>
#include <utility>

#include "runtime/error.h"
#include "runtime/registry.h"

namespace rt {
namespace {

constexpr int32_t FileNotFound = 53;
constexpr int32_t FileAccess = 75;
constexpr int32_t Refused = 429;

std::string why(int err) { return std::error_code(err, std::generic_category()).message(); }

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

std::string folderOf(const std::string& path) {
    auto parent = std::filesystem::path(path).parent_path().string();
    return parent.empty() ? "." : parent;
}
std::string nameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

std::string octal(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

// As ssh does with its keys: what someone other than its owner could have
// written is not believed, and neither is what belongs to a third user.
void checkTrusted(const struct stat& st, const std::string& path, const char* what) {
    if (st.st_uid != 0 && st.st_uid != ::geteuid())
        throw Error(Refused, std::string("The ") + what + " " + path + " belongs to user " + std::to_string(st.st_uid) +
                                 ", neither root nor the user running this process; it is not used");
    if (st.st_mode & (S_IWGRP | S_IWOTH))
        throw Error(Refused, std::string("The ") + what + " " + path +
                                 " can be written by others than its owner (mode " + octal(st.st_mode) +
                                 "); it is not used");
}

void checkPathText(const std::string& path, const char* what) {
    if (path.empty()) throw Error(FileNotFound, std::string("The ") + what + " is not named");
    checkRegistryField(path, what);
}

// The folder that holds a registry: missing is allowed (nothing is there),
// anything else must be trusted.
bool checkHoldingFolder(const std::string& location) {
    const std::string folder = folderOf(location);
    struct stat st{};
    if (::stat(folder.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return false;
        throw Error(FileAccess, "The folder " + folder + " of the registry cannot be read: " + why(errno));
    }
    if (!S_ISDIR(st.st_mode)) throw Error(FileAccess, "The registry's folder " + folder + " is not a folder");
    checkTrusted(st, folder, "folder of the registry");
    return true;
}

// Opens a registry file for reading without blocking (a named pipe must not
// hang the caller) and checks it. No file: -1.
int openRegistryFile(int dirFd, const std::string& name, const std::string& path) {
    int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT) return -1;
        throw Error(FileAccess, "The registry file " + path + " cannot be read: " + why(errno));
    }
    Fd file(fd);
    struct stat st{};
    if (::fstat(fd, &st) != 0) throw Error(FileAccess, "The registry file " + path + " cannot be read: " + why(errno));
    if (!S_ISREG(st.st_mode)) throw Error(Refused, "The registry file " + path + " is not a regular file; it is not used");
    checkTrusted(st, path, "registry file");
    // A link in a registry folder is followed only into a folder that is
    // trusted as well.
    struct stat link{};
    if (::fstatat(dirFd, name.c_str(), &link, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(link.st_mode)) {
        char* real = ::realpath(path.c_str(), nullptr);
        if (!real) throw Error(FileAccess, "The registry file " + path + " cannot be read: " + why(errno));
        const std::string target = real;
        std::free(real);
        struct stat folder{};
        if (::stat(folderOf(target).c_str(), &folder) != 0)
            throw Error(FileAccess, "The registry file " + path + " cannot be read: " + why(errno));
        checkTrusted(folder, folderOf(target), "folder of the registry file");
    }
    return file.release();
}

std::string readAll(int fd, const std::string& path) {
    std::string text;
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw Error(FileAccess, "The registry file " + path + " cannot be read: " + why(errno));
        if (n == 0) return text;
        text.append(buffer, static_cast<size_t>(n));
    }
}

// The file of the old format; false when there is none.
bool readOldFile(const std::string& location, RegistryContents& out) {
    Fd dir(::open(folderOf(location).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) {
        if (errno == ENOENT) return false;
        throw Error(FileAccess, "The folder of the registry " + location + " cannot be read: " + why(errno));
    }
    Fd file(openRegistryFile(dir.get(), nameOf(location), location));
    if (file.get() < 0) return false;
    out = parseOldRegistry(readAll(file.get(), location), location);
    return true;
}

// Opens the registry folder; -1 when there is none.
int openFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return -1;
        if (errno == ENOTDIR) throw Error(Refused, "The registry folder " + folder + " is not a folder; it is not used");
        throw Error(FileAccess, "The registry folder " + folder + " cannot be read: " + why(errno));
    }
    Fd dir(fd);
    struct stat st{};
    if (::fstat(fd, &st) != 0) throw Error(FileAccess, "The registry folder " + folder + " cannot be read: " + why(errno));
    checkTrusted(st, folder, "registry folder");
    return dir.release();
}

bool isServerFileName(const std::string& name) {
    return !name.empty() && name[0] != '.' && name.size() > 7 && name.ends_with(".server");
}

std::vector<std::string> serverFileNames(int dirFd, const std::string& folder) {
    int copy = ::dup(dirFd);
    if (copy < 0) throw Error(FileAccess, "The registry folder " + folder + " cannot be read: " + why(errno));
    DIR* dir = ::fdopendir(copy);
    if (!dir) {
        ::close(copy);
        throw Error(FileAccess, "The registry folder " + folder + " cannot be read: " + why(errno));
    }
    ::rewinddir(dir);
    std::vector<std::string> names;
    errno = 0;
    while (dirent* e = ::readdir(dir)) {
        if (isServerFileName(e->d_name)) names.emplace_back(e->d_name);
        errno = 0;
    }
    const int err = errno;
    ::closedir(dir);
    if (err) throw Error(FileAccess, "The registry folder " + folder + " cannot be read: " + why(err));
    std::sort(names.begin(), names.end());
    return names;
}

void append(RegistryContents& to, const ServerRegistration& r) {
    to.typeLibraries.push_back(r.typeLibrary);
    for (const auto& c : r.classes) to.classes.push_back(c);
}

// Makes a rename or removal in the folder last. Some file systems cannot
// flush a folder; the change stands all the same.
void syncFolder(int dirFd) { ::fsync(dirFd); }

// Writes name in the folder whole, or not at all: a new file under a name of
// its own, created exclusively and never through a link, flushed, then
// renamed over the old one. A registry file that is a link is written
// through to its target; the old file's mode, owner and group are kept.
void writeFileAt(int dirFd, const std::string& folder, const std::string& name, const std::string& text) {
    int targetDir = dirFd;
    std::string targetFolder = folder, targetName = name;
    Fd linkedFolder;
    struct stat old{};
    bool exists = false;
    if (::fstatat(dirFd, name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(old.st_mode)) {
            char* real = ::realpath((folder + "/" + name).c_str(), nullptr);
            if (!real)
                throw Error(FileAccess, "The registry file " + folder + "/" + name +
                                            " is a link to nothing that can be written: " + why(errno));
            const std::string target = real;
            std::free(real);
            targetFolder = folderOf(target);
            targetName = nameOf(target);
            linkedFolder.reset(openFolder(targetFolder));
            if (linkedFolder.get() < 0)
                throw Error(FileAccess, "The folder " + targetFolder + " of the linked registry file is gone");
            targetDir = linkedFolder.get();
            if (::fstatat(targetDir, targetName.c_str(), &old, AT_SYMLINK_NOFOLLOW) != 0)
                throw Error(FileAccess, "The registry file " + target + " cannot be read: " + why(errno));
        }
        if (!S_ISREG(old.st_mode))
            throw Error(Refused, "The registry file " + targetFolder + "/" + targetName +
                                     " is not a regular file; it is not replaced");
        checkTrusted(old, targetFolder + "/" + targetName, "registry file");
        exists = true;
    } else if (errno != ENOENT) {
        throw Error(FileAccess, "The registry file " + folder + "/" + name + " cannot be read: " + why(errno));
    }

    const std::string where = "The registry file " + targetFolder + "/" + targetName;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 1000; ++attempt) {
        temp = "." + targetName + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::openat(targetDir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) throw Error(FileAccess, where + " cannot be written: " + why(errno));
    }
    if (fd < 0) throw Error(FileAccess, where + " cannot be written: no free name for a new file");
    Fd file(fd);
    auto fail = [&](const std::string& what, int err) {
        ::unlinkat(targetDir, temp.c_str(), 0);
        return Error(FileAccess, where + " " + what + ": " + why(err));
    };
    for (size_t done = 0; done < text.size();) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw fail("cannot be written", errno);
        done += static_cast<size_t>(n);
    }
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        throw fail("cannot keep its owner and group", errno);
    if (::fchmod(fd, exists ? (old.st_mode & 07777) : 0644) != 0) throw fail("cannot keep its mode", errno);
    if (::fsync(fd) != 0) throw fail("cannot be written", errno);
    if (::close(file.release()) != 0) throw fail("cannot be written", errno);
    if (::renameat(targetDir, temp.c_str(), targetDir, targetName.c_str()) != 0) throw fail("cannot be replaced", errno);
    syncFolder(targetDir);
}

void makeFolders(const std::string& folder) {
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec)) return;
    const std::string parent = folderOf(folder);
    if (parent != folder) makeFolders(parent);
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
        throw Error(FileAccess, "The folder " + folder + " cannot be made: " + why(errno));
}

// Moves the entries of an old-format file into the folder, all or none: the
// folder's own files win (they are newer), the rest get files of their own,
// and the old file goes only once every one of them is in place.
void migrateOldFile(const std::string& location, int dirFd, const std::string& folder) {
    RegistryContents old;
    if (!readOldFile(location, old)) return;
    std::map<std::string, ServerRegistration> byFile;
    std::map<std::string, std::string> fileOfServer;
    for (const auto& t : old.typeLibraries) {
        const std::string name = serverFileName(t.name, t.id);
        auto& r = byFile[name];
        r.server = t.server;
        r.typeLibrary = t;
        fileOfServer.emplace(t.server, name);
    }
    for (const auto& c : old.classes) {
        auto it = fileOfServer.find(c.server);
        if (it == fileOfServer.end()) {
            // Classes without a type library: a file named after the server.
            const std::string id = std::to_string(std::hash<std::string>{}(c.server));
            const std::string name = serverFileName(nameOf(c.server), id);
            byFile[name].server = c.server;
            byFile[name].typeLibrary = {id, "0.0", "0", nameOf(c.server), c.server};
            it = fileOfServer.emplace(c.server, name).first;
        }
        byFile[it->second].classes.push_back(c);
    }
    std::vector<std::string> made;
    try {
        for (const auto& [name, registration] : byFile) {
            struct stat st{};
            if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) continue;
            writeFileAt(dirFd, folder, name, serverFileText(registration));
            made.push_back(name);
        }
        if (::unlink(location.c_str()) != 0 && errno != ENOENT)
            throw Error(FileAccess, "The registry file " + location + " of the old format cannot be removed: " +
                                        why(errno));
    } catch (...) {
        for (const auto& name : made) ::unlinkat(dirFd, name.c_str(), 0);
        syncFolder(dirFd);
        throw;
    }
    Fd holding(::open(folderOf(location).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (holding.get() >= 0) syncFolder(holding.get());
}

// Runs one change of a registry with its folder locked against every other
// writer (readers need no lock: each file changes by one rename).
template <class Change>
void changeRegistry(const std::string& location, Change change) {
    checkPathText(location, "registry path");
    makeFolders(folderOf(location));
    checkHoldingFolder(location);
    const std::string folder = location + ".d";
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
        throw Error(FileAccess, "The registry folder " + folder + " cannot be made: " + why(errno));
    Fd dir(openFolder(folder));
    if (dir.get() < 0) throw Error(FileAccess, "The registry folder " + folder + " vanished");
    while (::flock(dir.get(), LOCK_EX) != 0)
        if (errno != EINTR) throw Error(FileAccess, "The registry folder " + folder + " cannot be locked: " + why(errno));
    migrateOldFile(location, dir.get(), folder);
    change(dir.get(), folder);
}

}  // namespace

RegistryContents readRegistry(const std::string& location, bool allowMissing) {
    checkPathText(location, "registry path");
    RegistryContents contents;
    bool found = false;
    if (checkHoldingFolder(location)) {
        const std::string folder = location + ".d";
        Fd dir(openFolder(folder));
        if (dir.get() >= 0) {
            found = true;
            for (const auto& name : serverFileNames(dir.get(), folder)) {
                const std::string path = folder + "/" + name;
                Fd file(openRegistryFile(dir.get(), name, path));
                if (file.get() < 0) continue;  // removed while we looked
                append(contents, parseServerFile(readAll(file.get(), path), path));
            }
        }
        // The old single file, until a write moves its entries into the
        // folder. The folder's entries come first and so win.
        RegistryContents old;
        if (readOldFile(location, old)) {
            found = true;
            for (auto& c : old.classes) contents.classes.push_back(std::move(c));
            for (auto& t : old.typeLibraries) contents.typeLibraries.push_back(std::move(t));
        }
    }
    if (!found && !allowMissing) throw Error(FileNotFound, "The registry " + location + " does not exist");
    return contents;
}

void writeServerRegistration(const std::string& location, const ServerRegistration& registration) {
    const std::string text = serverFileText(registration);  // refuses what cannot be written before anything changes
    const std::string name = serverFileName(registration.typeLibrary.name, registration.typeLibrary.id);
    changeRegistry(location, [&](int dir, const std::string& folder) { writeFileAt(dir, folder, name, text); });
}

void removeServerRegistration(const std::string& location, const std::string& typeLibName,
                              const std::string& typeLibId) {
    const std::string name = serverFileName(typeLibName, typeLibId);
    changeRegistry(location, [&](int dir, const std::string& folder) {
        if (::unlinkat(dir, name.c_str(), 0) != 0 && errno != ENOENT)
            throw Error(FileAccess, "The registry file " + folder + "/" + name + " cannot be removed: " + why(errno));
        syncFolder(dir);
    });
}

std::string canonicalServerPath(const std::string& path) {
    checkPathText(path, "server path");
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw Error(FileNotFound, "The server file " + path + " does not exist");
        throw Error(FileAccess, "The server file " + path + " cannot be found: " + why(errno));
    }
    const std::string canonical = real;
    std::free(real);
    checkPathText(canonical, "server path");
    struct stat st{};
    if (::stat(canonical.c_str(), &st) != 0)
        throw Error(FileAccess, "The server file " + canonical + " cannot be read: " + why(errno));
    if (!S_ISREG(st.st_mode)) throw Error(Refused, "The server file " + canonical + " is not a regular file");
    return canonical;
}

void checkServerFile(const std::string& path) {
    try {
        checkRegistryField(path, "server path");
    } catch (const Error& e) {
        throw Error(Refused, e.description());
    }
    if (path.empty() || path[0] != '/')
        throw Error(Refused, "The server path \"" + path + "\" is not absolute; it is not loaded");
    if (std::filesystem::path(path).lexically_normal().string() != path || path.find("//") != std::string::npos ||
        (path.size() > 1 && path.back() == '/'))
        throw Error(Refused, "The server path " + path + " is not normalised; it is not loaded");
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0)
        throw Error(Refused, "The server file " + path + " cannot be found: " + why(errno));
    if (!S_ISREG(st.st_mode)) throw Error(Refused, "The server file " + path + " is not a regular file; it is not loaded");
    checkTrusted(st, path, "server file");
}

}  // namespace rt

#endif  // !_WIN32
