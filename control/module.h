// CZMediaControlModule: the DLL's module object with its one creatable class,
// its registration and the four exported entry points.
#pragma once

#include "com/class_factory.h"
#include "com/module_base.h"

namespace zm::control {

class CZMediaControlModule : public com::ModuleBase {
 public:
  // DllGetClassObject: the class factory for the control's CLSID.
  HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** out);
  HRESULT RegisterServer(bool perUser = false);
  HRESULT UnregisterServer(bool perUser = false);
  bool CanUnloadNow() const { return LockCount() == 0; }

 private:
  HRESULT UnregisterTypeLibrary(bool perUser);
  com::ClassFactory* factory_ = nullptr;  // created once, lives until the module unloads
};

CZMediaControlModule& Module();

}  // namespace zm::control
