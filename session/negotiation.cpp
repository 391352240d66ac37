// Winsock's header must come before windows.h, which the negotiation's header brings.
#include "transport/tcp_source.h"

#include "session/negotiation.h"

#include <sddl.h>

#include <utility>

#include "session/credential_hash.h"
#include "session/request_text.h"
#include "transport/stream_format_record.h"
#include "transport/wire_text.h"

namespace zm::session {
namespace {

using transport::CZNetworkMediaFramesSource;
using transport::ReplyStatus;
using transport::StreamFormatRecord;

constexpr int32_t kTransportTcp = 0;
constexpr int32_t kTransportHttps = 2;
constexpr int32_t kTransportRtpUnicast = 3;

constexpr uint32_t kResultCredentialsNeeded = 0x8FFF0543;
constexpr uint32_t kResultCredentialsRefused = 0x8FFF0544;
constexpr uint32_t kResultFail = 0x80004005;
constexpr uint32_t kResultInvalidArg = 0x80070057;

constexpr wchar_t kTextProtocol25Only[] = L"ServerSupportsProtocol25Only";
constexpr wchar_t kTextNoHttpSupport[] = L"NoHttpSupport";
constexpr wchar_t kTextNoResponse[] = L"Media Server doesn't respond";
constexpr wchar_t kTextUnrecognized[] = L"Unrecognized response from Server";
constexpr wchar_t kTextErrorReceiving[] = L"Error receiving data from Server";
constexpr wchar_t kTextCannotRender[] = L"Server can not render this media source.\nExtended error: ";
constexpr wchar_t kTextNoTransport[] = L"This transport is not available";
constexpr wchar_t kTextMarkerInName[] = L"A media resource name can not contain \"///HASH:\" or \"///SID:\"";

std::u16string U16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }
std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
std::string Ansi(std::wstring_view text) { return transport::WideToWireText(text, CP_THREAD_ACP); }
std::string AnsiOf(std::u16string_view text) { return Ansi(Wide(text)); }

bool IsSignalled(HANDLE event) { return event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

// The server takes its authentication suffix from the last of these markers, so a name that
// carries one would lose its tail to it (and could forge credentials).
bool CarriesSuffixMarker(const std::wstring& name) {
  return name.find(L"///HASH:") != std::wstring::npos || name.find(L"///SID:") != std::wstring::npos;
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
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text)) return {};
  std::wstring result = text;
  LocalFree(text);
  return result;
}

transport::StreamFormat ToStreamFormat(const StreamFormatRecord& record) {
  auto guid = [](const GUID& g) {
    transport::Guid out;
    out.data1 = g.Data1;
    out.data2 = g.Data2;
    out.data3 = g.Data3;
    for (size_t i = 0; i < 8; ++i) out.data4[i] = g.Data4[i];
    return out;
  };
  transport::StreamFormat format;
  format.type.majorType = guid(record.majortype);
  format.type.subType = guid(record.subtype);
  format.type.fixedSizeSamples = static_cast<uint32_t>(record.bFixedSizeSamples);
  format.type.temporalCompression = static_cast<uint32_t>(record.bTemporalCompression);
  format.type.sampleSize = record.lSampleSize;
  format.type.formatType = guid(record.formattype);
  if (record.pbFormat && record.cbFormat) format.formatBlock.assign(record.pbFormat, record.pbFormat + record.cbFormat);
  return format;
}

class Negotiation {
 public:
  Negotiation(NegotiationFields& fields, NegotiationContext& context) : f_(fields), c_(context) {}

  BOOL Run(std::wstring& errorText);

 private:
  bool CreateTransport(int32_t nTransport, bool longTimeout);
  void BuildRequestText();
  std::string AuthSuffix();
  void SwitchToHttp();
  BOOL HandleAuthenticationRequired(uint32_t result, bool firstAttempt);
  BOOL ErrorExit(const ReplyStatus& status, std::wstring& errorText);
  BOOL ReadPlayListString(std::wstring& errorText);
  void ApplyReply(const ReplyStatus& status, StreamFormatRecord (&records)[2]);
  void ConnectionFailed() {
    f_.nErrorType = 1;
    f_.nErrorID = kErrorConnection;
  }
  bool FallbackPossible() const {
    return allowFallback_ && kind_ != ResourceKind::LiveLocal &&
           (f_.nTransport == kTransportTcp || f_.nTransport == kTransportRtpUnicast);
  }

  NegotiationFields& f_;
  NegotiationContext& c_;
  ResourceKind kind_ = ResourceKind::LiveLocal;
  ProtocolVersion protocol_ = ProtocolVersion::V80;
  std::string request_;
  bool allowFallback_ = true;
};

bool Negotiation::CreateTransport(int32_t nTransport, bool longTimeout) {
  const auto port = static_cast<uint16_t>(f_.nServerPort);
  std::unique_ptr<CZNetworkMediaFramesSource> source;
  if (nTransport == kTransportTcp) source = std::make_unique<transport::CZTcpMediaFramesSource>(port);
  else if (c_.pSite) source = c_.pSite->CreateTransport(nTransport, port, f_.nUDPLossControlMode);
  // Without the new transport the old one stays, so that its failure is what gets reported.
  if (!source) return false;
  if (longTimeout) source->SetLongTimeout();
  source->SetHost(Ansi(f_.sServerAddr));
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
  settings.nTransport = f_.nTransport;
  settings.sSourceNumber = U16(f_.sSourceNumber);
  settings.sSourceAddr = U16(f_.sSourceAddr);
  settings.sFile = U16(f_.sFile);
  settings.sLiveAlias = U16(f_.sLiveAlias);
  settings.sPlayListFolder = U16(f_.sPlayListFolder);
  settings.nPlayListIndex = f_.nPlayListIndex;
  if (kind_ == ResourceKind::LiveLocal) settings.sComputerSid = U16(ComputerSid());
  RequestText request = BuildRequest(settings, protocol_, AnsiOf);
  request_ = std::move(request.text);
  if (request.mediaName) f_.sMediaName = Wide(*request.mediaName);
}

std::string Negotiation::AuthSuffix() {
  AuthSettings settings;
  settings.mode = f_.nAuthMode == static_cast<int32_t>(AuthMode::SessionId) ? AuthMode::SessionId : AuthMode::PasswordHash;
  if (settings.mode == AuthMode::PasswordHash && f_.sCredentialHash.empty()) {
    credentials::CUsers users(c_.usersEnvironment);
    std::wstring value;
    if (users.FindUser(f_.sServerAddr, value)) f_.sCredentialHash = value;
  }
  settings.sCredentialHash = Ansi(f_.sCredentialHash);
  settings.sSessionID = U16(f_.sSessionID);
  return BuildAuthSuffix(settings, AnsiOf);
}

void Negotiation::SwitchToHttp() {
  allowFallback_ = false;
  // The HTTP transport keeps its own time-out.
  if (!CreateTransport(kTransportHttp, false)) return;
  f_.nTransport = kTransportHttp;
  BuildRequestText();  // now URL-encoded
}

BOOL Negotiation::HandleAuthenticationRequired(uint32_t result, bool firstAttempt) {
  if (result != kResultCredentialsNeeded && result != kResultCredentialsRefused) return FALSE;
  f_.sCredentialHash.clear();
  if (f_.nAuthMode == static_cast<int32_t>(AuthMode::SessionId)) {
    // A refused session id: the next attempt sends the stored digest, if there is one.
    f_.nAuthMode = static_cast<int32_t>(AuthMode::PasswordHash);
    return TRUE;
  }
  credentials::CUsers(c_.usersEnvironment).RemoveUser(f_.sServerAddr);
  credentials::CZMSPasswordDialog* dialog = c_.pPasswordDialog;
  if (!dialog || !c_.hCredentialsEvent || !c_.hControlWindow) return FALSE;
  dialog->firstAttempt = firstAttempt ? TRUE : FALSE;
  dialog->confirmed = FALSE;
  ResetEvent(c_.hCredentialsEvent);
  if (!PostMessageW(c_.hControlWindow, kCredentialsMessage, 0, 0)) return FALSE;
  // The user takes as long as the user takes; only Stop ends the wait early.
  HANDLE waits[2] = {c_.hCredentialsEvent, c_.hStopEvent};
  const DWORD count = c_.hStopEvent ? 2 : 1;
  if (WaitForMultipleObjects(count, waits, FALSE, INFINITE) != WAIT_OBJECT_0) return FALSE;
  if (!dialog->confirmed) return FALSE;
  if (std::optional<std::string> hash = HashCredentials(U16(dialog->userName), U16(dialog->password))) {
    f_.sCredentialHash.assign(hash->begin(), hash->end());
    if (dialog->remember) credentials::CUsers(c_.usersEnvironment).SaveUser(f_.sServerAddr, f_.sCredentialHash);
  }
  return TRUE;
}

BOOL Negotiation::ErrorExit(const ReplyStatus& status, std::wstring& errorText) {
  f_.nErrorType = 2;
  if (status.result == 0) {
    f_.nErrorID = kErrorNoResponse;
    if (errorText == kTextNoHttpSupport || errorText == kTextNoResponse) errorText = kTextNoResponse;
    return FALSE;
  }
  if (status.result == kResultCredentialsRefused) {
    credentials::CUsers(c_.usersEnvironment).RemoveUser(f_.sServerAddr);
    f_.sCredentialHash.clear();
  }
  const auto code = static_cast<HRESULT>(status.result);
  errorText = c_.pSite ? c_.pSite->HResultText(code) : std::wstring();
  if (status.result == kResultFail || status.result == kResultInvalidArg) errorText = kTextCannotRender + errorText;
  f_.nErrorID = static_cast<int32_t>(status.result);
  return FALSE;
}

BOOL Negotiation::ReadPlayListString(std::wstring& errorText) {
  std::wstring text;
  if (!c_.transport->ReadString(text, errorText)) {
    f_.nErrorType = 2;
    f_.nErrorID = kErrorNoResponse;
    return FALSE;
  }
  const size_t xml = text.find(L"<xml>");
  f_.sMediaName = text.substr(0, xml);
  if (c_.pSite) {
    c_.pSite->SetPlayListContent(xml == std::wstring::npos ? std::wstring() : text.substr(xml), f_.sPlayListFolder,
                                 f_.nPlayListIndex);
  }
  return TRUE;
}

void Negotiation::ApplyReply(const ReplyStatus& status, StreamFormatRecord (&records)[2]) {
  ReplyInputs inputs;
  inputs.status = status;
  for (size_t i = 0; i < 2; ++i) {
    inputs.formats[i] = ToStreamFormat(records[i]);
    transport::FreeFormatBlock(records[i]);
  }
  inputs.nResourceKind = f_.nResourceKind;
  inputs.bNormalIntegrity = f_.bNormalIntegrity;
  inputs.nTimeShiftCarrySec = f_.nTimeShiftCarrySec;
  f_.formats = inputs.formats;
  ApplyReplyValues(inputs, f_.values);
  if (c_.pSite) {
    c_.pSite->SetFlowMode(f_.values.nPlaybackMode, f_.values.bFlowBarSeekable);
    if (kind_ == ResourceKind::File) c_.pSite->SyncWithFile();
  }
}

BOOL Negotiation::Run(std::wstring& errorText) {
  errorText.clear();
  kind_ = NormalizeResourceKind(f_.nResourceKind);
  f_.nResourceKind = static_cast<int32_t>(kind_);
  for (const std::wstring* name : {&f_.sFile, &f_.sLiveAlias, &f_.sPlayListFolder, &f_.sSourceAddr, &f_.sSourceNumber}) {
    if (CarriesSuffixMarker(*name)) {
      f_.nErrorType = 1;
      f_.nErrorID = kErrorResourceName;
      errorText = kTextMarkerInName;
      return FALSE;
    }
  }
  if (f_.nServerPort == 0) f_.nServerPort = f_.nTransport == kTransportHttps ? kDefaultHttpsPort : kDefaultServerPort;
  if (!CreateTransport(f_.nTransport, true)) {
    ConnectionFailed();
    errorText = kTextNoTransport;
    return FALSE;
  }
  protocol_ = ProtocolVersion::V80;
  if (kind_ == ResourceKind::LiveLocal) {
    c_.transport->SetHost("127.0.0.1");
    c_.transport->SetPort(kLiveLocalPort);
    protocol_ = ProtocolVersion::V25;
  }
  BuildRequestText();
  int authAttempts = 0;

  StreamFormatRecord records[2] = {};
  ReplyStatus status;
  bool replied = false;
  while (!IsSignalled(c_.hStopEvent)) {
    std::string text = request_;
    if (kind_ != ResourceKind::LiveLocal) text += AuthSuffix();
    c_.transport->SetRequest(text, static_cast<int>(protocol_));

    if (!c_.transport->Connect(errorText)) {
      if (FallbackPossible()) {
        SwitchToHttp();
        if (f_.nTransport == kTransportHttp) continue;
      }
      ConnectionFailed();
      return FALSE;
    }
    status = ReplyStatus{};
    if (c_.transport->ReadServerReply(records, status, errorText, kind_ != ResourceKind::FilePlayList)) {
      if (kind_ == ResourceKind::FilePlayList && !ReadPlayListString(errorText)) {
        for (StreamFormatRecord& record : records) transport::FreeFormatBlock(record);
        return FALSE;
      }
      replied = true;
      break;
    }
    std::wstring ignored;
    if (errorText == kTextProtocol25Only) {
      protocol_ = ProtocolVersion::V25;
      BuildRequestText();
      c_.transport->Disconnect(ignored);
      continue;
    }
    if (errorText == kTextNoHttpSupport && allowFallback_ && f_.nTransport == kTransportHttp) {
      allowFallback_ = false;
      f_.nTransport = kTransportTcp;
      BuildRequestText();
      if (!CreateTransport(kTransportTcp, true)) {
        ConnectionFailed();
        errorText = kTextNoTransport;
        return FALSE;
      }
      continue;
    }
    if ((errorText == kTextNoResponse || errorText == kTextUnrecognized || errorText == kTextErrorReceiving) &&
        FallbackPossible()) {
      const std::wstring failure = errorText;
      SwitchToHttp();
      if (f_.nTransport == kTransportHttp) continue;
      errorText = failure;
    }
    if (f_.nAuthMode == static_cast<int32_t>(AuthMode::PasswordHash)) ++authAttempts;
    if (authAttempts <= 3 && HandleAuthenticationRequired(status.result, authAttempts == 1)) {
      c_.transport->Disconnect(ignored);
      continue;
    }
    return ErrorExit(status, errorText);
  }
  if (!replied || IsSignalled(c_.hStopEvent)) {
    for (StreamFormatRecord& record : records) transport::FreeFormatBlock(record);
    return FALSE;
  }
  ApplyReply(status, records);
  return TRUE;
}

}  // namespace

BOOL Negotiate(NegotiationFields& fields, NegotiationContext& context, std::wstring& errorText) {
  return Negotiation(fields, context).Run(errorText);
}

}  // namespace zm::session
