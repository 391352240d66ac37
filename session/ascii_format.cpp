#include "session/ascii_format.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace zm::session {

std::wstring FormatAscii(const char* format, ...) {
  char text[64];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (length < 0) return {};
  return std::wstring(text, text + std::min<size_t>(static_cast<size_t>(length), sizeof text - 1));
}

}  // namespace zm::session
