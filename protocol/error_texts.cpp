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
  }
  return kTextUnexpected;
}

}  // namespace zm::protocol
