// POSIX only, like the registry files themselves.
#if !defined(_WIN32)

#include "runtime/registry_cache.h"

#include <map>
#include <mutex>
#include <utility>

namespace rt {
namespace {

std::mutex& cacheLock() {
    static std::mutex m;
    return m;
}
std::map<std::string, FolderCache>& folders() {
    static std::map<std::string, FolderCache> cache;
    return cache;
}

int64_t nanoseconds(const struct timespec& t) { return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec; }

}  // namespace

FileStamp FileStamp::of(const struct stat& st) {
    return {static_cast<uint64_t>(st.st_dev),  static_cast<uint64_t>(st.st_ino), static_cast<uint64_t>(st.st_size),
            static_cast<uint64_t>(st.st_mode), static_cast<uint64_t>(st.st_uid), static_cast<uint64_t>(st.st_gid),
            nanoseconds(st.st_mtim),           nanoseconds(st.st_ctim)};
}

FolderCache takeFolderCache(const std::string& folder) {
    std::lock_guard g(cacheLock());
    auto it = folders().find(folder);
    if (it == folders().end()) return {};
    FolderCache files = std::move(it->second);
    folders().erase(it);
    return files;
}

void putFolderCache(const std::string& folder, FolderCache files) {
    std::lock_guard g(cacheLock());
    folders()[folder] = std::move(files);
}

}  // namespace rt

#endif  // !_WIN32
