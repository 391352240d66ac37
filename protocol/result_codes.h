// The HRESULT-shaped result codes of the media server protocol: what the server answers in
// its reply, and what the client records itself for a reply it cannot use.
#pragma once

#include <cstdint>

namespace zm::protocol {

// The server's answers.
inline constexpr uint32_t kResultAccepted = 0;
// Credentials missing, or a session id refused (the client then tries its stored digest).
inline constexpr uint32_t kResultCredentialsNeeded = 0x8FFF0543;
// A digest that does not match.
inline constexpr uint32_t kResultCredentialsRefused = 0x8FFF0544;
// The media source cannot be rendered (E_FAIL, E_INVALIDARG).
inline constexpr uint32_t kResultFail = 0x80004005;
inline constexpr uint32_t kResultInvalidArg = 0x80070057;

// The client's own codes for a reply it cannot read.
inline constexpr uint32_t kResultWrongMagic = 0x8FFF0538;
inline constexpr uint32_t kResultIncompatibleVersion = 0x8FFF0539;

}  // namespace zm::protocol
