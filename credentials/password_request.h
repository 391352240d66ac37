// What the negotiation asks of the password dialog and what the user answered: the plain
// fields the grabber thread sets before WM_ZM_CREDENTIALS and reads once the dialog has closed.
#pragma once

#include <string>

namespace zm::credentials {

struct PasswordRequest {
  bool firstAttempt = true;  // false: the dialog's title says the last attempt failed
  // The user's answer.
  bool confirmed = false;
  std::wstring userName;
  std::wstring password;
  bool remember = false;
};

}  // namespace zm::credentials
