// CHostWindow: zmhost's resizable top-level window with one embedded control filling its
// client area. It follows the control's OnResize requests and runs the host's timed steps
// (screenshots, properties, leaving) when their time has come. Main thread.
#pragma once

#include <windows.h>

#include <functional>
#include <map>

#include "com/window_impl.h"
#include "peers/host/embedded_control.h"

namespace zm::host {

class CHostWindow : public com::WindowImpl<CHostWindow> {
 public:
  CHostWindow();
  ~CHostWindow();
  CHostWindow(const CHostWindow&) = delete;
  CHostWindow& operator=(const CHostWindow&) = delete;

  // A visible top-level window with a client area of width x height.
  bool Create(int width, int height, const wchar_t* title);
  void SetClientSize(int width, int height);
  // Runs `action` once, `seconds` from now, on this window's thread; any number may wait.
  void After(double seconds, std::function<void()> action);
  // Runs `action` every `seconds` until the window is gone.
  void Every(double seconds, std::function<void()> action);
  CEmbeddedControl& Control() { return m_control; }
  // The program's main window ends the message loop when it closes; a test's windows do not.
  void SetQuitOnDestroy(bool quit) { m_bQuitOnDestroy = quit; }

  bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  CEmbeddedControl m_control;
  struct Timer {
    std::function<void()> action;
    bool repeat = false;
  };
  void StartTimer(double seconds, Timer timer);
  std::map<UINT_PTR, Timer> m_timers;  // by timer id
  UINT_PTR m_nextTimer = 1;
  bool m_bClassHeld = false;
  bool m_bQuitOnDestroy = true;
};

// Dispatches messages until the window is gone, giving the active control its keys first.
int RunMessageLoop(CHostWindow& window);
// Dispatches what is queued now, without waiting.
void PumpPendingMessages();

}  // namespace zm::host
