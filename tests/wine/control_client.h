// What the control's test clients share: creating the control as a host does, an
// event sink that records what the control fires, and IDispatch call helpers.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include "com/missing_uuids.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ZMediaControl_h.h"
#include "com/com_ptr.h"
#include "com/unique_bstr.h"
#include "com/unique_variant.h"

namespace zm::tests {

using com::ComPtr;
using com::UniqueBstr;

// Creates the control through the registry, by ProgID, as a script host would.
inline ComPtr<IZMediaPlayer> CreateControl(const wchar_t* progId = L"Zavren.MediaPlayer.1") {
  CLSID clsid;
  ComPtr<IZMediaPlayer> player;
  if (FAILED(CLSIDFromProgID(progId, &clsid))) return player;
  CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IZMediaPlayer, player.put_void());
  return player;
}

// The folder of the running test program, where the control's DLL is built too.
inline std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

inline std::wstring ControlDllPath() { return ProgramFolder() + L"ZMediaControl7.dll"; }

struct RecordedEvent {
  DISPID id;
  std::vector<LONG> args;  // in parameter order
  VARTYPE firstType;       // the type of the first parameter, VT_EMPTY when none
};

// A sink for _IZMediaPlayerEvents that records every call.
class EventRecorder final : public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch && riid != DIID__IZMediaPlayerEvents) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    RecordedEvent event{id, {}, VT_EMPTY};
    EXPECT_EQ(flags, DISPATCH_METHOD);
    // Arguments arrive last parameter first.
    for (UINT i = params->cArgs; i-- > 0;) {
      VARIANT& arg = params->rgvarg[i];
      if (i + 1 == params->cArgs) event.firstType = arg.vt;
      event.args.push_back(arg.vt == VT_I2 ? arg.iVal : arg.lVal);
    }
    events.push_back(event);
    return failWith;
  }

  std::vector<RecordedEvent> events;
  HRESULT failWith = S_OK;  // what Invoke answers, to play a failing sink

 private:
  ULONG refs_ = 1;
};

// Connects a sink to the control's event connection point; returns the cookie.
inline DWORD Connect(IUnknown* control, IUnknown* sink, HRESULT* result = nullptr) {
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  DWORD cookie = 0;
  HRESULT hr = control->QueryInterface(IID_IConnectionPointContainer, container.put_void());
  if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(DIID__IZMediaPlayerEvents, point.put());
  if (SUCCEEDED(hr)) hr = point->Advise(sink, &cookie);
  if (result) *result = hr;
  return cookie;
}

inline HRESULT Disconnect(IUnknown* control, DWORD cookie) {
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  HRESULT hr = control->QueryInterface(IID_IConnectionPointContainer, container.put_void());
  if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(DIID__IZMediaPlayerEvents, point.put());
  return SUCCEEDED(hr) ? point->Unadvise(cookie) : hr;
}

// A client site that offers nothing beyond IOleClientSite (no in-place activation),
// enough to be handed over and asked back; it counts its references.
class PlainSite final : public IOleClientSite {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IOleClientSite) return E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP SaveObject() override { return S_OK; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
  ULONG refs = 1;
};

// A BSTR argument that frees itself at the end of the call's full expression.
struct TextArg {
  UniqueBstr text;
  operator BSTR() const { return text.get(); }
};
inline TextArg Text(const wchar_t* value) { return TextArg{UniqueBstr(SysAllocString(value))}; }

}  // namespace zm::tests
