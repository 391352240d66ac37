// A class factory for one creatable class: creation goes through a function that
// builds the object (aggregated when an outer unknown is given) and queries it.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "com/module_base.h"

namespace zm::com {

using CreateInstanceFn = HRESULT (*)(IUnknown* outer, REFIID riid, void** out);

class ClassFactory final : public IClassFactory {
 public:
  ClassFactory(ModuleBase* module, CreateInstanceFn create) : module_(module), create_(create) {}

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // IClassFactory
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override;
  STDMETHODIMP LockServer(BOOL lock) override;

 private:
  ModuleBase* module_;
  CreateInstanceFn create_;
  // The factory lives as long as the module; its count only keeps it honest.
  volatile LONG refs_ = 1;
};

}  // namespace zm::com
