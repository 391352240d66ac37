// CEventPrinter: a sink for the control's _IZMediaPlayerEvents that turns each event into one
// line ("OnError 1 1000"), passes OnResize on as a size request and tells the host which
// event came. Host window's thread.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <string>

namespace zm::host {

// The DISPIDs of _IZMediaPlayerEvents.
enum PlayerEvent : DISPID { kOnResize = 1, kOnStart = 2, kOnPause = 3, kOnStop = 4, kOnError = 5 };

class CEventPrinter final : public IDispatch {
 public:
  using LineHandler = std::function<void(const std::string& line)>;
  using ResizeHandler = std::function<void(short width, short height)>;
  // Called after the event's line, with its DISPID.
  using EventHandler = std::function<void(DISPID event)>;

  // The object starts with one reference.
  CEventPrinter(LineHandler onLine, ResizeHandler onResize, EventHandler onEvent = nullptr)
      : m_onLine(std::move(onLine)), m_onResize(std::move(onResize)), m_onEvent(std::move(onEvent)) {}

  // The line for an event: its name, then each argument in parameter order.
  static std::string FormatEvent(DISPID id, const DISPPARAMS& params);

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argError) override;

 private:
  ~CEventPrinter() = default;
  LONG m_cRef = 1;
  LineHandler m_onLine;
  ResizeHandler m_onResize;
  EventHandler m_onEvent;
};

}  // namespace zm::host
