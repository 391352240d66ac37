#include "protocol/error_texts.h"

namespace zm::protocol {

const wchar_t* SourceFailureText(SourceFailure reason) {
  switch (reason) {
    case SourceFailure::None: return L"";
    case SourceFailure::ErrorReceiving: return L"Error receiving data from Server";
    case SourceFailure::NoResponse: return L"Media Server doesn't respond";
    case SourceFailure::UnrecognizedResponse: return L"Unrecognized response from Server";
    case SourceFailure::IncompatibleVersions: return L"Incompatible server and client versions.";
    case SourceFailure::Protocol25Only: return L"ServerSupportsProtocol25Only";
    case SourceFailure::NoHttpSupport: return L"NoHttpSupport";
    case SourceFailure::ServerRefused: return L"";
    case SourceFailure::CannotResolve: return L"Can not resolve media Server IP Address";
    case SourceFailure::WinSockError: return L"WinSock Error";
    case SourceFailure::CommandNotSent: return L"Error sending Seek request";
    case SourceFailure::HttpsInitialization: return L"HTTPS initialization error";
    case SourceFailure::RequestNotSent: return L"Error sending request to Media Server";
    case SourceFailure::Unexpected: return kTextUnexpected;
    case SourceFailure::DatagramSocketFailed: return L"Winsock error - can't create datagram socket";
    case SourceFailure::UdpRequestNotSent: return L"Unable to send UDP request to Media Server.";
    case SourceFailure::NoUdpResponse:
      return L"No UDP response from Media Server. UDP is supported by Zavren Media Server v8.0 and higher.";
    case SourceFailure::ServerRestarted: return L"Media server has restarted. Please reconnect";
    case SourceFailure::RtpSyncFailed: return L"Unable to read RTP data";
    case SourceFailure::UnexpectedInPacket: return L"Unexpected error in ReadRtpPacket function";
    case SourceFailure::UnexpectedInFrame: return L"Unexpected error in GetFrame function";
    case SourceFailure::MulticastSocketFailed: return L"Winsock multicast error - can't create datagram socket";
    case SourceFailure::MulticastBindFailed: return L"Winsock multicast error - can't bind local socket";
    case SourceFailure::MulticastJoinFailed: return L"Winsock multicast error - can't join multicast group";
  }
  return kTextUnexpected;
}

}  // namespace zm::protocol
