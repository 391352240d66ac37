#include "com/code_page_text.h"

#include <climits>

namespace zm::com {

std::wstring CodePageToWide(std::string_view bytes, UINT codePage) {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  const int size = static_cast<int>(bytes.size());
  const int wide = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  if (wide <= 0) return {};
  std::wstring out(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), size, out.data(), wide);
  return out;
}

std::string WideToCodePage(std::wstring_view text, UINT codePage) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int size = static_cast<int>(text.size());
  const int narrow = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (narrow <= 0) return {};
  std::string out(static_cast<size_t>(narrow), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), narrow, nullptr, nullptr);
  return out;
}

}  // namespace zm::com
