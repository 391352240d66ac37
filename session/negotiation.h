// The connection negotiation: the player's settings become one open transport that has read
// the server's stream description, with the protocol and transport fallbacks and the password
// exchange on the way. Runs on the grabber thread; only the password dialog runs on the
// control's thread, asked for with WM_ZM_CREDENTIALS.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "credentials/password_request.h"
#include "credentials/users.h"
#include "session/player_state.h"
#include "transport/network_source.h"

namespace zm::session {

inline constexpr uint16_t kDefaultServerPort = 5119;
inline constexpr uint16_t kDefaultHttpsPort = 443;
inline constexpr uint16_t kLiveLocalPort = 5120;

// Where the negotiation meets the parts of the control around it. Grabber thread.
class INegotiationSite {
 public:
  virtual ~INegotiationSite() = default;
  // HTTP, HTTPS and the RTP transports; null while the control has no such transport, which
  // also leaves a TCP failure without its HTTP fallback.
  virtual std::unique_ptr<transport::CZNetworkMediaFramesSource> CreateTransport(int32_t nTransport, uint16_t port,
                                                                                 int32_t nUDPLossControlMode) = 0;
  // The display text of a server's result code; empty when no message source knows it.
  virtual std::wstring HResultText(HRESULT hr) = 0;
  // The applied reply's playback mode and seek permission for the flow bar.
  virtual void SetFlowMode(int32_t nPlaybackMode, bool bSeekable) = 0;
  // A playlist reply's list: `listXml` from "<xml>" on, or empty when the server sent the
  // entry's name alone (then the list holds the one item).
  virtual void SetPlayListContent(const std::wstring& listXml, const std::wstring& folder, int32_t item) = 0;
  // A single file is playing: the playlist dialog follows it.
  virtual void SyncWithFile() = 0;
};

struct NegotiationContext {
  HANDLE hStopEvent = nullptr;                               // polled between attempts
  HANDLE hCredentialsEvent = nullptr;                        // signalled when the password dialog has closed
  HWND hControlWindow = nullptr;                             // receives WM_ZM_CREDENTIALS
  credentials::PasswordRequest* pPasswordRequest = nullptr;  // the dialog's fields, read after it closes
  credentials::UsersEnvironment usersEnvironment;            // empty: the user's own cache
  INegotiationSite* pSite = nullptr;
  // The session's transport: created here, kept on success and on failure.
  std::unique_ptr<transport::CZNetworkMediaFramesSource> transport;
};

// TRUE with the transport ready for ReadFrame and the reply applied to `session`; FALSE with
// the error text, and the error type and id in `session`. Writes back to `settings` what it
// settles (default port, resource kind, transport fallback, auth mode, digest), whatever the
// result: those stay for later sessions.
BOOL Negotiate(PlayerSettings& settings, SessionValues& session, NegotiationContext& context, std::wstring& errorText);

}  // namespace zm::session
