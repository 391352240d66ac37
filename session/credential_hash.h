// The credential digest computed with CryptoAPI's SHA-1: the "///HASH:" text the server checks.
// Called on the grabber thread after the password dialog closes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zm::session {

// 40 lower-case hex digits of SHA-1 over the UTF-8 user name followed by the password;
// nothing when the provider or the hash fails.
std::optional<std::string> HashCredentials(std::u16string_view userName, std::u16string_view password);

}  // namespace zm::session
