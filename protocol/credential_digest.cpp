#include "protocol/credential_digest.h"

#include "protocol/utf8_text.h"

namespace zm::protocol {

std::string CredentialDigestInput(std::u16string_view userName, std::u16string_view password) {
  std::u16string joined(userName);
  joined += password;
  return Utf16ToUtf8(joined);
}

std::optional<std::string> FormatCredentialDigest(std::span<const std::uint8_t> digest) {
  static constexpr char kHex[] = "0123456789abcdef";
  if (digest.size() != kCredentialDigestSize) return std::nullopt;
  std::string hex;
  hex.reserve(2 * digest.size());
  for (std::uint8_t byte : digest) {
    hex.push_back(kHex[byte >> 4]);
    hex.push_back(kHex[byte & 0x0F]);
  }
  return hex;
}

}  // namespace zm::protocol
