#include "ui/about_dlg.h"

#include <string>
#include <vector>

#include "ui/ui_resources.h"

namespace zm::ui {
namespace {

// "ZMediaControl7 " and the module's product version, so the version is written once,
// in its version resource.
std::wstring VersionLine(HINSTANCE instance) {
  std::wstring line = L"ZMediaControl7";
  wchar_t path[MAX_PATH] = {};
  if (!GetModuleFileNameW(instance, path, MAX_PATH)) return line;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  std::vector<BYTE> info(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (size == 0 || !GetFileVersionInfoW(path, 0, size, info.data()) ||
      !VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed) {
    return line;
  }
  return line + L" " + std::to_wstring(HIWORD(fixed->dwProductVersionMS)) + L"." +
         std::to_wstring(LOWORD(fixed->dwProductVersionMS)) + L"." +
         std::to_wstring(HIWORD(fixed->dwProductVersionLS)) + L"." + std::to_wstring(LOWORD(fixed->dwProductVersionLS));
}

}  // namespace

INT_PTR CAboutDlg::DoModal(HINSTANCE instance, HWND parent) {
  instance_ = instance;
  return RunModal(instance, IDD_ABOUT, parent);
}

void CAboutDlg::OnInitDialog() {
  SetDlgItemTextW(m_hWnd, IDC_ABOUT_VERSION, VersionLine(instance_).c_str());
  RECT box{}, control{};
  GetWindowRect(m_hWnd, &box);
  GetWindowRect(control_, &control);
  const int x = control.left + ((control.right - control.left) - (box.right - box.left)) / 2;
  const int y = control.top + ((control.bottom - control.top) - (box.bottom - box.top)) / 2;
  SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CAboutDlg::ProcessDialogMessage(HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
  switch (msg) {
    case WM_INITDIALOG:
      OnInitDialog();
      result = TRUE;
      return true;
    case WM_CTLCOLORDLG: result = reinterpret_cast<LRESULT>(background_); return true;
    case WM_CTLCOLORSTATIC: {
      const HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, kAboutText);
      SetBkColor(dc, kAboutBackground);
      result = reinterpret_cast<LRESULT>(background_);
      return true;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) return false;
      EndDialog(m_hWnd, LOWORD(wParam));
      result = 0;
      return true;
    default: return false;
  }
}

}  // namespace zm::ui
