// A window class registered while windows of it exist: the first Acquire registers it, the
// last Release (called once those windows are destroyed) unregisters it, so an unloaded DLL
// leaves no class behind. Apartment thread.
#pragma once

#include <windows.h>

#include <utility>

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

// One use of a window class, taken over after a successful Acquire (or a window created from
// the class); the use ends on reset or destruction. Apartment thread.
class WindowClassUse {
 public:
  WindowClassUse() = default;
  explicit WindowClassUse(WindowClass* cls) : cls_(cls) {}
  WindowClassUse(WindowClassUse&& other) noexcept : cls_(std::exchange(other.cls_, nullptr)) {}
  WindowClassUse& operator=(WindowClassUse&& other) noexcept {
    if (this != &other) {
      reset();
      cls_ = std::exchange(other.cls_, nullptr);
    }
    return *this;
  }
  ~WindowClassUse() { reset(); }
  void reset() {
    if (WindowClass* cls = std::exchange(cls_, nullptr)) cls->Release();
  }
  explicit operator bool() const { return cls_ != nullptr; }

 private:
  WindowClass* cls_ = nullptr;
};

}  // namespace zm::com
