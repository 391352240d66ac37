#include "protocol/url_encode.h"

#include "protocol/utf8_text.h"

namespace zm::protocol {

namespace {

bool IsAsciiLetterOrDigit(char32_t c) {
  return (c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z');
}

}  // namespace

// The escape rules for "%", the fourteen unsafe characters, the control characters and the
// rest all come down to the same thing: each UTF-8 byte of the character as "%XX".
std::u16string URLEncode(std::u16string_view text) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  std::u16string out;
  out.reserve(text.size());
  std::string bytes;
  for (size_t i = 0; i < text.size();) {
    char32_t c = NextCodePoint(text, i);
    if (IsAsciiLetterOrDigit(c)) {
      out.push_back(static_cast<char16_t>(c));
      continue;
    }
    bytes.clear();
    AppendUtf8(c, bytes);
    for (char b : bytes) {
      auto byte = static_cast<unsigned char>(b);
      out.push_back(u'%');
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0x0F]);
    }
  }
  return out;
}

}  // namespace zm::protocol
