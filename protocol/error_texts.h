// The error texts the user sees, each declared once, and the typed reason a frames source
// fails with: callers decide by the reason and show the text.
#pragma once

namespace zm::protocol {

// Why a frames-source operation failed. Each reason has exactly one text.
enum class SourceFailure {
  None,
  ErrorReceiving,
  NoResponse,
  UnrecognizedResponse,
  IncompatibleVersions,
  Protocol25Only,
  NoHttpSupport,
  ServerRefused,  // no text of its own: the caller reads the reply's result
  CannotResolve,
  WinSockError,
  CommandNotSent,       // the HTTP transport's command connection failed
  HttpsInitialization,  // no TLS context or session, or the handshake failed
  RequestNotSent,       // the HTTPS transport wrote the request or a command short
  Unexpected,
  // The RTP transport's.
  DatagramSocketFailed,
  UdpRequestNotSent,
  NoUdpResponse,
  ServerRestarted,  // the RTP source changed
  RtpSyncFailed,    // nothing received while waiting for the first key frame
  UnexpectedInPacket,
  UnexpectedInFrame,
  // The RTP multicast transport's.
  MulticastSocketFailed,
  MulticastBindFailed,
  MulticastJoinFailed,
};

const wchar_t* SourceFailureText(SourceFailure reason);

// Play's validation errors.
inline constexpr wchar_t kTextNoResourceName[] = L"Please specify Media resource name";
inline constexpr wchar_t kTextNoServerAddress[] = L"Please specify Media Server IP address";
inline constexpr wchar_t kTextMulticastFile[] = L"Multicast delivery of a single file is not supported. Use playlist";
// Play on a control that no container has given a window.
inline constexpr wchar_t kTextNoWindow[] = L"The player has no window to play in: activate it in its container first";

inline constexpr wchar_t kTextUnexpected[] = L"Unexpected error";
// A lost connection while playing, when no seek runs: appended to the transport's text.
inline constexpr wchar_t kTextFinishingFromBuffer[] = L".\nFinishing playing from the local buffer.";
// The error boxes' captions: a failed negotiation is the server's error, the rest are ours.
inline constexpr wchar_t kCaptionError[] = L"Error";
inline constexpr wchar_t kCaptionServerError[] = L"Server error";
inline constexpr wchar_t kTextUnspecified[] = L"Unspecified error";

// Negotiation.
inline constexpr wchar_t kTextCannotRender[] = L"Server can not render this media source.\nExtended error: ";
inline constexpr wchar_t kTextNoTransport[] = L"This transport is not available";
inline constexpr wchar_t kTextMarkerInName[] = L"A media resource name can not contain \"///HASH:\" or \"///SID:\"";

}  // namespace zm::protocol
