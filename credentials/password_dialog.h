// CZMSPasswordDialog: the modal "Authentication required" dialog that asks for a user name and
// password. Shown on the control window's thread; the grabber thread reads the fields after.
#pragma once

#include <windows.h>

#include <string>

#include "credentials/password_request.h"

namespace zm::credentials {

class CZMSPasswordDialog {
 public:
  // `resources` is the module that carries the dialog template (the control DLL).
  explicit CZMSPasswordDialog(HINSTANCE resources) : resources_(resources) {}

  // Control thread. Shows the dialog modally over `owner` and returns when it closes;
  // IDOK or IDCANCEL, or -1 when it could not be shown.
  INT_PTR DoModal(HWND owner);
  // Control thread, in answer to WM_ZM_CREDENTIALS: the dialog over the active window (or
  // parentWindow when there is none), then `dialogDone` (manual reset) is signalled for the
  // grabber thread, whatever the outcome.
  void ShowForCredentialsRequest(HANDLE dialogDone);

  // Set by the negotiation before showing, read by it after; kept for the control's life.
  PasswordRequest request;
  HWND parentWindow = nullptr;

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog(HWND dialog);
  void OnOk(HWND dialog);

  HINSTANCE resources_;
};

}  // namespace zm::credentials
