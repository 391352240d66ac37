// The failures recorded for the host (`m_nErrorType`, `m_nErrorID`) and reported by OnError.
// A renderer failure records its HRESULT as the id, a server refusal the server's result code.
#pragma once

#include <cstdint>

namespace zm::protocol {

// `m_nErrorType`.
inline constexpr int32_t kErrorTypeStart = 1;    // the session failed to start
inline constexpr int32_t kErrorTypeRunning = 2;  // it failed while running, or the server refused

// `m_nErrorID`.
inline constexpr int32_t kErrorNoResourceName = 1000;
inline constexpr int32_t kErrorNoServerAddress = 1001;
inline constexpr int32_t kErrorMulticastFile = 1002;
inline constexpr int32_t kErrorNoResponse = 1003;
inline constexpr int32_t kErrorNegotiation = 1004;
inline constexpr int32_t kErrorSeekRefused = 1005;
inline constexpr int32_t kErrorUnexpected = 1006;

}  // namespace zm::protocol
