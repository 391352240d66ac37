// The credential digest the server checks: SHA-1 over the UTF-8 user name followed by the
// password, sent as 40 lower-case hex digits. CryptoAPI hashes; these are the texts around it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zm::protocol {

inline constexpr size_t kCredentialDigestSize = 20;  // SHA-1

// The exact bytes that are hashed: UTF-8 of the user name immediately followed by the password.
std::string CredentialDigestInput(std::u16string_view userName, std::u16string_view password);

// The digest as "%2.2x" per byte; none unless it is exactly 20 bytes.
std::optional<std::string> FormatCredentialDigest(std::span<const std::uint8_t> digest);

}  // namespace zm::protocol
