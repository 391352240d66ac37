// Conversion between the 8-bit texts of the media server protocol and wide text:
// UTF-8 with protocol 80, the thread's ANSI code page with protocol 25.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace zm::transport {

// CP_UTF8 for protocol 80, CP_THREAD_ACP otherwise.
UINT WireCodePage(int protocolVersion);

std::wstring WireTextToWide(std::string_view bytes, UINT codePage);
std::string WideToWireText(std::wstring_view text, UINT codePage);

}  // namespace zm::transport
