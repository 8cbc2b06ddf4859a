#include "windows/platform/module_resources.h"

#include <windows.h>

#include <limits>
#include <optional>
#include <string>

#include "runtime/resources.h"

namespace win {
namespace {

HMODULE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

bool fitsResourceNumber(int32_t n) { return n >= 0 && n <= std::numeric_limits<WORD>::max(); }

std::optional<rt::Bytes> readResource(const rt::ResourceTable::Type& type, int32_t id) {
    // Resource numbers are 16 bits; any other number names no resource.
    if (!fitsResourceNumber(id)) return std::nullopt;
    std::wstring typeName;
    LPCWSTR typeKey = nullptr;
    if (const auto* name = std::get_if<std::string>(&type)) {
        // "#16" would mean the number 16 to the platform; a name is a name here.
        if (name->empty() || name->front() == '#' || name->find('\0') != std::string::npos) return std::nullopt;
        const int length = MultiByteToWideChar(CP_UTF8, 0, name->data(), static_cast<int>(name->size()), nullptr, 0);
        if (length <= 0) return std::nullopt;
        typeName.resize(static_cast<size_t>(length));
        MultiByteToWideChar(CP_UTF8, 0, name->data(), static_cast<int>(name->size()), typeName.data(), length);
        typeKey = typeName.c_str();
    } else {
        const int32_t number = std::get<int32_t>(type);
        if (!fitsResourceNumber(number) || number == 0) return std::nullopt;
        typeKey = MAKEINTRESOURCEW(number);
    }
    const HMODULE module = thisModule();
    if (!module) return std::nullopt;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), typeKey);
    if (!found) return std::nullopt;
    HGLOBAL loaded = LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    const auto* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (!data) return size == 0 ? std::optional<rt::Bytes>(rt::Bytes{}) : std::nullopt;
    return rt::Bytes(data, data + size);
}

}  // namespace

void readResourcesFromThisModule() { rt::useModuleResources(&readResource); }

}  // namespace win
