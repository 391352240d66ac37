// A window class registered while windows of it exist: the first Acquire registers it, the
// last Release (called once those windows are destroyed) unregisters it, so an unloaded DLL
// leaves no class behind. Apartment thread.
#pragma once

#include <windows.h>

namespace zm::com {

class WindowClass {
 public:
  // `background` may be null; the class keeps `procedure` for every window made from it.
  WindowClass(const wchar_t* name, UINT style, WNDPROC procedure, HBRUSH background = nullptr)
      : name_(name), style_(style), procedure_(procedure), background_(background) {}
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;

  // Registers the class in `instance` on first use; false when registration failed.
  bool Acquire(HINSTANCE instance);
  void Release();
  const wchar_t* Name() const { return name_; }

 private:
  const wchar_t* name_;
  UINT style_;
  WNDPROC procedure_;
  HBRUSH background_;
  HINSTANCE instance_ = nullptr;
  LONG users_ = 0;
};

}  // namespace zm::com
