// Conversion between wide text and 8-bit text in a given code page (UTF-8, the
// thread's ANSI code page, ...), in one place for every caller.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace zm::com {

// Empty on empty input or when the text cannot be converted.
std::wstring CodePageToWide(std::string_view bytes, UINT codePage);
std::string WideToCodePage(std::wstring_view text, UINT codePage);

// The same UTF-16 text as the portable core's char16_t strings (wchar_t is 16 bits here).
static_assert(sizeof(wchar_t) == sizeof(char16_t));
inline std::u16string AsU16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }
inline std::wstring AsWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

}  // namespace zm::com
