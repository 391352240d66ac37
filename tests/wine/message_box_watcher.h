// Watches for the control's message box from another thread, reads it and closes it.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace zm::tests {

// Gives up after 30 seconds, or when Finish is called.
struct MessageBoxWatcher {
  std::wstring caption, text;
  std::atomic<bool> stop{false};
  std::thread thread{[this] {
    for (int i = 0; i < 1500 && !stop; ++i, Sleep(20)) {
      // Only a shown box of this process: other tests running beside this one show dialogs
      // too, and the control keeps hidden dialogs of its own.
      HWND box = nullptr;
      DWORD process = 0;
      while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr &&
             (GetWindowThreadProcessId(box, &process), process != GetCurrentProcessId() || !IsWindowVisible(box))) {
      }
      if (!box) continue;
      wchar_t buffer[512] = {};
      GetWindowTextW(box, buffer, 512);
      caption = buffer;
      // The message text is the box's non-empty static control.
      for (HWND label = nullptr; (label = FindWindowExW(box, label, L"Static", nullptr)) != nullptr;)
        if (GetWindowTextW(label, buffer, 512) > 0) text = buffer;
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      return;
    }
  }};
  void Finish() {
    stop = true;
    if (thread.joinable()) thread.join();
  }
  ~MessageBoxWatcher() { Finish(); }
};

}  // namespace zm::tests
