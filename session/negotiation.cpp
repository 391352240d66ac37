#include "session/negotiation.h"

#include <sddl.h>

#include <utility>
#include <vector>

#include "protocol/error_ids.h"
#include "protocol/error_texts.h"
#include "protocol/name_markers.h"
#include "protocol/request_text.h"
#include "protocol/result_codes.h"
#include "session/apply_reply.h"
#include "com/code_page_text.h"
#include "com/unique_handle.h"
#include "session/credential_hash.h"
#include "session/private_messages.h"
#include "transport/stream_format_record.h"
#include "transport/tcp_source.h"

namespace zm::session {
namespace {

using namespace protocol;
using transport::CZNetworkMediaFramesSource;
using transport::StreamFormatRecord;

std::string Ansi(std::wstring_view text) { return com::WideToCodePage(text, CP_THREAD_ACP); }
std::string AnsiOf(std::u16string_view text) { return Ansi(com::AsWide(text)); }

bool IsSignalled(HANDLE event) { return event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

// The names a request of this kind sends; the others may hold stale values from earlier sessions.
std::vector<const std::wstring*> SentNames(ResourceKind kind, const PlayerSettings& s) {
  switch (kind) {
    case LiveDirect: return {&s.m_sSourceAddr, &s.m_sSourceNumber};
    case File: return {&s.m_sFile};
    case LiveAlias: return {&s.m_sLiveAlias};
    case FilePlayList: return {&s.m_sPlayListFolder};
    default: return {&s.m_sSourceNumber};
  }
}

// This computer's account SID, "S-1-5-21-...", for live-local requests; empty when unknown.
std::wstring ComputerSid() {
  wchar_t name[16];
  DWORD nameLength = 16;
  if (!GetComputerNameW(name, &nameLength)) return {};
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD sidSize = sizeof sid;
  wchar_t domain[256];
  DWORD domainLength = 256;
  SID_NAME_USE use;
  if (!LookupAccountNameW(nullptr, name, sid, &sidSize, domain, &domainLength, &use)) return {};
  com::UniqueLocal<wchar_t> text;
  if (!ConvertSidToStringSidW(sid, text.put())) return {};
  return text.get();
}

class Negotiation {
 public:
  Negotiation(PlayerSettings& settings, SessionValues& session, NegotiationContext& context)
      : s_(settings), v_(session), c_(context) {}

  BOOL Run(std::wstring& errorText);

 private:
  bool CreateTransport(int32_t nTransport, bool longTimeout);
  void BuildRequestText();
  std::string AuthSuffix();
  void SwitchToHttp();
  BOOL HandleAuthenticationRequired(uint32_t result, bool firstAttempt);
  BOOL ErrorExit(const ReplyStatus& status, SourceFailure failure, std::wstring& errorText);
  BOOL ReadPlayListString(std::wstring& errorText);
  void Apply(const ReplyStatus& status, const StreamFormatRecord (&records)[2]);
  void Fail(int32_t type, int32_t id) {
    v_.m_nErrorType = type;
    v_.m_nErrorID = id;
  }
  bool FallbackPossible() const {
    return allowFallback_ && kind_ != LiveLocal && (s_.m_nTransport == Tcp || s_.m_nTransport == RtpUnicast);
  }

  PlayerSettings& s_;
  SessionValues& v_;
  NegotiationContext& c_;
  ResourceKind kind_ = LiveLocal;
  ProtocolVersion protocol_ = ProtocolVersion::V80;
  std::string request_;
  bool allowFallback_ = true;
};

bool Negotiation::CreateTransport(int32_t nTransport, bool longTimeout) {
  const auto port = static_cast<uint16_t>(s_.m_nServerPort);
  std::unique_ptr<CZNetworkMediaFramesSource> source;
  if (nTransport == Tcp) source = std::make_unique<transport::CZTcpMediaFramesSource>(port);
  else if (c_.pSite) source = c_.pSite->CreateTransport(nTransport, port, s_.m_nUDPLossControlMode);
  // Without the new transport the old one stays, so that its failure is what gets reported.
  if (!source) return false;
  if (longTimeout) source->SetLongTimeout();
  source->SetHost(Ansi(s_.m_sServerAddr));
  if (c_.transport) {
    std::wstring ignored;
    c_.transport->Disconnect(ignored);
  }
  c_.transport = std::move(source);
  return true;
}

void Negotiation::BuildRequestText() {
  RequestSettings settings;
  settings.resourceKind = kind_;
  settings.nTransport = s_.m_nTransport;
  settings.sSourceNumber = com::AsU16(s_.m_sSourceNumber);
  settings.sSourceAddr = com::AsU16(s_.m_sSourceAddr);
  settings.sFile = com::AsU16(s_.m_sFile);
  settings.sLiveAlias = com::AsU16(s_.m_sLiveAlias);
  settings.sPlayListFolder = com::AsU16(s_.m_sPlayListFolder);
  settings.nPlayListIndex = s_.m_nPlayListIndex;
  if (kind_ == LiveLocal) settings.sComputerSid = com::AsU16(ComputerSid());
  RequestText request = BuildRequest(settings, protocol_, AnsiOf);
  request_ = std::move(request.text);
  if (request.mediaName) v_.m_sMediaName = com::AsWide(*request.mediaName);
}

std::string Negotiation::AuthSuffix() {
  AuthSettings settings;
  settings.mode =
      s_.m_nAuthMode == static_cast<int32_t>(AuthMode::SessionId) ? AuthMode::SessionId : AuthMode::PasswordHash;
  if (settings.mode == AuthMode::PasswordHash && s_.m_sCredentialHash.empty()) {
    credentials::CUsers users(c_.usersEnvironment);
    std::wstring value;
    if (users.FindUser(s_.m_sServerAddr, value)) s_.m_sCredentialHash = value;
  }
  settings.sCredentialHash = Ansi(s_.m_sCredentialHash);
  settings.sSessionID = com::AsU16(s_.m_sSessionID);
  return BuildAuthSuffix(settings, AnsiOf);
}

void Negotiation::SwitchToHttp() {
  allowFallback_ = false;
  // The HTTP transport keeps its own time-out.
  if (!CreateTransport(Http, false)) return;
  s_.m_nTransport = Http;
  BuildRequestText();  // now URL-encoded
}

BOOL Negotiation::HandleAuthenticationRequired(uint32_t result, bool firstAttempt) {
  if (result != kResultCredentialsNeeded && result != kResultCredentialsRefused) return FALSE;
  s_.m_sCredentialHash.clear();
  if (s_.m_nAuthMode == static_cast<int32_t>(AuthMode::SessionId)) {
    // A refused session id: the next attempt sends the stored digest, if there is one.
    s_.m_nAuthMode = static_cast<int32_t>(AuthMode::PasswordHash);
    return TRUE;
  }
  credentials::CUsers(c_.usersEnvironment).RemoveUser(s_.m_sServerAddr);
  credentials::PasswordRequest* request = c_.pPasswordRequest;
  if (!request || !c_.hCredentialsEvent || !c_.hControlWindow) return FALSE;
  request->firstAttempt = firstAttempt;
  request->confirmed = false;
  ResetEvent(c_.hCredentialsEvent);
  if (!PostMessageW(c_.hControlWindow, WM_ZM_CREDENTIALS, 0, 0)) return FALSE;
  // The user takes as long as the user takes; only Stop ends the wait early.
  HANDLE waits[2] = {c_.hCredentialsEvent, c_.hStopEvent};
  const DWORD count = c_.hStopEvent ? 2 : 1;
  if (WaitForMultipleObjects(count, waits, FALSE, INFINITE) != WAIT_OBJECT_0) return FALSE;
  if (!request->confirmed) return FALSE;
  if (std::optional<std::string> hash = HashCredentials(com::AsU16(request->userName), com::AsU16(request->password))) {
    s_.m_sCredentialHash.assign(hash->begin(), hash->end());
    if (request->remember) credentials::CUsers(c_.usersEnvironment).SaveUser(s_.m_sServerAddr, s_.m_sCredentialHash);
  }
  return TRUE;
}

BOOL Negotiation::ErrorExit(const ReplyStatus& status, SourceFailure failure, std::wstring& errorText) {
  if (status.result == kResultAccepted) {
    Fail(kErrorTypeRunning, kErrorNoResponse);
    if (failure == SourceFailure::NoHttpSupport) errorText = SourceFailureText(SourceFailure::NoResponse);
    return FALSE;
  }
  Fail(kErrorTypeRunning, static_cast<int32_t>(status.result));
  if (status.result == kResultCredentialsRefused) {
    credentials::CUsers(c_.usersEnvironment).RemoveUser(s_.m_sServerAddr);
    s_.m_sCredentialHash.clear();
  }
  std::wstring text = c_.pSite ? c_.pSite->HResultText(static_cast<HRESULT>(status.result)) : std::wstring();
  if (text.empty()) {
    // The client's own codes keep the transport's text, which says what was wrong.
    const bool ownCode = status.result == kResultWrongMagic || status.result == kResultIncompatibleVersion;
    text = ownCode ? errorText : std::wstring(kTextUnspecified);
  }
  if (status.result == kResultFail || status.result == kResultInvalidArg) text = kTextCannotRender + text;
  errorText = std::move(text);
  return FALSE;
}

BOOL Negotiation::ReadPlayListString(std::wstring& errorText) {
  std::wstring text;
  if (!c_.transport->ReadString(text, errorText)) {
    Fail(kErrorTypeRunning, kErrorNoResponse);
    return FALSE;
  }
  const size_t xml = text.find(L"<xml>");
  v_.m_sMediaName = text.substr(0, xml);
  if (c_.pSite) {
    c_.pSite->SetPlayListContent(xml == std::wstring::npos ? std::wstring() : text.substr(xml), s_.m_sPlayListFolder,
                                 s_.m_nPlayListIndex);
  }
  return TRUE;
}

void Negotiation::Apply(const ReplyStatus& status, const StreamFormatRecord (&records)[2]) {
  StreamFormatPair formats;
  for (size_t i = 0; i < 2; ++i) formats[i] = transport::ToStreamFormat(records[i]);
  ApplyReply(status, formats, std::nullopt, s_, v_);
  if (c_.pSite) {
    c_.pSite->SetFlowMode(v_.m_nPlaybackMode, v_.m_bSeekable != 0);
    if (kind_ == File) c_.pSite->SyncWithFile();
  }
}

BOOL Negotiation::Run(std::wstring& errorText) {
  errorText.clear();
  kind_ = NormalizeResourceKind(s_.m_nResourceKind);
  s_.m_nResourceKind = kind_;
  for (const std::wstring* name : SentNames(kind_, s_)) {
    if (CarriesSuffixMarker(com::AsU16(*name))) {
      Fail(kErrorTypeStart, kErrorNoResourceName);
      errorText = kTextMarkerInName;
      return FALSE;
    }
  }
  if (s_.m_nServerPort == 0) s_.m_nServerPort = s_.m_nTransport == Https ? kDefaultHttpsPort : kDefaultServerPort;
  if (!CreateTransport(s_.m_nTransport, true)) {
    Fail(kErrorTypeStart, kErrorNegotiation);
    errorText = kTextNoTransport;
    return FALSE;
  }
  protocol_ = ProtocolVersion::V80;
  if (kind_ == LiveLocal) {
    c_.transport->SetHost("127.0.0.1");
    c_.transport->SetPort(kLiveLocalPort);
    protocol_ = ProtocolVersion::V25;
  }
  BuildRequestText();
  int authAttempts = 0;

  transport::StreamFormatRecordPair reply;  // freed however the negotiation ends
  ReplyStatus status;
  bool replied = false;
  while (!IsSignalled(c_.hStopEvent)) {
    std::string text = request_;
    if (kind_ != LiveLocal) text += AuthSuffix();
    c_.transport->SetRequest(text, static_cast<int>(protocol_));

    if (!c_.transport->Connect(errorText)) {
      if (FallbackPossible()) {
        SwitchToHttp();
        if (s_.m_nTransport == Http) continue;
      }
      Fail(kErrorTypeStart, kErrorNegotiation);
      return FALSE;
    }
    status = ReplyStatus{};
    if (c_.transport->ReadServerReply(reply.records, status, errorText, kind_ != FilePlayList)) {
      if (kind_ == FilePlayList && !ReadPlayListString(errorText)) return FALSE;
      replied = true;
      break;
    }
    const SourceFailure failure = c_.transport->LastFailure();
    std::wstring ignored;
    if (failure == SourceFailure::Protocol25Only) {
      protocol_ = ProtocolVersion::V25;
      BuildRequestText();
      c_.transport->Disconnect(ignored);
      continue;
    }
    if (failure == SourceFailure::NoHttpSupport && allowFallback_ && s_.m_nTransport == Http) {
      allowFallback_ = false;
      s_.m_nTransport = Tcp;
      BuildRequestText();
      if (!CreateTransport(Tcp, true)) {
        Fail(kErrorTypeStart, kErrorNegotiation);
        errorText = kTextNoTransport;
        return FALSE;
      }
      continue;
    }
    const bool noUsableReply = failure == SourceFailure::NoResponse || failure == SourceFailure::UnrecognizedResponse ||
                               failure == SourceFailure::ErrorReceiving;
    if (noUsableReply && FallbackPossible()) {
      const std::wstring failureText = errorText;
      SwitchToHttp();
      if (s_.m_nTransport == Http) continue;
      errorText = failureText;
    }
    if (s_.m_nAuthMode == static_cast<int32_t>(AuthMode::PasswordHash)) ++authAttempts;
    if (authAttempts <= 3 && HandleAuthenticationRequired(status.result, authAttempts == 1)) {
      c_.transport->Disconnect(ignored);
      continue;
    }
    return ErrorExit(status, failure, errorText);
  }
  if (!replied || IsSignalled(c_.hStopEvent)) return FALSE;
  Apply(status, reply.records);
  return TRUE;
}

}  // namespace

BOOL Negotiate(PlayerSettings& settings, SessionValues& session, NegotiationContext& context, std::wstring& errorText) {
  return Negotiation(settings, session, context).Run(errorText);
}

}  // namespace zm::session
