#pragma once
// The registry of component servers: which file to load for a programmatic
// identifier. It is the one piece of state the runtime keeps on disk, and it
// decides what code a process runs, so every file and folder of it is
// checked before it is believed.
//
// A registry is a folder "<location>.d" holding one small file per server,
// named after the server's type library ("Sarn10B-E532....server"):
//
//   sarn-server 1
//   server<TAB>/usr/lib/x86_64-linux-gnu/libsarn10b.so
//   typelib<TAB>E532...<TAB>1.0<TAB>409<TAB>Sarn10B
//   class<TAB>7A1C...<TAB>Sarn10B.clsKwAmbrTvsA<TAB>Apartment<TAB>
//   class<TAB>6F0E...<TAB>Sarn10B.clsKwOrvel10BA<TAB>Apartment<TAB>appobject
//
// Registering writes that one file whole under a fresh name in the same
// folder and renames it into place; unregistering removes it. No writer ever
// rewrites another server's file. The single file of earlier versions
// ("<location>", header "sarn-registry 1") is still read; the first write
// to a registry that has one moves all of its entries into the folder and
// removes it.
//
// Where registries are: while setRegistryPath or $SARN_REGISTRY names a
// location, that location alone is used. Otherwise lookups read the user's
// registry ($XDG_DATA_HOME/sarn/registry, by default ~/.local/share/sarn/
// registry), then the system registries (the install prefix's data folder,
// then every folder of $XDG_DATA_DIRS, each + "/sarn/registry"); writes go
// to the user's registry unless a location is named.
//
// Trust: a registry folder, the folder that holds it, and every registry
// file must belong to root or to the user running the process and be
// writable by nobody else; otherwise the registry is refused (429, saying
// why). A server must be a regular file at an absolute, normalised path
// free of control characters.

#include <string>
#include <vector>

namespace rt {

struct ClassEntry {
    std::string clsid;
    std::string progId;
    std::string server;
    std::string threading;
    bool appObject = false;  // callable without naming an instance
};

struct TypeLibEntry {
    std::string id;
    std::string version;
    std::string lcid;
    std::string name;
    std::string server;
};

struct RegistryContents {
    std::vector<ClassEntry> classes;
    std::vector<TypeLibEntry> typeLibraries;
};

// What one server registers: the contents of its file in a registry folder.
struct ServerRegistration {
    std::string server;  // absolute, canonical
    TypeLibEntry typeLibrary;
    std::vector<ClassEntry> classes;
};

// The location that writes go to: the named one, else the user's registry.
// Fails (75) when no home folder can be found for the user.
std::string registryPath();
void setRegistryPath(std::string path);  // "" returns to the default

// The user's registry, and the system registries in lookup order.
std::string userRegistryPath();
std::vector<std::string> systemRegistryPaths();
// Every location a lookup reads, first to last.
std::vector<std::string> registryLocations();

// Reads one registry location: its folder and any file of the old format.
// A location with neither fails with 53 unless allowMissing (then it reads
// as empty). Unreadable: 75; untrusted: 429; empty or damaged: 321.
RegistryContents readRegistry(const std::string& location, bool allowMissing);

// Writes a server's registration file in a location (replacing the one it
// had), or removes it. Either moves the entries of an old-format file into
// the folder first. 75 when the disk refuses; nothing is lost then.
void writeServerRegistration(const std::string& location, const ServerRegistration& registration);
void removeServerRegistration(const std::string& location, const std::string& typeLibName,
                              const std::string& typeLibId);

// The absolute canonical path of an existing server file, refused with a
// clear error when it holds control characters or a NUL (52), cannot be
// found (53) or is not a regular file (429).
std::string canonicalServerPath(const std::string& path);
// Checks a path read from a registry before anything is loaded from it:
// absolute, normalised, a regular file that only its owner (root or the
// running user) can write. 429 saying why.
void checkServerFile(const std::string& path);

// The text form of one server's file, and back (321 naming the file and line
// when damaged). Exposed for tests and tools.
std::string serverFileText(const ServerRegistration& registration);
ServerRegistration parseServerFile(const std::string& text, const std::string& fileName);
// The file name a server's registration takes in a registry folder.
std::string serverFileName(const std::string& typeLibName, const std::string& typeLibId);
// The single file of earlier versions (321 naming the file and line when
// damaged).
RegistryContents parseOldRegistry(const std::string& text, const std::string& fileName);
// Refuses (52) a name or path that holds a control character (C0 or C1, a
// raw 0x80..0x9F byte, DEL), a NUL or a mark that reorders bidirectional
// text: tabs and line ends would split an entry, a NUL would cut the path
// short, and the others would make a listing lie.
void checkRegistryField(const std::string& field, const char* what);
// The text with every such character shown as an escape (\x9b, \u202e) and
// backslashes doubled, safe to print on a terminal.
std::string printable(const std::string& text);

}  // namespace rt
