#include "peers/host/embedded_control.h"

#include "ZMediaControl_h.h"

namespace zm::host {
namespace {

// Pixels of a 96-dpi screen in HIMETRIC.
LONG ToHimetric(LONG pixels) { return MulDiv(pixels, 2540, 96); }

}  // namespace

HRESULT CEmbeddedControl::Create(const wchar_t* progId, HWND window, IDispatch* sink) {
  if (m_spObject) return E_UNEXPECTED;
  if (!progId || !window) return E_INVALIDARG;
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(progId, &clsid);
  if (FAILED(hr)) return hr;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, m_spObject.put_void());
  if (FAILED(hr)) return hr;
  m_hWindow = window;
  m_pSite = new CContainerSite(window);
  // OLEMISC_SETCLIENTSITEFIRST: the site comes before the persistent state.
  hr = m_spObject->SetClientSite(m_pSite);
  com::ComPtr<IPersistStreamInit> persist;
  if (SUCCEEDED(hr) && SUCCEEDED(m_spObject.query(&persist))) hr = persist->InitNew();
  com::ComPtr<IOleInPlaceObject> inPlace;
  if (SUCCEEDED(hr)) hr = m_spObject.query(&inPlace);
  if (SUCCEEDED(hr)) m_pSite->SetInPlaceObject(inPlace.get());
  if (SUCCEEDED(hr) && sink) {
    com::ComPtr<IConnectionPointContainer> container;
    hr = m_spObject.query(&container);
    if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(DIID__IZMediaPlayerEvents, m_spEvents.put());
    if (SUCCEEDED(hr)) hr = m_spEvents->Advise(sink, &m_dwEventCookie);
  }
  if (FAILED(hr)) Destroy();
  return hr;
}

HRESULT CEmbeddedControl::Activate(LONG verb) {
  if (!m_spObject) return E_UNEXPECTED;
  RECT position = m_pSite->Position();
  SIZEL extent = {ToHimetric(position.right - position.left), ToHimetric(position.bottom - position.top)};
  m_spObject->SetExtent(DVASPECT_CONTENT, &extent);
  return m_spObject->DoVerb(verb, nullptr, m_pSite, 0, m_hWindow, &position);
}

HRESULT CEmbeddedControl::Resize(const RECT& position) {
  if (!m_spObject) return E_UNEXPECTED;
  m_pSite->SetPosition(position);
  SIZEL extent = {ToHimetric(position.right - position.left), ToHimetric(position.bottom - position.top)};
  HRESULT hr = m_spObject->SetExtent(DVASPECT_CONTENT, &extent);
  if (FAILED(hr)) return hr;
  com::ComPtr<IOleInPlaceObject> inPlace;
  hr = m_spObject.query(&inPlace);
  if (FAILED(hr)) return hr;
  RECT clip;
  GetClientRect(m_hWindow, &clip);
  return inPlace->SetObjectRects(&position, &clip);
}

HRESULT CEmbeddedControl::Deactivate() {
  com::ComPtr<IOleInPlaceObject> inPlace = Query<IOleInPlaceObject>();
  return inPlace ? inPlace->InPlaceDeactivate() : E_UNEXPECTED;
}

void CEmbeddedControl::Destroy() {
  if (m_spEvents) {
    m_spEvents->Unadvise(m_dwEventCookie);
    m_spEvents.reset();
    m_dwEventCookie = 0;
  }
  if (m_spObject) {
    m_spObject->Close(OLECLOSE_NOSAVE);
    m_spObject->SetClientSite(nullptr);
    m_spObject.reset();
  }
  if (m_pSite) {
    m_pSite->SetInPlaceObject(nullptr);
    m_pSite->Release();
    m_pSite = nullptr;
  }
}

HWND CEmbeddedControl::ControlWindow() const {
  HWND hwnd = nullptr;
  com::ComPtr<IOleWindow> window = Query<IOleWindow>();
  if (window) window->GetWindow(&hwnd);
  return hwnd;
}

}  // namespace zm::host
