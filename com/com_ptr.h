// Owner of one interface pointer: AddRef on copy, Release on reset and destruction,
// put() for out-parameters and detach() to hand the reference over.
#pragma once

#include <objbase.h>

#include <cstddef>
#include <utility>

namespace zm::com {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  ComPtr(T* p) : p_(p) {  // takes a new reference
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ~ComPtr() { reset(); }

  ComPtr& operator=(const ComPtr& other) {
    if (this != &other) {
      T* old = p_;
      p_ = other.p_;
      if (p_) p_->AddRef();
      if (old) old->Release();
    }
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) {
    reset();
    return *this;
  }

  void reset() {
    if (T* old = std::exchange(p_, nullptr)) old->Release();
  }
  // Adopts a reference the caller already owns.
  void attach(T* p) {
    reset();
    p_ = p;
  }
  T* detach() { return std::exchange(p_, nullptr); }
  T* get() const { return p_; }
  T** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  template <class U>
  HRESULT query(ComPtr<U>* out) const {
    if (!p_) return E_POINTER;
    return p_->QueryInterface(__uuidof(U), out->put_void());
  }
  // Copies the pointer into an out-parameter with a new reference.
  HRESULT copy_to(T** out) const {
    if (!out) return E_POINTER;
    *out = p_;
    if (p_) p_->AddRef();
    return S_OK;
  }

 private:
  T* p_ = nullptr;
};

}  // namespace zm::com
