// The connection negotiation: the player's settings become one open transport that has read
// the server's stream description, with the protocol and transport fallbacks and the password
// exchange on the way. Runs on the grabber thread; only the password dialog runs on the
// control's thread, asked for with WM_ZM_CREDENTIALS.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "credentials/password_dialog.h"
#include "credentials/users.h"
#include "session/apply_reply.h"
#include "transport/network_source.h"

namespace zm::session {

// The control's WM_ZM_CREDENTIALS: its window shows the password dialog, then signals the
// credentials event.
inline constexpr UINT kCredentialsMessage = WM_USER + 0x3B;

inline constexpr uint16_t kDefaultServerPort = 5119;
inline constexpr uint16_t kDefaultHttpsPort = 443;
inline constexpr uint16_t kLiveLocalPort = 5120;

// Error ids of the session (`m_nErrorID`).
inline constexpr int32_t kErrorNoResponse = 1003;
inline constexpr int32_t kErrorResourceName = 1000;
inline constexpr int32_t kErrorConnection = 1004;

// What the negotiation reads and writes of the control, under the control's names. The caller
// copies the settings in and every field back out, whatever the result: fallbacks, a refused
// session id and a forgotten digest stay for later sessions.
struct NegotiationFields {
  // Settings.
  std::wstring sServerAddr;
  int32_t nServerPort = 0;  // 0: the default, stored back
  int32_t nTransport = 0;
  int32_t nResourceKind = 0;  // out of range: stored back as live-local
  std::wstring sSourceNumber;
  std::wstring sSourceAddr;
  std::wstring sFile;
  std::wstring sLiveAlias;
  std::wstring sPlayListFolder;
  int32_t nPlayListIndex = 0;
  int32_t nUDPLossControlMode = 1;
  int32_t nAuthMode = 1;
  std::wstring sCredentialHash;
  std::wstring sSessionID;
  bool bNormalIntegrity = true;
  int32_t nTimeShiftCarrySec = 0;

  // Results.
  std::wstring sMediaName;
  int32_t nErrorType = 0;
  int32_t nErrorID = 0;
  transport::StreamFormatPair formats;  // video, audio, as the server described them
  SessionValues values;                 // the reply applied
};

// Where the negotiation meets the parts of the control around it. Grabber thread.
class INegotiationSite {
 public:
  virtual ~INegotiationSite() = default;
  // HTTP, HTTPS and the RTP transports; null while the control has no such transport, which
  // also leaves a TCP failure without its HTTP fallback.
  virtual std::unique_ptr<transport::CZNetworkMediaFramesSource> CreateTransport(int32_t nTransport, uint16_t port,
                                                                                  int32_t nUDPLossControlMode) = 0;
  // The display text of a server's result code.
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
  HANDLE hStopEvent = nullptr;         // polled between attempts
  HANDLE hCredentialsEvent = nullptr;  // signalled when the password dialog has closed
  HWND hControlWindow = nullptr;       // receives WM_ZM_CREDENTIALS
  credentials::CZMSPasswordDialog* pPasswordDialog = nullptr;  // its fields, read after it closes
  credentials::UsersEnvironment usersEnvironment;              // empty: the user's own cache
  INegotiationSite* pSite = nullptr;
  // The session's transport: created here, kept on success and on failure.
  std::unique_ptr<transport::CZNetworkMediaFramesSource> transport;
};

// TRUE with the transport ready for ReadFrame and the reply applied to `fields`; FALSE with
// the error text, and the error type and id in `fields`.
BOOL Negotiate(NegotiationFields& fields, NegotiationContext& context, std::wstring& errorText);

}  // namespace zm::session
