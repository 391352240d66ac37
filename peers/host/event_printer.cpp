#include "peers/host/event_printer.h"

#include "ZMediaControl_h.h"

namespace zm::host {
namespace {

const char* EventName(DISPID id) {
  switch (id) {
    case kOnResize: return "OnResize";
    case kOnStart: return "OnStart";
    case kOnPause: return "OnPause";
    case kOnStop: return "OnStop";
    case kOnError: return "OnError";
    default: return nullptr;
  }
}

std::string ArgumentText(const VARIANT& arg) {
  VARIANT text;
  VariantInit(&text);
  std::string out = "?";
  if (SUCCEEDED(VariantChangeType(&text, const_cast<VARIANT*>(&arg), 0, VT_BSTR)) && text.bstrVal) {
    out.clear();
    for (UINT i = 0; i < SysStringLen(text.bstrVal); ++i) out.push_back(static_cast<char>(text.bstrVal[i]));
  }
  VariantClear(&text);
  return out;
}

}  // namespace

std::string CEventPrinter::FormatEvent(DISPID id, const DISPPARAMS& params) {
  const char* name = EventName(id);
  std::string line = name ? name : "Event";
  if (!name) line += std::to_string(id);
  // Arguments arrive last parameter first.
  for (UINT i = params.cArgs; i-- > 0;) {
    line += ' ';
    line += ArgumentText(params.rgvarg[i]);
  }
  return line;
}

STDMETHODIMP CEventPrinter::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDispatch && riid != DIID__IZMediaPlayerEvents) return E_NOINTERFACE;
  *out = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CEventPrinter::AddRef() { return InterlockedIncrement(&m_cRef); }

STDMETHODIMP_(ULONG) CEventPrinter::Release() {
  LONG n = InterlockedDecrement(&m_cRef);
  if (n == 0) delete this;
  return n;
}

STDMETHODIMP CEventPrinter::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP CEventPrinter::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CEventPrinter::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP CEventPrinter::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
  if (!params) return E_POINTER;
  if (params->cArgs && !params->rgvarg) return E_INVALIDARG;
  if (m_onLine) m_onLine(FormatEvent(id, *params));
  if (id == kOnResize && params->cArgs == 2 && m_onResize) {
    VARIANT width, height;
    VariantInit(&width);
    VariantInit(&height);
    if (SUCCEEDED(VariantChangeType(&width, &params->rgvarg[1], 0, VT_I2)) &&
        SUCCEEDED(VariantChangeType(&height, &params->rgvarg[0], 0, VT_I2)))
      m_onResize(width.iVal, height.iVal);
  }
  if (m_onEvent) m_onEvent(id);
  return S_OK;
}

}  // namespace zm::host
