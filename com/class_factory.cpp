#include "com/class_factory.h"

namespace zm::com {

STDMETHODIMP ClassFactory::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
  *out = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) ClassFactory::AddRef() {
  // References handed out keep the DLL loaded, as a server lock does.
  module_->Lock();
  return InterlockedIncrement(&refs_);
}

STDMETHODIMP_(ULONG) ClassFactory::Release() {
  module_->Unlock();
  return InterlockedDecrement(&refs_);
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
  return create_(outer, riid, out);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
  if (lock) module_->Lock();
  else module_->Unlock();
  return S_OK;
}

}  // namespace zm::com
