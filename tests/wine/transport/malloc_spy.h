// A task-allocator spy for the transport tests: counts the blocks allocated and not yet
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
  bool Register();
  // Revokes it; call only once every counted block is freed.
  void Revoke();

  long Outstanding() const { return m_nOutstanding.load(); }
  long Allocations() const { return m_nAllocations.load(); }
  // Allocations of exactly this many bytes fail (0: none fail).
  void FailAllocationsOfSize(size_t size) { m_nFailSize = size; }
  long FailedAllocations() const { return m_nFailed.load(); }

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }

  STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T request) override;
  STDMETHODIMP_(void*) PostAlloc(void* actual) override;
  STDMETHODIMP_(void*) PreFree(void* request, BOOL spyed) override;
  STDMETHODIMP_(void) PostFree(BOOL) override {}
  STDMETHODIMP_(SIZE_T) PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL) override;
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

CountingMallocSpy& MallocSpy();

}  // namespace zm::tests
