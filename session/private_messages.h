// The private messages between a session's grabber thread and the control window, with the
// codes each carries in wParam, and the commands the window handles for the session.
// The session sends or posts them; the control window handles them on its own thread.
#pragma once

#include <windows.h>

namespace zm::session {

inline constexpr UINT WM_ZM_FIRE = WM_USER + 0x37;
inline constexpr UINT WM_ZM_SESSION = WM_USER + 0x39;
inline constexpr UINT WM_ZM_CREDENTIALS = WM_USER + 0x3B;
inline constexpr UINT WM_ZM_RESYNC = WM_USER + 0x3D;

// WM_ZM_FIRE: which event to fire.
enum FireCode : WPARAM {
  kFireStop = 0,
  kFireStart = 2,
  kFirePause = 3,   // lParam: the pause reason
  kFireResize = 5,  // lParam: percent of the picture size
  kFireError = 6,
};

// WM_ZM_SESSION: what to do with the renderer or the session.
enum SessionCode : WPARAM {
  kSessionCreateRenderer = 0,
  kSessionShutDownRenderer = 1,
  kSessionAttachRenderer = 2,
  kSessionPause = 3,  // the media buffer ran dry
  kSessionResume = 4,
  kSessionStopRenderer = 5,
  // The session's own requests, so that the window's thread does what belongs to it;
  // lParam: the serial of the session asking, so that a late request of an ended session is
  // ignored by the next one.
  kSessionStopRequest = 6,    // the grabber thread has ended its run: run the stop procedure
  kSessionPlaying = 7,        // playback has started: refresh the status, start the one-second timer
  kSessionPlayListReply = 8,  // a playlist reply is queued for the window's thread
  kSessionCodeCount = 9,
};

// OnPause reasons.
enum PauseReason : short { kPauseByUser = 0, kPauseRebuffering = 1, kPauseSeeking = 2, kPauseBroadcastEnded = 3 };

// WM_COMMAND identifiers the session and the flow bar send to the control window.
inline constexpr WORD kCommandFullScreen = 0xF8;
inline constexpr WORD kCommandStop = 0xF9;
inline constexpr WORD kCommandPlayPause = 0xFA;
// kCommandStop's lParam when the media buffer has handed every stream's end to the renderer
// (a button or menu item sends its own window or 0).
inline constexpr LPARAM kStopAtEnd = 1;
// kCommandPlayPause's lParam when the media buffer pauses time-shifted playback at the end of
// the recorded broadcast: it pauses a running session and does nothing to an idle control.
inline constexpr LPARAM kPauseAtBroadcastEnd = 1;

}  // namespace zm::session
