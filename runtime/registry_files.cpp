// The registry on disk: reading it with every file and folder checked, and writing one server's file so that neither a crash,
// a full disk, a second writer nor a planted link can lose or damage
// anything. POSIX only: the Windows build keeps its registrations in the
// platform's own class registry.
#if !defined(_WIN32)

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <system_error>
#include <utility>

#include "runtime/error.h"
#include "runtime/registry.h"
#include "runtime/registry_cache.h"
#include "runtime/registry_lock.h"
#include "runtime/trusted_load.h"
#include "runtime/trusted_path.h"
#include "runtime/unique_fd.h"

namespace rt {
namespace {

constexpr int32_t FileNotFound = 53;
constexpr int32_t FileAccess = 75;
constexpr int32_t Refused = 429;
constexpr int32_t Damaged = 321;

std::string why(int err) { return std::error_code(err, std::generic_category()).message(); }


std::string folderOf(const std::string& path) {
    auto parent = std::filesystem::path(path).parent_path().string();
    return parent.empty() ? "." : parent;
}
std::string nameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }


// As ssh does with its keys: what someone other than its owner could have
// written is not believed, and neither is what belongs to a third user.
void checkTrusted(const struct stat& st, const std::string& path, const char* what) {
    checkOwnerAndMode(st, path, what);
}

void checkPathText(const std::string& path, const char* what) {
    if (path.empty()) throw Error(FileNotFound, std::string("The ") + what + " is not named");
    checkRegistryField(path, what);
}

// The folder that holds a registry, resolved with every folder above it
// checked: "" when missing (nothing is there), else its canonical path.
std::string checkHoldingFolder(const std::string& location) {
    const std::string folder = folderOf(location);
    const TrustedPath holding = resolveTrusted(folder, "folder of the registry", true);
    if (!holding.exists) return {};
    if (!S_ISDIR(holding.info.st_mode)) throw Error(FileAccess, "The registry's folder " + folder + " is not a folder");
    return holding.path;
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
    // A link in a registry folder is followed only along a path that is
    // trusted all the way, and only to the file that was opened.
    struct stat link{};
    if (::fstatat(dirFd, name.c_str(), &link, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(link.st_mode)) {
        const TrustedPath target = resolveTrusted(path, "registry file", false);
        if (target.info.st_dev != st.st_dev || target.info.st_ino != st.st_ino)
            throw Error(Refused, "The registry file " + path + " changed while it was read; it is not used");
    }
    return file.release();
}

// No registration comes near this size; a file that does is damage, and is
// not read into memory whole.
constexpr size_t MaxRegistryFile = 1u << 20;

std::string readAll(int fd, const std::string& path) {
    std::string text;
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw Error(FileAccess, "The registry file " + path + " cannot be read: " + why(errno));
        if (n == 0) return text;
        text.append(buffer, static_cast<size_t>(n));
        if (text.size() > MaxRegistryFile)
            throw Error(Damaged, "The registry file " + path + " is damaged: it is larger than 1 MiB");
    }
}

// Whether a registration file of our own can be read back and makes sense;
// one that cannot is replaced by a sound one rather than kept as it is.
bool soundRegistryFile(int dirFd, const std::string& name, const struct stat& st) {
    if ((st.st_mode & S_IRUSR) == 0) return false;
    Fd file(::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) return false;
    try {
        parseServerFile(readAll(file.get(), name), name);
        return true;
    } catch (const Error&) {
        return false;
    }
}

// The file of the old format in the (checked) holding folder; false when
// there is none.
bool readOldFile(const std::string& holding, const std::string& location, RegistryContents& out) {
    Fd dir(::open(holding.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (dir.get() < 0) {
        if (errno == ENOENT) return false;
        throw Error(FileAccess, "The folder of the registry " + location + " cannot be read: " + why(errno));
    }
    Fd file(openRegistryFile(dir.get(), nameOf(location), location));
    if (file.get() < 0) return false;
    out = parseOldRegistry(readAll(file.get(), location), location);
    return true;
}

// Opens the registry folder, every folder above it checked; -1 when there
// is none.
int openFolder(const std::string& folder) {
    const TrustedPath resolved = resolveTrusted(folder, "registry folder", true);
    if (!resolved.exists) return -1;
    if (!S_ISDIR(resolved.info.st_mode))
        throw Error(Refused, "The registry folder " + folder + " is not a folder; it is not used");
    int fd = ::open(resolved.path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return -1;
        throw Error(FileAccess, "The registry folder " + folder + " cannot be read: " + why(errno));
    }
    Fd dir(fd);
    struct stat st{};
    if (::fstat(fd, &st) != 0) throw Error(FileAccess, "The registry folder " + folder + " cannot be read: " + why(errno));
    if (st.st_dev != resolved.info.st_dev || st.st_ino != resolved.info.st_ino)
        throw Error(Refused, "The registry folder " + folder + " changed while it was opened; it is not used");
    checkTrusted(st, folder, "registry folder");
    return dir.release();
}

bool isServerFileName(const std::string& name) {
    return !name.empty() && name[0] != '.' && name.size() > 7 && name.ends_with(".server");
}

std::vector<std::string> folderNames(int dirFd, const std::string& folder, bool serversOnly = false) {
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
        const std::string name = e->d_name;
        if (name != "." && name != ".." && (!serversOnly || isServerFileName(name))) names.push_back(name);
        errno = 0;
    }
    const int err = errno;
    ::closedir(dir);
    if (err) throw Error(FileAccess, "The registry folder " + folder + " cannot be read: " + why(err));
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> serverFileNames(int dirFd, const std::string& folder) {
    return folderNames(dirFd, folder, true);
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
// through to its target; a sound old file's mode, owner and group are kept,
// one that cannot be read or is damaged gives way to a new file of mode 0644.
void writeFileAt(int dirFd, const std::string& folder, const std::string& name, const std::string& text) {
    int targetDir = dirFd;
    std::string targetFolder = folder, targetName = name;
    Fd linkedFolder;
    struct stat old{};
    bool exists = false;
    if (::fstatat(dirFd, name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(old.st_mode)) {
            const TrustedPath resolved = resolveTrusted(folder + "/" + name, "registry file", true);
            if (!resolved.exists)
                throw Error(FileAccess, "The registry file " + folder + "/" + name +
                                            " is a link to nothing that can be written");
            const std::string target = resolved.path;
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
        exists = soundRegistryFile(targetDir, targetName, old);
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

// Makes the folders of a registry that are missing, never inside a folder
// of a third user (root writing in a user's home would leave that user
// folders of root's that they cannot use).
void makeFolders(const std::string& folder) {
    struct stat st{};
    if (::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return;
    const std::string parent = folderOf(folder);
    if (parent != folder) makeFolders(parent);
    if (::stat(parent.c_str(), &st) == 0 && st.st_uid != 0 && st.st_uid != ::geteuid())
        throw Error(FileAccess, "The folder " + folder + " is not made: " + parent + " belongs to user " +
                                    std::to_string(st.st_uid) + ", not to the user running this process");
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
        throw Error(FileAccess, "The folder " + folder + " cannot be made: " + why(errno));
}

// Moves the entries of an old-format file into the folder, all or none: the
// folder's own files win (they are newer), the rest get files of their own,
// and the old file goes only once every one of them is in place, so that a
// reader (which reads the old file before the folder) never misses one.
void migrateOldFile(const std::string& holding, const std::string& location, int dirFd, const std::string& folder) {
    RegistryContents old;
    if (!readOldFile(holding, location, old)) return;
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
        for (const auto& entry : byFile) {
            struct stat st{};
            if (::fstatat(dirFd, entry.first.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) continue;
            std::string text;
            try {
                text = serverFileText(entry.second);
            } catch (const Error& e) {
                throw Error(e.number(), "The registry file " + location + " of the old format cannot be moved into " +
                                            folder + ": " + e.description());
            }
            writeFileAt(dirFd, folder, entry.first, text);
            made.push_back(entry.first);
        }
        if (::unlink(location.c_str()) != 0 && errno != ENOENT)
            throw Error(FileAccess, "The registry file " + location + " of the old format cannot be removed: " +
                                        why(errno));
    } catch (...) {
        for (const auto& name : made) ::unlinkat(dirFd, name.c_str(), 0);
        syncFolder(dirFd);
        throw;
    }
    Fd holdingFd(::open(holding.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (holdingFd.get() >= 0) syncFolder(holdingFd.get());
}

// Runs one change of a registry with the writers' lock held (readers need
// no lock: each file changes by one rename).
template <class Change>
void changeRegistry(const std::string& location, Change change) {
    checkPathText(location, "registry path");
    makeFolders(folderOf(location));
    const std::string holding = checkHoldingFolder(location);
    if (holding.empty()) throw Error(FileAccess, "The folder of the registry " + location + " vanished");
    const std::string folder = location + ".d";
    const std::string made = holding + "/" + nameOf(folder);
    if (::mkdir(made.c_str(), 0755) != 0 && errno != EEXIST)
        throw Error(FileAccess, "The registry folder " + folder + " cannot be made: " + why(errno));
    Fd dir(openFolder(folder));
    if (dir.get() < 0) throw Error(FileAccess, "The registry folder " + folder + " vanished");
    Fd lock = lockRegistry(dir.get(), folder);
    removeDeadWritersFiles(dir.get(), folderNames(dir.get(), folder));
    migrateOldFile(holding, location, dir.get(), folder);
    change(dir.get(), folder);
}

}  // namespace

RegistryContents readRegistry(const std::string& location, bool allowMissing) {
    checkPathText(location, "registry path");
    RegistryContents contents;
    bool found = false;
    const std::string holding = checkHoldingFolder(location);
    if (!holding.empty()) {
        // The old single file first: a writer removes it only once its
        // entries are in the folder, so read in this order none is missed.
        RegistryContents old;
        const bool haveOld = readOldFile(holding, location, old);
        const std::string folder = location + ".d";
        Fd dir(openFolder(folder));
        if (dir.get() >= 0) {
            found = true;
            // A regular file whose stamp has not changed since it was read
            // says what it said then; it is checked all the same.
            FolderCache known = takeFolderCache(folder), still;
            for (const auto& name : serverFileNames(dir.get(), folder)) {
                const std::string path = folder + "/" + name;
                struct stat st{};
                const bool plain = ::fstatat(dir.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
                if (plain) {
                    checkTrusted(st, path, "registry file");
                    auto it = known.find(name);
                    if (it != known.end() && it->second.stamp == FileStamp::of(st)) {
                        append(contents, it->second.registration);
                        still.insert(known.extract(it));
                        continue;
                    }
                }
                Fd file(openRegistryFile(dir.get(), name, path));
                if (file.get() < 0) continue;  // removed while we looked
                struct stat opened{};
                const bool stillPlain = ::fstat(file.get(), &opened) == 0 && plain;
                ServerRegistration r = parseServerFile(readAll(file.get(), path), path);
                append(contents, r);
                if (stillPlain) still[name] = {FileStamp::of(opened), std::move(r)};
            }
            putFolderCache(folder, std::move(still));
        }
        // The folder's entries come first and so win.
        if (haveOld) {
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
    const TrustedPath server = checkServerCode(path);
    checkPathText(server.path, "server path");
    return server.path;
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
    try {
        checkServerCode(path);
    } catch (const Error& e) {
        if (e.number() == FileNotFound) throw Error(Refused, "The server file " + path + " cannot be found");
        throw;
    }
}

}  // namespace rt

#endif  // !_WIN32
