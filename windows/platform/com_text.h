#pragma once
// Texts between the runtime (UTF-8) and the platform's automation strings
// (BSTR, UTF-16).

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

namespace win {

std::wstring wide(std::string_view utf8);
std::string narrow(const wchar_t* utf16, size_t length);
std::string narrow(const std::wstring& utf16);

// A new BSTR that the caller frees.
BSTR toBstr(std::string_view utf8);
std::string fromBstr(BSTR text);  // a null BSTR is the empty text

}  // namespace win
