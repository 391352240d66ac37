// Owners of kernel handles, loaded modules, registry keys and allocated blocks (LocalAlloc,
// the COM task allocator), closed or freed on reset and destruction.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace zm::com {

template <class H, auto Close, H Invalid>
class UniqueResource {
 public:
  UniqueResource() = default;
  explicit UniqueResource(H h) : h_(h) {}
  UniqueResource(UniqueResource&& other) noexcept : h_(std::exchange(other.h_, Invalid)) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(std::exchange(other.h_, Invalid));
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  ~UniqueResource() { reset(); }

  void reset(H h = Invalid) {
    if (h_ != Invalid && h_ != H()) Close(h_);
    h_ = h;
  }
  H get() const { return h_; }
  H* put() {
    reset();
    return &h_;
  }
  H detach() { return std::exchange(h_, Invalid); }
  explicit operator bool() const { return h_ != Invalid && h_ != H(); }

 private:
  H h_ = Invalid;
};

inline void CloseHandleFn(HANDLE h) { CloseHandle(h); }
inline void FreeLibraryFn(HMODULE h) { FreeLibrary(h); }
inline void RegCloseKeyFn(HKEY h) { RegCloseKey(h); }
template <class T>
void LocalFreeFn(T* block) {
  LocalFree(block);
}
template <class T>
void CoTaskMemFreeFn(T* block) {
  CoTaskMemFree(block);
}

using UniqueHandle = UniqueResource<HANDLE, CloseHandleFn, nullptr>;
using UniqueModule = UniqueResource<HMODULE, FreeLibraryFn, nullptr>;
using UniqueHkey = UniqueResource<HKEY, RegCloseKeyFn, nullptr>;
// What FormatMessage and other LocalAlloc users hand back.
template <class T>
using UniqueLocal = UniqueResource<T*, LocalFreeFn<T>, nullptr>;
// What COM hands back from the task allocator (frame data, format blocks, user type names).
template <class T>
using UniqueCoTaskMem = UniqueResource<T*, CoTaskMemFreeFn<T>, nullptr>;

}  // namespace zm::com
