#include "control/hresult_text.h"

#include <cstdio>

#include "com/code_page_text.h"
#include "com/unique_handle.h"
#include "protocol/error_texts.h"

namespace zm::control {
namespace {

void TrimLineBreak(std::wstring* text) {
  while (!text->empty() && (text->back() == L'\n' || text->back() == L'\r')) text->pop_back();
}

// The dispatch range of FACILITY_ITF: codes that carry an error number of their own. Being
// FACILITY_ITF codes, they never reach the system-table branch below.
bool IsDispatchError(DWORD code) { return code >= 0x80040200u && code <= 0x8004FFFFu; }

std::wstring DispatchErrorText(DWORD code) {
  wchar_t text[64];
  swprintf(text, 64, L"IDispatch error #%d", static_cast<int>(code - 0x80040200u));
  return text;
}

}  // namespace

std::wstring HResultText(HRESULT hr, HMODULE messageModule) {
  auto code = static_cast<DWORD>(hr);
  DWORD facility = (code >> 16) & 0x1FFF;
  if (facility == 0xFFF || facility == FACILITY_ITF) {
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    if (messageModule) flags |= FORMAT_MESSAGE_FROM_HMODULE;
    com::UniqueLocal<char> buffer;
    DWORD n = FormatMessageA(flags, messageModule, code, 0x400, reinterpret_cast<char*>(buffer.put()), 0, nullptr);
    if (n && buffer) {
      // Message tables end each text with a line break, as the system's do.
      std::wstring text = com::CodePageToWide({buffer.get(), n}, CP_ACP);
      TrimLineBreak(&text);
      return text;
    }
    return IsDispatchError(code) ? DispatchErrorText(code) : std::wstring(protocol::kTextUnspecified);
  }

  com::UniqueLocal<wchar_t> buffer;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                           nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                           reinterpret_cast<wchar_t*>(buffer.put()), 0, nullptr);
  std::wstring text;
  if (n && buffer) {
    text.assign(buffer.get(), n);
    TrimLineBreak(&text);
  } else {
    wchar_t formatted[64];
    swprintf(formatted, 64, L"Unknown error 0x%0lX", static_cast<unsigned long>(code));
    text = formatted;
  }
  return text.empty() ? protocol::kTextUnspecified : text;
}

}  // namespace zm::control
