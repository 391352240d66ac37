// A task-allocator spy for the Wine tests: counts the blocks allocated and not yet
// freed while it is registered, and can make allocations of a chosen size fail.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <atomic>
#include <cstddef>

namespace zm::tests {

class CountingMallocSpy final : public IMallocSpy {
 public:
  // Registers the process's one spy; false if another is registered.
  bool Register() {
    m_nOutstanding = m_nAllocations = m_nFailed = 0;
    m_nFailSize = 0;
    return SUCCEEDED(CoRegisterMallocSpy(this));
  }
  // Revokes it; call only once every counted block is freed.
  void Revoke() {
    m_nFailSize = 0;
    CoRevokeMallocSpy();
  }

  long Outstanding() const { return m_nOutstanding; }
  long Allocations() const { return m_nAllocations; }
  // Allocations of exactly this many bytes fail (0: none fail).
  void FailAllocationsOfSize(size_t size) { m_nFailSize = size; }
  long FailedAllocations() const { return m_nFailed; }

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    *object = riid == IID_IUnknown || riid == IID_IMallocSpy ? this : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }

  STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T request) override {
    if (m_nFailSize == 0 || request != m_nFailSize) return request;
    ++m_nFailed;
    return 0;  // the allocator then fails the call
  }
  STDMETHODIMP_(void*) PostAlloc(void* actual) override {
    if (actual) ++m_nOutstanding, ++m_nAllocations;
    return actual;
  }
  STDMETHODIMP_(void*) PreFree(void* request, BOOL spyed) override {
    if (request && spyed) --m_nOutstanding;
    return request;
  }
  STDMETHODIMP_(void) PostFree(BOOL) override {}
  STDMETHODIMP_(SIZE_T) PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL) override {
    *newRequest = request;
    return size;
  }
  STDMETHODIMP_(void*) PostRealloc(void* actual, BOOL) override { return actual; }
  STDMETHODIMP_(void*) PreGetSize(void* request, BOOL) override { return request; }
  STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T actual, BOOL) override { return actual; }
  STDMETHODIMP_(void*) PreDidAlloc(void* request, BOOL) override { return request; }
  STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  STDMETHODIMP_(void) PreHeapMinimize() override {}
  STDMETHODIMP_(void) PostHeapMinimize() override {}

 private:
  std::atomic<long> m_nOutstanding{0};
  std::atomic<long> m_nAllocations{0};
  std::atomic<long> m_nFailed{0};
  std::atomic<size_t> m_nFailSize{0};
};

inline CountingMallocSpy& MallocSpy() {
  static CountingMallocSpy spy;
  return spy;
}

}  // namespace zm::tests
