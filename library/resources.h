#pragma once
// The library's own resources: no string table and no pictures, only
// registration data: the type library (type "TYPELIB", identifier 1), the
// version block (type 16, identifier 1) and one record per public class
// (type "CLASSINFO", identifiers 1 to 6: "name clsid iid").

#include "runtime/resources.h"

namespace Sarn10B {

inline constexpr int32_t ResTypeVersion = 16;

const rt::ResourceTable& libraryResources();

}  // namespace Sarn10B
