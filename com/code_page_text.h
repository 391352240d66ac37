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

}  // namespace zm::com
