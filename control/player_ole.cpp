// The embedding interfaces of CZMediaPlayer: IOleObject, the in-place interfaces,
// IOleControl, IQuickActivate, IObjectWithSite, IServiceProvider,
// ISpecifyPropertyPages and IDataObject. The control window arrives with
// in-place activation; until then these keep the state a container hands over.
#include "control/player.h"

namespace zm::control {
namespace {

constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
                              OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;

}  // namespace

// IOleObject

STDMETHODIMP CZMediaPlayer::SetClientSite(IOleClientSite* site) {
  m_spClientSite = site;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  return m_spClientSite.copy_to(site);
}

STDMETHODIMP CZMediaPlayer::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP CZMediaPlayer::Close(DWORD) {
  InPlaceDeactivate();
  if (m_spOleAdviseHolder) m_spOleAdviseHolder->SendOnClose();
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

STDMETHODIMP CZMediaPlayer::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (!moniker) return E_POINTER;
  *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CZMediaPlayer::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

STDMETHODIMP CZMediaPlayer::GetClipboardData(DWORD, IDataObject** data) {
  if (!data) return E_POINTER;
  *data = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CZMediaPlayer::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) {
  if (site && !m_spClientSite) m_spClientSite = site;
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      // The control window is not part of this build yet: activation is refused
      // plainly rather than pretended.
      return E_NOTIMPL;
    case OLEIVERB_HIDE:
    case OLEIVERB_DISCARDUNDOSTATE:
      return S_OK;
    case OLEIVERB_OPEN:
    case OLEIVERB_PROPERTIES:
      return OLEOBJ_S_CANNOT_DOVERB_NOW;
    default:
      return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
  }
}

STDMETHODIMP CZMediaPlayer::EnumVerbs(IEnumOLEVERB** verbs) {
  if (!verbs) return E_POINTER;
  return OleRegEnumVerbs(CLSID_ZMediaPlayer, verbs);
}

STDMETHODIMP CZMediaPlayer::Update() { return S_OK; }

STDMETHODIMP CZMediaPlayer::IsUpToDate() { return S_OK; }

STDMETHODIMP CZMediaPlayer::GetUserClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = CLSID_ZMediaPlayer;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::GetUserType(DWORD form, LPOLESTR* type) {
  if (!type) return E_POINTER;
  return OleRegGetUserType(CLSID_ZMediaPlayer, form, type);
}

STDMETHODIMP CZMediaPlayer::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  if (size->cx < 0 || size->cy < 0) return E_INVALIDARG;
  if (size->cx != m_sizeExtent.cx || size->cy != m_sizeExtent.cy) m_bDirty = true;
  m_sizeExtent = *size;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::GetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return E_FAIL;
  *size = m_sizeExtent;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::Advise(IAdviseSink* sink, DWORD* connection) {
  if (!connection) return E_POINTER;
  *connection = 0;
  if (!sink) return E_INVALIDARG;
  if (!m_spOleAdviseHolder) {
    HRESULT hr = CreateOleAdviseHolder(m_spOleAdviseHolder.put());
    if (FAILED(hr)) return hr;
  }
  return m_spOleAdviseHolder->Advise(sink, connection);
}

STDMETHODIMP CZMediaPlayer::Unadvise(DWORD connection) {
  if (!m_spOleAdviseHolder) return OLE_E_NOCONNECTION;
  return m_spOleAdviseHolder->Unadvise(connection);
}

STDMETHODIMP CZMediaPlayer::EnumAdvise(IEnumSTATDATA** advise) {
  if (!advise) return E_POINTER;
  *advise = nullptr;
  if (!m_spOleAdviseHolder) return E_FAIL;
  return m_spOleAdviseHolder->EnumAdvise(advise);
}

STDMETHODIMP CZMediaPlayer::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (!status) return E_POINTER;
  *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// IOleWindow, IOleInPlaceObject, IOleInPlaceObjectWindowless

STDMETHODIMP CZMediaPlayer::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = m_hWnd;
  return m_hWnd ? S_OK : E_FAIL;
}

STDMETHODIMP CZMediaPlayer::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP CZMediaPlayer::InPlaceDeactivate() { return S_OK; }

STDMETHODIMP CZMediaPlayer::UIDeactivate() { return S_OK; }

STDMETHODIMP CZMediaPlayer::SetObjectRects(LPCRECT position, LPCRECT clip) {
  if (!position || !clip) return E_POINTER;
  if (m_hWnd)
    SetWindowPos(m_hWnd, nullptr, position->left, position->top, position->right - position->left,
                 position->bottom - position->top, SWP_NOZORDER | SWP_NOACTIVATE);
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::ReactivateAndUndo() { return E_NOTIMPL; }

STDMETHODIMP CZMediaPlayer::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
  if (!result) return E_POINTER;
  *result = 0;
  return S_FALSE;  // a windowed control handles its messages in its own window
}

STDMETHODIMP CZMediaPlayer::GetDropTarget(IDropTarget** target) {
  if (!target) return E_POINTER;
  *target = nullptr;
  return E_NOTIMPL;
}

// IOleInPlaceActiveObject

STDMETHODIMP CZMediaPlayer::TranslateAccelerator(LPMSG) { return S_FALSE; }

STDMETHODIMP CZMediaPlayer::OnFrameWindowActivate(BOOL) { return S_OK; }

STDMETHODIMP CZMediaPlayer::OnDocWindowActivate(BOOL) { return S_OK; }

STDMETHODIMP CZMediaPlayer::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }

STDMETHODIMP CZMediaPlayer::EnableModeless(BOOL) { return S_OK; }

// IOleControl

STDMETHODIMP CZMediaPlayer::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  // No mnemonics: the control takes no keyboard shortcuts from its container.
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::OnMnemonic(MSG*) { return S_OK; }

STDMETHODIMP CZMediaPlayer::OnAmbientPropertyChange(DISPID) { return S_OK; }

STDMETHODIMP CZMediaPlayer::FreezeEvents(BOOL freeze) {
  m_nFreezeEvents += freeze ? 1 : (m_nFreezeEvents > 0 ? -1 : 0);
  return S_OK;
}

// IQuickActivate

STDMETHODIMP CZMediaPlayer::QuickActivate(QACONTAINER* container, QACONTROL* control) {
  if (!container || !control) return E_POINTER;
  if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL)) return E_INVALIDARG;
  HRESULT hr = SetClientSite(container->pClientSite);
  if (FAILED(hr)) return hr;
  if (container->pAdviseSink) SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
  control->dwMiscStatus = kMiscStatus;
  control->dwViewStatus = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;
  control->dwEventCookie = 0;
  control->dwPropNotifyCookie = 0;
  control->dwPointerActivationPolicy = 0;
  if (container->pUnkEventSink) m_cpEvents.Advise(container->pUnkEventSink, &control->dwEventCookie);
  if (container->pPropertyNotifySink)
    m_cpPropertyNotify.Advise(container->pPropertyNotifySink, &control->dwPropNotifyCookie);
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::SetContentExtent(LPSIZEL size) { return SetExtent(DVASPECT_CONTENT, size); }

STDMETHODIMP CZMediaPlayer::GetContentExtent(LPSIZEL size) { return GetExtent(DVASPECT_CONTENT, size); }

// IObjectWithSite

STDMETHODIMP CZMediaPlayer::SetSite(IUnknown* site) {
  m_spSite = site;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::GetSite(REFIID riid, void** site) {
  if (!site) return E_POINTER;
  *site = nullptr;
  if (!m_spSite) return E_FAIL;
  return m_spSite->QueryInterface(riid, site);
}

// IServiceProvider: services are the container's; ask it through our site.

STDMETHODIMP CZMediaPlayer::QueryService(REFGUID service, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  IUnknown* site = m_spSite ? m_spSite.get() : static_cast<IUnknown*>(m_spClientSite.get());
  if (!site) return E_NOINTERFACE;
  com::ComPtr<IServiceProvider> provider;
  if (FAILED(site->QueryInterface(IID_IServiceProvider, provider.put_void()))) return E_NOINTERFACE;
  return provider->QueryService(service, riid, out);
}

// ISpecifyPropertyPages: the control lists no property pages.

STDMETHODIMP CZMediaPlayer::GetPages(CAUUID* pages) {
  if (!pages) return E_POINTER;
  pages->cElems = 0;
  pages->pElems = nullptr;
  return S_OK;
}

// IDataObject: the control offers no data formats, but keeps data advise sinks.

STDMETHODIMP CZMediaPlayer::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium) return E_POINTER;
  return DV_E_FORMATETC;
}

STDMETHODIMP CZMediaPlayer::GetDataHere(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium) return E_POINTER;
  return DV_E_FORMATETC;
}

STDMETHODIMP CZMediaPlayer::QueryGetData(FORMATETC* format) {
  if (!format) return E_POINTER;
  return DV_E_FORMATETC;
}

STDMETHODIMP CZMediaPlayer::GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) {
  if (!in || !out) return E_POINTER;
  *out = *in;
  out->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP CZMediaPlayer::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL) {
  if (!format || !medium) return E_POINTER;
  return E_NOTIMPL;
}

STDMETHODIMP CZMediaPlayer::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) {
  if (!formats) return E_POINTER;
  *formats = nullptr;
  return OleRegEnumFormatEtc(CLSID_ZMediaPlayer, direction, formats);
}

STDMETHODIMP CZMediaPlayer::DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) {
  if (!connection) return E_POINTER;
  *connection = 0;
  if (!format || !sink) return E_INVALIDARG;
  if (!m_spDataAdviseHolder) {
    HRESULT hr = CreateDataAdviseHolder(m_spDataAdviseHolder.put());
    if (FAILED(hr)) return hr;
  }
  return m_spDataAdviseHolder->Advise(static_cast<IDataObject*>(this), format, flags, sink, connection);
}

STDMETHODIMP CZMediaPlayer::DUnadvise(DWORD connection) {
  if (!m_spDataAdviseHolder) return OLE_E_NOCONNECTION;
  return m_spDataAdviseHolder->Unadvise(connection);
}

STDMETHODIMP CZMediaPlayer::EnumDAdvise(IEnumSTATDATA** advise) {
  if (!advise) return E_POINTER;
  *advise = nullptr;
  if (!m_spDataAdviseHolder) return E_FAIL;
  return m_spDataAdviseHolder->EnumAdvise(advise);
}

}  // namespace zm::control
