// A control embedded in a real top-level window by the host's container pieces, with an
// event recorder connected: what the window tests start from.
#pragma once

#include "control_client.h"
#include "peers/host/host_window.h"

namespace zm::tests {

// One visible host window for the whole test program: taking a top-level window off the
// screen costs Wine seconds under a display without a window manager.
inline host::CHostWindow& SharedHostWindow() {
  static host::CHostWindow* window = [] {
    auto* w = new host::CHostWindow;  // lives until the process ends
    w->SetQuitOnDestroy(false);
    w->Create(400, 300, L"window test");
    return w;
  }();
  return *window;
}

// A rectangle as {left, top, right, bottom}, to compare in one go.
inline std::vector<LONG> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

class HostedControl {
 public:
  explicit HostedControl(int width = 400, int height = 300) : window(SharedHostWindow()) {
    window.SetClientSize(width, height);
    created = window.m_hWnd && SUCCEEDED(window.Control().Create(L"Zavren.MediaPlayer.1", window.m_hWnd, &recorder));
  }
  ~HostedControl() { window.Control().Destroy(); }
  HostedControl(const HostedControl&) = delete;
  HostedControl& operator=(const HostedControl&) = delete;

  host::CEmbeddedControl& Control() { return window.Control(); }
  ComPtr<IZMediaPlayer> Player() { return Control().Query<IZMediaPlayer>(); }
  HWND ControlWindow() { return Control().ControlWindow(); }
  // The control window's child made from `className` ("#32770" is the flow bar dialog).
  HWND Child(const wchar_t* className) { return FindWindowExW(ControlWindow(), nullptr, className, nullptr); }
  HWND FlowBar() { return Child(L"#32770"); }
  HWND StatusWindow() { return Child(L"ZMediaControl Status"); }
  // A child's rectangle in the control window's client coordinates.
  RECT ChildRect(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, ControlWindow(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  host::CHostWindow& window;
  EventRecorder recorder;
  bool created = false;
};

}  // namespace zm::tests
