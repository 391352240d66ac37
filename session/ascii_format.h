// printf-style formatting of short ASCII figures ("%.1f kByte/s") into the wide texts the
// windows show. Portable.
#pragma once

#include <string>

namespace zm::session {

// At most 63 characters; the formats used produce ASCII only, so widening byte by byte is exact.
[[gnu::format(printf, 1, 2)]] std::wstring FormatAscii(const char* format, ...);

}  // namespace zm::session
