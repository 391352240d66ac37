#include "protocol/name_markers.h"

namespace zm::protocol {
namespace {

bool Contains(std::u16string_view text, std::string_view marker) {
  return std::u16string_view::npos != text.find(std::u16string(marker.begin(), marker.end()));
}

}  // namespace

bool CarriesSuffixMarker(std::u16string_view name) {
  return Contains(name, kHashMarker) || Contains(name, kSessionIdMarker);
}

bool HasAuthenticationMarker(std::u16string_view text) {
  return Contains(text, kHashMarker) || Contains(text, "///hash:");
}

std::u16string SessionIdHex(std::string_view ansiBytes) {
  static const char16_t digits[] = u"0123456789abcdef";
  std::u16string out;
  for (char c : ansiBytes) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80) out += u"ffffff";  // the sign extension of a negative char
    out.push_back(digits[byte >> 4]);
    out.push_back(digits[byte & 15]);
  }
  return out;
}

}  // namespace zm::protocol
