// What the control's test clients share: creating the control as a host does, an event
// sink that records what the control fires, and a client site that offers nothing more.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include "com/missing_uuids.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ZMediaControl_h.h"
#include "com/com_ptr.h"
#include "com/unique_bstr.h"

namespace zm::tests {

using com::ComPtr;
using com::UniqueBstr;

// Creates the control through the registry, by ProgID, as a script host would.
inline ComPtr<IZMediaPlayer> CreateControl() {
  CLSID clsid;
  ComPtr<IZMediaPlayer> player;
  if (SUCCEEDED(CLSIDFromProgID(L"Zavren.MediaPlayer.1", &clsid)))
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IZMediaPlayer, player.put_void());
  return player;
}

// The folder of the running test program, where the control's DLL is built too.
inline std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  std::wstring folder(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

inline std::wstring ControlDllPath() { return ProgramFolder() + L"ZMediaControl7.dll"; }

struct RecordedEvent {
  DISPID id;
  std::vector<LONG> args;  // in parameter order
  VARTYPE firstType;       // the type of the first parameter, VT_EMPTY when none
};

// A sink for _IZMediaPlayerEvents that records every call. It lives on the test's stack:
// `refs` shows what the control holds.
class EventRecorder final : public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    *out = riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID__IZMediaPlayerEvents ? this : nullptr;
    return *out ? (AddRef(), S_OK) : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
    EXPECT_EQ(flags, DISPATCH_METHOD);
    RecordedEvent event{id, {}, params->cArgs ? params->rgvarg[params->cArgs - 1].vt : VARTYPE{VT_EMPTY}};
    // Arguments arrive last parameter first.
    for (UINT i = params->cArgs; i-- > 0;)
      event.args.push_back(params->rgvarg[i].vt == VT_I2 ? params->rgvarg[i].iVal : params->rgvarg[i].lVal);
    events.push_back(event);
    if (onEvent) onEvent(id);
    return failWith;
  }
  // The error ids of the OnError events (type, id) received.
  std::vector<LONG> ErrorIds() const {
    std::vector<LONG> ids;
    for (const RecordedEvent& event : events)
      if (event.id == 5) ids.push_back(event.args.at(1));
    return ids;
  }

  std::vector<RecordedEvent> events;
  std::function<void(DISPID)> onEvent;  // a host's handler, run after the event is recorded
  HRESULT failWith = S_OK;              // what Invoke answers, to play a failing sink
  ULONG refs = 1;
};

inline ComPtr<IConnectionPoint> EventPoint(IUnknown* control) {
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  if (SUCCEEDED(control->QueryInterface(IID_IConnectionPointContainer, container.put_void())))
    container->FindConnectionPoint(DIID__IZMediaPlayerEvents, point.put());
  return point;
}

// A recorder connected to a control's events until this object ends (or cookie is zeroed).
struct EventConnection {
  explicit EventConnection(IUnknown* control) : point(EventPoint(control)) {
    EXPECT_TRUE(point && SUCCEEDED(point->Advise(&sink, &cookie)));
  }
  ~EventConnection() {
    if (cookie) point->Unadvise(cookie);
  }
  EventRecorder sink;
  ComPtr<IConnectionPoint> point;
  DWORD cookie = 0;
};

// A client site that offers nothing beyond IOleClientSite (no in-place activation),
// enough to be handed over and asked back; it counts its references.
class PlainSite final : public IOleClientSite {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    *out = riid == IID_IUnknown || riid == IID_IOleClientSite ? this : nullptr;
    return *out ? (AddRef(), S_OK) : E_NOINTERFACE;
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
