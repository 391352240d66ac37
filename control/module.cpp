#include "control/module.h"

#include <mutex>
#include <new>
#include <string>

#include "ZMediaControl_h.h"
#include "com/code_page_text.h"
#include "com/com_ptr.h"
#include "com/hresult.h"
#include "com/registrar.h"
#include "com/typeinfo_dispatch.h"
#include "com/unique_bstr.h"
#include "control/player.h"
#include "resources/resource.h"

namespace zm::control {
namespace {

constexpr char kAppId[] = "{3A84B4A1-1C6E-4ECE-B25E-8687AFE1C518}";
constexpr char kOleMisc[] =
    "131473";  // SETCLIENTSITEFIRST|ACTIVATEWHENVISIBLE|INSIDEOUT|CANTLINKINSIDE|RECOMPOSEONRESIZE

std::string Utf8(const std::wstring& text) { return com::WideToCodePage(text, CP_UTF8); }

// Registration runs with the system default thread locale, restored afterwards.
class ThreadLocaleScope {
 public:
  ThreadLocaleScope() : saved_(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
  ~ThreadLocaleScope() { SetThreadLocale(saved_); }

 private:
  LCID saved_;
};

using RegisterTypeLibForUserFn = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
using UnRegisterTypeLibForUserFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

// Looks up an optional oleaut32 export; null when this system lacks it.
template <class Fn>
Fn OleAutProc(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"oleaut32.dll"), name)));
}

}  // namespace

CZMediaControlModule& Module() {
  static CZMediaControlModule module;
  return module;
}

HRESULT CZMediaControlModule::GetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsInitialised()) return E_UNEXPECTED;
  if (clsid != CLSID_ZMediaPlayer) return CLASS_E_CLASSNOTAVAILABLE;
  {
    std::lock_guard<com::CriticalSection> hold(CreationLock());
    if (!factory_) factory_ = new (std::nothrow) com::ClassFactory(this, &CZMediaPlayer::CreateInstance);
  }
  if (!factory_) return E_OUTOFMEMORY;
  return factory_->QueryInterface(riid, out);
}

HRESULT CZMediaControlModule::RegisterServer(bool perUser) {
  ThreadLocaleScope locale;
  com::RegistrarOptions options;
  options.perUser = perUser;
  std::string module = Utf8(ModulePath());
  ZM_RETURN_IF_FAILED(com::RunRegistryScript(Instance(), IDR_APPID, {{"APPID", kAppId}}, options));
  ZM_RETURN_IF_FAILED(com::RunRegistryScript(Instance(), IDR_ZMEDIAPLAYER,
                                             {{"MODULE", module}, {"APPID", kAppId}, {"OLEMISC", kOleMisc}}, options));

  com::ComPtr<ITypeLib> library;
  ZM_RETURN_IF_FAILED(com::LoadModuleTypeLib(Instance(), library.put()));
  std::wstring path = ModulePath();
  std::wstring folder = ModuleFolder();
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  auto forUser = perUser ? OleAutProc<RegisterTypeLibForUserFn>("RegisterTypeLibForUser") : nullptr;
  if (forUser) return forUser(library.get(), path.data(), folder.data());
  return RegisterTypeLib(library.get(), path.data(), folder.data());
}

HRESULT CZMediaControlModule::UnregisterTypeLibrary(bool perUser) {
  com::ComPtr<ITypeLib> library;
  ZM_RETURN_IF_FAILED(com::LoadModuleTypeLib(Instance(), library.put()));
  TLIBATTR* attributes = nullptr;
  ZM_RETURN_IF_FAILED(library->GetLibAttr(&attributes));
  const TLIBATTR copy = *attributes;
  library->ReleaseTLibAttr(attributes);
  // A library that is not registered (any more) is what we wanted.
  com::UniqueBstr registeredPath;
  HRESULT registered =
      QueryPathOfRegTypeLib(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, registeredPath.put());
  if (FAILED(registered)) return S_OK;
  auto forUser = perUser ? OleAutProc<UnRegisterTypeLibForUserFn>("UnRegisterTypeLibForUser") : nullptr;
  return forUser ? forUser(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind)
                 : UnRegisterTypeLib(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind);
}

HRESULT CZMediaControlModule::UnregisterServer(bool perUser) {
  ThreadLocaleScope locale;
  com::RegistrarOptions options;
  options.unregister = true;
  options.perUser = perUser;
  std::string module = Utf8(ModulePath());
  ZM_RETURN_IF_FAILED(com::RunRegistryScript(Instance(), IDR_ZMEDIAPLAYER,
                                             {{"MODULE", module}, {"APPID", kAppId}, {"OLEMISC", kOleMisc}}, options));
  ZM_RETURN_IF_FAILED(UnregisterTypeLibrary(perUser));
  return com::RunRegistryScript(Instance(), IDR_APPID, {{"APPID", kAppId}}, options);
}

}  // namespace zm::control

using zm::control::Module;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    Module().Init(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    // At process exit (reserved set) other DLLs may be gone: touch nothing.
    if (!reserved) zm::com::ReleaseModuleTypeInfo();
    Module().Term();
  }
  return TRUE;
}

STDAPI DllCanUnloadNow() { return Module().CanUnloadNow() ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* out) { return Module().GetClassObject(clsid, riid, out); }

STDAPI DllRegisterServer() { return Module().RegisterServer(); }

STDAPI DllUnregisterServer() { return Module().UnregisterServer(); }
