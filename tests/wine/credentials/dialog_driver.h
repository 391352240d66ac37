// Test helper: plays the user of a modal dialog from a second thread. Finds the windows of the
// dialog's thread by title, types into edits and clicks buttons by messages; every wait bounded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zm::credentials::test {

inline constexpr DWORD kFindWindowMs = 15000;

struct TopWindowSearch {
  std::wstring title;
  HWND found = nullptr;
};

inline BOOL CALLBACK MatchTopWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<TopWindowSearch*>(lParam);
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  if (IsWindowVisible(window) && search->title == text) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// The visible top-level window of `thread` titled `title`, waiting for it up to kFindWindowMs.
inline HWND WaitForThreadWindow(DWORD thread, const std::wstring& title) {
  const ULONGLONG deadline = GetTickCount64() + kFindWindowMs;
  do {
    TopWindowSearch search{title};
    EnumThreadWindows(thread, MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(20);
  } while (GetTickCount64() < deadline);
  return nullptr;
}

// True when `window` is gone within kFindWindowMs.
inline bool WaitUntilClosed(HWND window) {
  const ULONGLONG deadline = GetTickCount64() + kFindWindowMs;
  while (IsWindow(window)) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(20);
  }
  return true;
}

inline std::wstring WindowText(HWND window) {
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

inline BOOL CALLBACK CollectChildText(HWND child, LPARAM lParam) {
  reinterpret_cast<std::vector<std::wstring>*>(lParam)->push_back(WindowText(child));
  return TRUE;
}

// The texts of every child window, for finding what a message box says.
inline std::vector<std::wstring> ChildTexts(HWND window) {
  std::vector<std::wstring> texts;
  EnumChildWindows(window, CollectChildText, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

inline void TypeInto(HWND dialog, int id, const std::wstring& text) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// A click on a push button as the dialog receives it: BN_CLICKED from that control, posted,
// because the dialog may answer with a modal message box of its own.
inline void Click(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

inline void Tick(HWND dialog, int id) {
  SendMessageW(GetDlgItem(dialog, id), BM_SETCHECK, BST_CHECKED, 0);
}

}  // namespace zm::credentials::test
