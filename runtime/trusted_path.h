#pragma once
// Whether a path can be believed: resolved component by component from "/",
// every folder it passes through, every link it follows and what it ends in
// must belong to root or to the user running the process and be writable by
// nobody else. A world-writable folder with the sticky bit (/tmp) passes,
// because there nobody can rename or replace an entry of someone else, and
// its entries are held to the same owner rule. Whatever passes cannot change
// afterwards without root's or the user's own hand, so loading or reading
// the resolved path later reaches what was checked.
//
//   TrustedPath p = resolveTrusted("/opt/team/server.so", "server file", false);
//   // p.path: "/srv/team/lib/server.so", every step of the way checked
//   resolveTrusted("/tmp/open/x", "registry", true);  // 429: "... /tmp/open can be
//                                                     //  written by others than its owner ..."

#include <sys/stat.h>

#include <string>

namespace rt {

struct TrustedPath {
    std::string path;       // absolute, canonical: no links, no "." or ".."
    bool exists = false;    // false: a component from some point on is missing
    struct stat info {};    // of the final component when it exists
};

// Resolves path (relative to the working folder when not absolute). 429
// naming the first component that cannot be trusted and why; 53 when a
// component is missing and allowMissing is false; 75 when one cannot be
// read. `what` names the path in errors ("server file", "registry folder").
TrustedPath resolveTrusted(const std::string& path, const char* what, bool allowMissing);

// The owner rule for one component: 429 "<path> belongs to user N ..." or
// "<path> can be written by others than its owner (mode M) ..." unless it is
// root's or the user's and, if a folder that others can write, sticky.
void checkOwnerAndMode(const struct stat& st, const std::string& path, const std::string& what);

}  // namespace rt
