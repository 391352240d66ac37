#include "com/typeinfo_dispatch.h"

#include <map>
#include <mutex>
#include <string>

#include "com/critical_section.h"
#include "com/hresult.h"
#include "com/module_base.h"

namespace zm::com {
namespace {

struct GuidLess {
  bool operator()(const GUID& a, const GUID& b) const { return memcmp(&a, &b, sizeof(GUID)) < 0; }
};

struct TypeInfoCache {
  CriticalSection lock;
  ComPtr<ITypeLib> library;
  std::map<GUID, ComPtr<ITypeInfo>, GuidLess> infos;
};

// Never destroyed: at process exit oleaut32 may already be gone, so the cache is
// emptied explicitly (ReleaseModuleTypeInfo) when the DLL is unloaded by FreeLibrary.
TypeInfoCache& Cache() {
  static TypeInfoCache* cache = new TypeInfoCache;
  return *cache;
}

std::wstring ModulePathOf(HINSTANCE module) {
  wchar_t path[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(module, path, ARRAYSIZE(path));
  return n == 0 || n >= ARRAYSIZE(path) ? std::wstring() : std::wstring(path, n);
}

}  // namespace

HRESULT LoadModuleTypeLib(HINSTANCE module, ITypeLib** out) {
  std::wstring path = ModulePathOf(module);
  if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
  return LoadTypeLibEx(path.c_str(), REGKIND_NONE, out);
}

HRESULT GetModuleTypeInfo(HINSTANCE module, REFGUID iid, ITypeInfo** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  TypeInfoCache& cache = Cache();
  std::lock_guard<CriticalSection> hold(cache.lock);
  auto found = cache.infos.find(iid);
  if (found != cache.infos.end()) return found->second.copy_to(out);
  if (!cache.library) ZM_RETURN_IF_FAILED(LoadModuleTypeLib(module, cache.library.put()));
  ComPtr<ITypeInfo> info;
  ZM_RETURN_IF_FAILED(cache.library->GetTypeInfoOfGuid(iid, info.put()));
  cache.infos.emplace(iid, info);
  return info.copy_to(out);
}

void ReleaseModuleTypeInfo() {
  TypeInfoCache& cache = Cache();
  std::lock_guard<CriticalSection> hold(cache.lock);
  cache.infos.clear();
  cache.library.reset();
}

HRESULT DispatchGetTypeInfo(HINSTANCE module, REFGUID iid, UINT index, ITypeInfo** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  return GetModuleTypeInfo(module, iid, out);
}

HRESULT DispatchGetIDsOfNames(HINSTANCE module, REFGUID iid, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (!names || !ids) return E_POINTER;
  ComPtr<ITypeInfo> info;
  ZM_RETURN_IF_FAILED(GetModuleTypeInfo(module, iid, info.put()));
  return DispGetIDsOfNames(info.get(), names, count, ids);
}

HRESULT DispatchInvoke(HINSTANCE module, REFGUID iid, void* self, DISPID id, REFIID riid, WORD flags,
                       DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* argError) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (!params) return E_POINTER;
  ComPtr<ITypeInfo> info;
  ZM_RETURN_IF_FAILED(GetModuleTypeInfo(module, iid, info.put()));
  return info->Invoke(self, id, flags, params, result, exception, argError);
}

}  // namespace zm::com
