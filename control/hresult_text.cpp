#include "control/hresult_text.h"

#include "protocol/error_texts.h"

#include <cstdio>

#include "com/code_page_text.h"

namespace zm::control {
namespace {

std::wstring Widen(const char* text, size_t length) { return com::CodePageToWide({text, length}, CP_ACP); }

void TrimLineBreak(std::wstring* text) {
  while (!text->empty() && (text->back() == L'\n' || text->back() == L'\r')) text->pop_back();
}

}  // namespace

std::wstring HResultText(HRESULT hr, HMODULE messageModule) {
  auto code = static_cast<DWORD>(hr);
  DWORD facility = (code >> 16) & 0x1FFF;
  if (facility == 0xFFF || facility == FACILITY_ITF) {
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    if (messageModule) flags |= FORMAT_MESSAGE_FROM_HMODULE;
    char* buffer = nullptr;
    DWORD n = FormatMessageA(flags, messageModule, code, 0x400, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::wstring text;
    if (n && buffer) text = Widen(buffer, n);
    if (buffer) LocalFree(buffer);
    return text.empty() ? protocol::kTextUnspecified : text;
  }

  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                           nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&buffer),
                           0, nullptr);
  std::wstring text;
  if (n && buffer) {
    text.assign(buffer, n);
    TrimLineBreak(&text);
  } else {
    wchar_t formatted[64];
    if (code >= 0x80040200u && code <= 0x8004FFFFu)
      swprintf(formatted, 64, L"IDispatch error #%d", static_cast<int>(code - 0x80040200u));
    else
      swprintf(formatted, 64, L"Unknown error 0x%0lX", static_cast<unsigned long>(code));
    text = formatted;
  }
  if (buffer) LocalFree(buffer);
  return text.empty() ? protocol::kTextUnspecified : text;
}

}  // namespace zm::control
