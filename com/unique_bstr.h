// Owner of one BSTR: SysFreeString on reset and destruction.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

namespace zm::com {

// The text of a BSTR the caller keeps (a null BSTR is the empty text), as the portable core's
// UTF-16 view and as a wide string.
inline std::u16string_view BstrView(BSTR text) {
  return text ? std::u16string_view(reinterpret_cast<const char16_t*>(text), SysStringLen(text))
              : std::u16string_view();
}
inline std::wstring BstrText(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

class UniqueBstr {
 public:
  UniqueBstr() = default;
  explicit UniqueBstr(BSTR b) : b_(b) {}
  // Allocates a copy; check with operator bool (a null result means out of memory).
  explicit UniqueBstr(std::wstring_view text) : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  UniqueBstr(UniqueBstr&& other) noexcept : b_(std::exchange(other.b_, nullptr)) {}
  UniqueBstr& operator=(UniqueBstr&& other) noexcept {
    if (this != &other) reset(std::exchange(other.b_, nullptr));
    return *this;
  }
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;
  ~UniqueBstr() { reset(); }

  void reset(BSTR b = nullptr) {
    if (b_) SysFreeString(b_);
    b_ = b;
  }
  BSTR get() const { return b_; }
  BSTR* put() {
    reset();
    return &b_;
  }
  BSTR detach() { return std::exchange(b_, nullptr); }
  explicit operator bool() const { return b_ != nullptr; }
  std::wstring_view view() const { return b_ ? std::wstring_view(b_, SysStringLen(b_)) : std::wstring_view(); }

 private:
  BSTR b_ = nullptr;
};

}  // namespace zm::com
