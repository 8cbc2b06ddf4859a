#pragma once
// The library's fixed identifiers: its type library, every public class,
// every default interface and every enumeration.

#include <string_view>

namespace Sarn10B::ids {

inline constexpr std::string_view LibraryName = "Sarn10B";
inline constexpr std::string_view FileName = "sarn10b.dll";
inline constexpr std::string_view TypeLibrary = "E532C398-C310-45EB-93F8-8371C6E38700";

struct ClassIds {
    std::string_view name;
    std::string_view clsid;
    std::string_view iid;  // of the default interface, "_" + name
};

inline constexpr ClassIds StyleManager{"clsKwAmbrTvsA", "7A1C059C-ACFC-4E25-AD87-6989C16E3026",
                                       "C71FCAF0-C759-4AB6-8B26-F5DB8D70D79E"};
inline constexpr ClassIds LibraryObject{"clsKwOrvel10BA", "B9607827-B1AA-4241-91B7-2D5B7F8BBC50",
                                        "C1B08FD3-FB01-41F2-A2B2-1FFF0569B88E"};
inline constexpr ClassIds ListViewWndClass{"clsKwAmbrListViewWndClassA", "96BB7F19-67D2-4A94-B6FD-13D4292604C3",
                                           "931DE632-6F96-45D0-B2DE-A54E6C5DE617"};
inline constexpr ClassIds TreeviewWndClass{"clsKwAmbrTreeviewWndClassA", "7CE6E4B5-BCCF-4DE9-8AEE-3DA9EF1D1B54",
                                           "66D62AB5-2592-4973-AE95-18AE6930D17C"};
inline constexpr ClassIds General{"clsKwAmbrGeneralA", "D547E30A-0145-4CD3-AAB4-CF7621E48DA3",
                                  "768DFD03-ABD7-4B4F-A06A-6B830F8C4EDF"};
inline constexpr ClassIds Advanced{"clsKwAmbrAdvancedA", "0CE301AC-5BDA-4E6F-875C-D885C6F0162D",
                                   "5A3A2964-00F9-421A-8CC9-E6EFB1C4852E"};

inline constexpr std::string_view EnumTVSNodeType = "C6EA3819-5DF6-4AFE-889D-F549D1C9D50A";
inline constexpr std::string_view EnumTVSNodeStyle = "20C9CED4-0E37-438B-9B54-DC7110456BDF";
inline constexpr std::string_view EnumTVSImageStyles = "BC549E90-2D36-4180-A7A8-1F096F63579A";

}  // namespace Sarn10B::ids
