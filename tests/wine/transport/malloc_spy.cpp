#include "transport/malloc_spy.h"

namespace zm::tests {

bool CountingMallocSpy::Register() {
  m_nOutstanding = 0;
  m_nAllocations = 0;
  m_nFailed = 0;
  m_nFailSize = 0;
  return SUCCEEDED(CoRegisterMallocSpy(this));
}

void CountingMallocSpy::Revoke() {
  m_nFailSize = 0;
  CoRevokeMallocSpy();
}

STDMETHODIMP CountingMallocSpy::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IMallocSpy) {
    *object = static_cast<IMallocSpy*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(SIZE_T) CountingMallocSpy::PreAlloc(SIZE_T request) {
  const size_t fail = m_nFailSize.load();
  if (fail != 0 && request == fail) {
    m_nFailed.fetch_add(1);
    return 0;  // the allocator then fails the call
  }
  return request;
}

STDMETHODIMP_(void*) CountingMallocSpy::PostAlloc(void* actual) {
  if (actual) {
    m_nOutstanding.fetch_add(1);
    m_nAllocations.fetch_add(1);
  }
  return actual;
}

STDMETHODIMP_(void*) CountingMallocSpy::PreFree(void* request, BOOL spyed) {
  if (request && spyed) m_nOutstanding.fetch_sub(1);
  return request;
}

STDMETHODIMP_(SIZE_T) CountingMallocSpy::PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL) {
  *newRequest = request;
  return size;
}

CountingMallocSpy& MallocSpy() {
  static CountingMallocSpy spy;
  return spy;
}

}  // namespace zm::tests
