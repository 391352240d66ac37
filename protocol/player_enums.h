// The kinds that the control's settings and session fields take, shared by the control, its
// session and the reference server. Unscoped, because the fields that hold them are plain
// int32 values (`m_nTransport`, `m_nResourceKind`, `m_nState`, `m_nPlaybackMode`).
#pragma once

#include <cstdint>

namespace zm::protocol {

// `m_nTransport`.
enum TransportKind : int32_t { Tcp = 0, Http = 1, Https = 2, RtpUnicast = 3, RtpMulticast = 4 };

// `m_nResourceKind`; the request texts number the kinds the same way.
enum ResourceKind : int32_t { None = 0, LiveDirect = 1, File = 2, LiveAlias = 3, FilePlayList = 4, LiveLocal = 5 };

// `m_nState`.
enum SessionState : int32_t { Idle = 0, Connecting = 1, Playing = 2, Paused = 3, Stopping = 4 };

// `m_nPlaybackMode`: stored, live, live with a time-shift window, playback from the window.
enum PlaybackMode : int32_t { Stored = 1, Live = 2, LiveTimeShift = 3, TimeShiftPlayback = 4 };

// `m_nAuthMode`.
enum class AuthMode : int32_t { PasswordHash = 1, SessionId = 2 };

enum class ProtocolVersion : int32_t { V25 = 25, V80 = 80 };

}  // namespace zm::protocol
