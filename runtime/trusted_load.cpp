// The run path of a shared library, followed as the dynamic loader follows
// it. POSIX only.
#if !defined(_WIN32)

#include "runtime/trusted_load.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <system_error>
#include <utility>

#include "runtime/elf_dependencies.h"
#include "runtime/error.h"

namespace rt {
namespace {

constexpr int32_t Refused = 429;
constexpr int MaxDepth = 16;

// Folders below a run-path folder that the loader may try first.
const char* const LoaderSubfolders[] = {
    "glibc-hwcaps/x86-64-v2", "glibc-hwcaps/x86-64-v3", "glibc-hwcaps/x86-64-v4", "glibc-hwcaps/power9",
    "glibc-hwcaps/power10",   "glibc-hwcaps/z13",       "glibc-hwcaps/z14",       "glibc-hwcaps/z15",
    "glibc-hwcaps/z16",       "tls",                    "haswell",                "x86_64",
    "avx512_1",               "i686",                   "sse2",                   "tls/x86_64",
    "tls/haswell",            "tls/avx512_1",           "haswell/x86_64",         "avx512_1/x86_64",
    "tls/haswell/x86_64",     "tls/avx512_1/x86_64",
};

std::string why(int err) { return std::error_code(err, std::generic_category()).message(); }

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether anything is at path (a link counts), at the cost of one call.
bool present(const std::string& path) {
    struct stat st{};
    return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

bool holds(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

class Checker {
public:
    explicit Checker(std::string server) : server_(std::move(server)) {}

    void library(const TrustedPath& lib, int depth) {
        if (!seen_.insert(lib.path).second) return;
        if (depth > MaxDepth) throw refuse(lib.path + " lies too deep in a chain of libraries");
        const ElfDependencies deps = dependenciesOf(lib);
        const std::string origin = folderOf(lib.path);
        std::vector<std::string> folders;
        for (std::string entry : deps.runPath) {
            if (entry.empty())
                throw refuse(lib.path + " has an empty run-path entry, which the loader reads as the working folder");
            if (holds(entry, "$LIB") || holds(entry, "${LIB}") || holds(entry, "$PLATFORM") ||
                holds(entry, "${PLATFORM}"))
                throw refuse(lib.path + " has the run-path entry \"" + entry + "\", whose folder depends on the machine");
            std::string others = entry;
            replaceAll(others, "${ORIGIN}", "");
            replaceAll(others, "$ORIGIN", "");
            if (holds(others, "$"))
                throw refuse(lib.path + " has the run-path entry \"" + entry + "\", which this check cannot follow");
            replaceAll(entry, "${ORIGIN}", origin);
            replaceAll(entry, "$ORIGIN", origin);
            if (entry[0] != '/')
                throw refuse(lib.path + " has the relative run-path entry \"" + entry +
                             "\", which the loader reads from the working folder");
            const TrustedPath folder = resolveTrusted(entry, "run-path folder", true);
            if (!folder.exists || !S_ISDIR(folder.info.st_mode)) continue;
            folders.push_back(folder.path);
            // The folder is trusted, so only its owners can add to it: a
            // subfolder missing now stays missing.
            for (const char* sub : LoaderSubfolders)
                if (present(folder.path + "/" + sub)) {
                    const TrustedPath inner = resolveTrusted(folder.path + "/" + sub, "run-path folder", true);
                    if (inner.exists && S_ISDIR(inner.info.st_mode)) folders.push_back(inner.path);
                }
        }
        for (const auto& name : deps.needed) {
            if (name.find('/') != std::string::npos) {
                if (name[0] != '/')
                    throw refuse(lib.path + " needs the relative path \"" + name +
                                 "\", which the loader reads from the working folder");
                needed(resolveTrusted(name, "library", true), depth);
                continue;
            }
            for (const auto& folder : folders)
                if (present(folder + "/" + name)) needed(resolveTrusted(folder + "/" + name, "library", true), depth);
        }
    }

private:
    Error refuse(const std::string& reason) const {
        return Error(Refused, "The server file " + server_ + " is not used: " + reason);
    }

    void needed(const TrustedPath& lib, int depth) {
        if (!lib.exists) return;
        if (!S_ISREG(lib.info.st_mode)) return;  // the loader passes over what is not a file
        library(lib, depth + 1);
    }

    ElfDependencies dependenciesOf(const TrustedPath& lib) const {
        int fd = ::open(lib.path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) throw Error(errnum::FileAccess, "The library " + lib.path + " cannot be read: " + why(errno));
        struct Closer {
            int fd;
            ~Closer() { ::close(fd); }
        } closer{fd};
        struct stat st{};
        if (::fstat(fd, &st) != 0 || st.st_dev != lib.info.st_dev || st.st_ino != lib.info.st_ino)
            throw refuse(lib.path + " changed while it was checked");
        const ElfReader read = [fd](uint64_t offset, size_t size, char* out) {
            size_t done = 0;
            while (done < size) {
                const ssize_t n = ::pread(fd, out + done, size - done, static_cast<off_t>(offset + done));
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) return false;
                done += static_cast<size_t>(n);
            }
            return true;
        };
        return readElfDependencies(read, lib.path);
    }

    std::string server_;
    std::set<std::string> seen_;
};

}  // namespace

TrustedPath checkServerCode(const std::string& path) {
    TrustedPath server = resolveTrusted(path, "server file", false);
    if (!S_ISREG(server.info.st_mode))
        throw Error(Refused, "The server file " + server.path + " is not a regular file; it is not loaded");
    Checker(server.path).library(server, 0);
    return server;
}

}  // namespace rt

#endif  // !_WIN32
