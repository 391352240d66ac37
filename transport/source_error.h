// The one way a frames source raises a failure inside an operation: thrown as SourceError
// with its typed reason, and caught once at the operation's boundary by RunSourceOperation.
#pragma once

#include <new>
#include <string>

#include "protocol/error_texts.h"

namespace zm::transport {

using protocol::SourceFailure;

struct SourceError {
  SourceFailure reason;
};

[[noreturn]] inline void RaiseSourceError(SourceFailure reason) { throw SourceError{reason}; }

// Runs one operation: TRUE when it returns, FALSE with the raised reason (Unexpected for
// anything else) in `failure` and its text in errorText.
template <class Body>
int RunSourceOperation(std::wstring& errorText, SourceFailure& failure, Body&& body) noexcept {
  failure = SourceFailure::None;
  try {
    body();
    return 1;
  } catch (const SourceError& e) {
    failure = e.reason;
  } catch (...) {
    failure = SourceFailure::Unexpected;
  }
  try {
    errorText = protocol::SourceFailureText(failure);
  } catch (...) {
  }
  return 0;
}

}  // namespace zm::transport
