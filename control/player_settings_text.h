// The text rules of the player's source-selection settings: the server address and port
// as "%d" scans them, and numbers written with "%d".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zm::control {

struct ServerAddress {
  std::u16string host;
  // The port read after the first colon; empty when there was a colon but no number
  // (the stored port is then left as it was). 0 when there was no colon at all.
  std::optional<int32_t> port;
};

// Splits "host:port" the way UseMediaServer stores it.
ServerAddress SplitServerAddress(std::u16string_view text);

// Reads a decimal integer at the start of the text, as "%d" does: leading white
// space, an optional sign, digits. Empty when no digit follows.
std::optional<int32_t> ScanDecimal(std::u16string_view text);

// The number written with "%d".
std::u16string DecimalText(int32_t value);

}  // namespace zm::control
