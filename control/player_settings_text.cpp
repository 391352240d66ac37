#include "control/player_settings_text.h"

namespace zm::control {

std::optional<int32_t> ScanDecimal(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  size_t first = i;
  uint32_t value = 0;  // wraps like the 32-bit conversion it stands for
  while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') value = value * 10u + (text[i++] - u'0');
  if (i == first) return std::nullopt;
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

ServerAddress SplitServerAddress(std::u16string_view text) {
  ServerAddress result;
  size_t colon = text.find(u':');
  if (text.empty() || colon == std::u16string_view::npos) {
    result.host.assign(text);
    result.port = 0;
    return result;
  }
  result.host.assign(text.substr(0, colon));
  result.port = ScanDecimal(text.substr(colon + 1));
  return result;
}

std::u16string DecimalText(int32_t value) {
  std::u16string out;
  int64_t v = value;
  bool negative = v < 0;
  if (negative) v = -v;
  do {
    out.insert(out.begin(), static_cast<char16_t>(u'0' + v % 10));
    v /= 10;
  } while (v);
  if (negative) out.insert(out.begin(), u'-');
  return out;
}

}  // namespace zm::control
