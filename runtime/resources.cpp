#include "runtime/resources.h"

#include "runtime/error.h"
#include "runtime/text.h"

namespace rt {
namespace {

bool sameType(const ResourceTable::Type& a, const ResourceTable::Type& b) {
    if (a.index() != b.index()) return false;
    if (const auto* s = std::get_if<std::string>(&a)) return textEquals(*s, std::get<std::string>(b));
    return std::get<int32_t>(a) == std::get<int32_t>(b);
}

ModuleResourceReader moduleReader = nullptr;

Bytes require(const ResourceTable& table, const ResourceTable::Type& type, int32_t id) {
    if (moduleReader) {
        if (auto data = moduleReader(type, id)) return std::move(*data);
    } else if (const Bytes* data = table.find(type, id)) {
        return *data;
    }
    throw errResourceNotFound(std::to_string(id));
}

}  // namespace

void useModuleResources(ModuleResourceReader reader) { moduleReader = reader; }

void ResourceTable::add(Type type, int32_t id, Bytes data) {
    entries_.push_back({std::move(type), id, std::move(data)});
}

const Bytes* ResourceTable::find(const Type& type, int32_t id) const {
    for (const auto& e : entries_)
        if (e.id == id && sameType(e.type, type)) return &e.data;
    return nullptr;
}

std::string LoadResString(const ResourceTable& table, int32_t id) {
    const Bytes data = require(table, ResTypeString, id);
    return std::string(data.begin(), data.end());
}

ObjectRef LoadResPicture(const ResourceTable& table, const Variant& id, int16_t kind) {
    int32_t type = 0;
    switch (kind) {
        case vbResBitmap:
            type = ResTypeBitmap;
            break;
        case vbResIcon:
            type = ResTypeIcon;
            break;
        case vbResCursor:
            type = ResTypeCursor;
            break;
        default:
            throw errInvalidCall();
    }
    require(table, type, toInt32(id));
    // The library ships no pictures, so no decoder is needed yet.
    throw errInvalidPicture();
}

Variant LoadResData(const ResourceTable& table, const Variant& id, const Variant& type) {
    ResourceTable::Type t;
    if (type.isString())
        t = toText(type);
    else
        t = toInt32(type);
    return require(table, t, toInt32(id));
}

}  // namespace rt
