// The texts a frames source reports, and the one way it raises them inside an operation:
// thrown as SourceError and caught once at the operation's boundary by RunSourceOperation.
#pragma once

#include <new>
#include <string>

namespace zm::transport {

inline constexpr wchar_t kTextErrorReceiving[] = L"Error receiving data from Server";
inline constexpr wchar_t kTextNoResponse[] = L"Media Server doesn't respond";
inline constexpr wchar_t kTextUnrecognizedResponse[] = L"Unrecognized response from Server";
inline constexpr wchar_t kTextIncompatibleVersions[] = L"Incompatible server and client versions.";
inline constexpr wchar_t kTextProtocol25Only[] = L"ServerSupportsProtocol25Only";
inline constexpr wchar_t kTextUnexpected[] = L"Unexpected error";
inline constexpr wchar_t kTextCannotResolve[] = L"Can not resolve media Server IP Address";
inline constexpr wchar_t kTextWinSockError[] = L"WinSock Error";
inline constexpr wchar_t kTextServerRefused[] = L"";  // the caller reads the reply's result

struct SourceError {
  const wchar_t* text;
};

[[noreturn]] inline void RaiseSourceError(const wchar_t* text) { throw SourceError{text}; }

// Runs one operation: TRUE when it returns, FALSE with the raised text (or "Unexpected
// error" for anything else) in errorText.
template <class Body>
int RunSourceOperation(std::wstring& errorText, Body&& body) noexcept {
  try {
    body();
    return 1;
  } catch (const SourceError& e) {
    try {
      errorText = e.text;
    } catch (...) {
    }
  } catch (...) {
    try {
      errorText = kTextUnexpected;
    } catch (...) {
    }
  }
  return 0;
}

}  // namespace zm::transport
