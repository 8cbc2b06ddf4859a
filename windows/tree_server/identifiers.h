#pragma once
// The fixed identifiers of the in-memory tree view component server.

#include <string_view>

namespace tree_server {

inline constexpr std::string_view ProgId = "SarnTree.TreeView";
inline constexpr std::string_view TypeLibrary = "DC2D02CB-DC59-40DF-9D25-C59EB168E3D6";
inline constexpr std::string_view Clsid = "E43FE17E-AA60-4A92-9E60-1D2F76575682";
inline constexpr std::string_view Events = "BBE2453E-2DDB-40E8-8525-35E0C7CA8845";

}  // namespace tree_server
