#include "peers/renderer/module.h"

#include <mutex>
#include <new>

#include "com/code_page_text.h"
#include "com/registrar.h"
#include "peers/renderer/media_renderer.h"
#include "peers/renderer/renderer_resource.h"

namespace zm::renderer {

CRendererModule& Module() {
  static CRendererModule module;
  return module;
}

HRESULT CRendererModule::GetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsInitialised()) return E_UNEXPECTED;
  if (clsid != session::CLSID_MediaRenderer) return CLASS_E_CLASSNOTAVAILABLE;
  {
    std::lock_guard<com::CriticalSection> hold(CreationLock());
    if (!factory_) factory_ = new (std::nothrow) com::ClassFactory(this, &CMediaRenderer::CreateInstance);
  }
  if (!factory_) return E_OUTOFMEMORY;
  return factory_->QueryInterface(riid, out);
}

HRESULT CRendererModule::RunScript(bool unregister) {
  com::RegistrarOptions options;
  options.unregister = unregister;
  return com::RunRegistryScript(Instance(), IDR_MEDIARENDERER, {{"MODULE", com::WideToCodePage(ModulePath(), CP_UTF8)}},
                                options);
}

HRESULT CRendererModule::RegisterServer() { return RunScript(false); }

HRESULT CRendererModule::UnregisterServer() { return RunScript(true); }

}  // namespace zm::renderer

using zm::renderer::Module;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    Module().Init(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    Module().Term();
  }
  return TRUE;
}

STDAPI DllCanUnloadNow() { return Module().CanUnloadNow() ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* out) { return Module().GetClassObject(clsid, riid, out); }

STDAPI DllRegisterServer() { return Module().RegisterServer(); }

STDAPI DllUnregisterServer() { return Module().UnregisterServer(); }
