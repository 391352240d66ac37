// CRendererModule: the renderer DLL's module object with its one creatable class, its
// registration and the four exported entry points.
#pragma once

#include "com/class_factory.h"
#include "com/module_base.h"

namespace zm::renderer {

class CRendererModule : public com::ModuleBase {
 public:
  // DllGetClassObject: the class factory for CLSID_MediaRenderer.
  HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** out);
  HRESULT RegisterServer();
  HRESULT UnregisterServer();
  bool CanUnloadNow() const { return LockCount() == 0; }

 private:
  HRESULT RunScript(bool unregister);
  com::ClassFactory* factory_ = nullptr;  // created once, lives until the module unloads
};

CRendererModule& Module();

}  // namespace zm::renderer
