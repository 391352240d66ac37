// The markers of a request text and the session-id text, one rule for the control and the
// server: the protocol-80 prefix, the computer-SID part of a live-local request, and the
// authentication suffixes the server takes from the end of a request.
#pragma once

#include <string>
#include <string_view>

namespace zm::protocol {

// A protocol-80 request starts with the prefix and four digits; the client sends "0000".
inline constexpr std::string_view kProtocol80Prefix = "/ZAMS80/";
inline constexpr std::string_view kProtocol80Digits = "0000";
inline constexpr std::string_view kComputerSidMarker = "CompSid:";
inline constexpr std::string_view kHashMarker = "///HASH:";
inline constexpr std::string_view kSessionIdMarker = "///SID:";

// True when a name carries either suffix marker: the server takes credentials from the last
// one, so such a name would lose its tail to it (and could forge credentials).
bool CarriesSuffixMarker(std::u16string_view name);

// True when a host-given text carries the credential marker in either spelling the control
// recognises, "///HASH:" or "///hash:".
bool HasAuthenticationMarker(std::u16string_view text);

// The session id as the request sends it: each byte of its ANSI form taken as a signed 8-bit
// value and written with "%2.2x", two digits below 0x80, "ffffff" and two digits above.
std::u16string SessionIdHex(std::string_view ansiBytes);

}  // namespace zm::protocol
