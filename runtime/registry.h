#pragma once
// The registry of component servers: a plain text file that outlives the
// process. Each class has its class identifier, programmatic identifier,
// server file and threading model; each type library its identifier,
// version, locale, name and server file.
//
//   sarn-registry 1
//   class<TAB>7A1C...<TAB>Sarn10B.clsKwAmbrTvsA<TAB>/path/libsarn10b.so<TAB>Apartment
//   typelib<TAB>E532...<TAB>1.0<TAB>409<TAB>Sarn10B<TAB>/path/libsarn10b.so
//
// A file that is empty or damaged is reported (error 321, naming the line)
// and never written over; writes go to a new file that is then renamed over
// the old one, so a failed write loses nothing.

#include <string>
#include <vector>

namespace rt {

struct ClassEntry {
    std::string clsid;
    std::string progId;
    std::string server;
    std::string threading;
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

// The registry file in use: set by setRegistryPath, else the environment
// variable SARN_REGISTRY, else $HOME/.local/share/sarn/registry.
std::string registryPath();
void setRegistryPath(std::string path);  // "" returns to the default

// Reads the registry. A missing file fails with 53 unless allowMissing (then
// it reads as empty); an empty or damaged one fails with 321.
RegistryContents readRegistry(const std::string& path, bool allowMissing);
// Writes the registry through a new file renamed over the old one (75 when
// that fails; the old file stays as it was).
void writeRegistry(const std::string& path, const RegistryContents& contents);

}  // namespace rt
