#include "windows/platform/com_text.h"

namespace win {

std::wstring wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string narrow(const wchar_t* utf16, size_t length) {
    if (!utf16 || length == 0) return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, utf16, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16, static_cast<int>(length), out.data(), n, nullptr, nullptr);
    return out;
}

std::string narrow(const std::wstring& utf16) { return narrow(utf16.data(), utf16.size()); }

BSTR toBstr(std::string_view utf8) {
    const std::wstring w = wide(utf8);
    return SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
}

std::string fromBstr(BSTR text) { return narrow(text, text ? SysStringLen(text) : 0); }

}  // namespace win
