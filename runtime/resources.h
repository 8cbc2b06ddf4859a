#pragma once
// A module's own resources and the runtime's loaders for them. Resources are
// raw data found by type (a number, or a name compared without regard to
// case) and a numeric identifier.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "runtime/variant.h"

namespace rt {

// Numeric resource types the loaders use.
inline constexpr int32_t ResTypeBitmap = 2;
inline constexpr int32_t ResTypeIcon = 3;
inline constexpr int32_t ResTypeString = 6;
inline constexpr int32_t ResTypeCursor = 1;

// The picture kinds of LoadResPicture.
enum ResPictureKind : int32_t { vbResBitmap = 0, vbResIcon = 1, vbResCursor = 2 };

class ResourceTable {
public:
    using Type = std::variant<int32_t, std::string>;

    void add(Type type, int32_t id, Bytes data);
    // The data, or nullptr when the table has none under that type and id.
    const Bytes* find(const Type& type, int32_t id) const;

private:
    struct Entry {
        Type type;
        int32_t id;
        Bytes data;
    };
    std::vector<Entry> entries_;
};

// Where the running module carries its resources in its own file (a Windows
// server), the platform layer installs a reader for them; the loaders then
// ask it instead of the compiled-in table, so what they return is what the
// file holds. The reader answers nothing for a resource the file lacks.
using ModuleResourceReader = std::optional<Bytes> (*)(const ResourceTable::Type& type, int32_t id);
void useModuleResources(ModuleResourceReader reader);

// A string of the module's string table; 326 when there is none.
std::string LoadResString(const ResourceTable& table, int32_t id);
// A picture of the given kind (bitmap, icon, cursor; 5 for any other); 326
// when there is none.
ObjectRef LoadResPicture(const ResourceTable& table, const Variant& id, int16_t kind);
// The raw data of a resource; type is a number or a name. 326 when none.
Variant LoadResData(const ResourceTable& table, const Variant& id, const Variant& type);

}  // namespace rt
