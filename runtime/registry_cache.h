#pragma once
// What the registry's files said when last read, so that a lookup in a
// folder of thousands of registrations reads only the files that changed.
// A file counts as unchanged while its inode, size, mode, owner, group and
// change times are the same; a rewrite or a chmod changes its change time,
// which nobody can set back. Internal to the registry's readers.

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <string>

#include "runtime/registry.h"

namespace rt {

struct FileStamp {
    uint64_t dev = 0, ino = 0, size = 0, mode = 0, uid = 0, gid = 0;
    int64_t mtimeNs = 0, ctimeNs = 0;

    static FileStamp of(const struct stat& st);
    bool operator==(const FileStamp&) const = default;
};

struct CachedFile {
    FileStamp stamp;
    ServerRegistration registration;
};
using FolderCache = std::map<std::string, CachedFile>;  // by file name

// What a folder's files said, taken out for one reader (who puts back what
// is still true); another reader meanwhile finds nothing and reads the files.
FolderCache takeFolderCache(const std::string& folder);
void putFolderCache(const std::string& folder, FolderCache files);

}  // namespace rt
