#include "credentials/password_dialog.h"

#include "credentials/credentials_resources.h"
#include "protocol/error_texts.h"

namespace zm::credentials {
namespace {

constexpr wchar_t kRetryTitle[] = L"Authentication failed. Try again.";
constexpr wchar_t kMissingText[] = L"Either Username or Password is missing";

std::wstring ItemText(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  const int length = item ? GetWindowTextLengthW(item) : 0;
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(item, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

// Centres the dialog on its owner (on the monitor when it has none), kept inside the work area.
void CentreOnOwner(HWND dialog) {
  RECT box{};
  GetWindowRect(dialog, &box);
  HWND owner = GetWindow(dialog, GW_OWNER);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(owner ? owner : dialog, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT work = monitor.rcWork;
  RECT around = work;
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
  const LONG width = box.right - box.left;
  const LONG height = box.bottom - box.top;
  LONG x = around.left + ((around.right - around.left) - width) / 2;
  LONG y = around.top + ((around.bottom - around.top) - height) / 2;
  if (x + width > work.right) x = work.right - width;
  if (y + height > work.bottom) y = work.bottom - height;
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

INT_PTR CZMSPasswordDialog::DoModal(HWND owner) {
  return DialogBoxParamW(resources_, MAKEINTRESOURCEW(IDD_ZMS_PASSWORD), owner, DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

void CZMSPasswordDialog::ShowForCredentialsRequest(HANDLE dialogDone) {
  // With no active window on this thread (the host is in the background) the control window owns it.
  HWND owner = GetActiveWindow();
  DoModal(owner ? owner : parentWindow);
  SetEvent(dialogDone);
}

INT_PTR CALLBACK CZMSPasswordDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    reinterpret_cast<CZMSPasswordDialog*>(lParam)->OnInitDialog(dialog);
    return TRUE;
  }
  auto* self = reinterpret_cast<CZMSPasswordDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!self || message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK: self->OnOk(dialog); return TRUE;
    case IDCANCEL:
      self->request.confirmed = false;
      EndDialog(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

void CZMSPasswordDialog::OnInitDialog(HWND dialog) {
  CentreOnOwner(dialog);
  SetDlgItemTextW(dialog, IDC_ZMS_USERNAME, L"");
  SetDlgItemTextW(dialog, IDC_ZMS_PASSWORD, L"");
  request.remember = false;
  request.confirmed = false;
  if (!request.firstAttempt) SetWindowTextW(dialog, kRetryTitle);
}

void CZMSPasswordDialog::OnOk(HWND dialog) {
  request.userName = ItemText(dialog, IDC_ZMS_USERNAME);
  request.password = ItemText(dialog, IDC_ZMS_PASSWORD);
  if (request.userName.empty() || request.password.empty()) {
    MessageBoxW(dialog, kMissingText, protocol::kCaptionError, MB_OK);
    return;
  }
  request.remember = IsDlgButtonChecked(dialog, IDC_ZMS_REMEMBER) == BST_CHECKED;
  request.confirmed = true;
  EndDialog(dialog, IDOK);
}

}  // namespace zm::credentials
