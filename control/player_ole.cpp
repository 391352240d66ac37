// The embedding interfaces of CZMediaPlayer apart from in-place activation: IOleObject,
// IOleControl, IQuickActivate, IObjectWithSite, IServiceProvider, ISpecifyPropertyPages
// and IDataObject. They keep what a container hands over.
#include "control/player.h"

#include "com/hresult.h"

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

STDMETHODIMP CZMediaPlayer::Close(DWORD saveOption) {
  if (saveOption != OLECLOSE_SAVEIFDIRTY && saveOption != OLECLOSE_NOSAVE && saveOption != OLECLOSE_PROMPTSAVE)
    return E_INVALIDARG;
  // The extent is all there is to save; the container stores it when asked to.
  if (saveOption != OLECLOSE_NOSAVE && m_bDirty && m_spClientSite) m_spClientSite->SaveObject();
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
  if (!m_spOleAdviseHolder) ZM_RETURN_IF_FAILED(CreateOleAdviseHolder(m_spOleAdviseHolder.put()));
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

// IOleControl

STDMETHODIMP CZMediaPlayer::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  // No mnemonics: the control takes no keyboard shortcuts from its container.
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::OnMnemonic(MSG* msg) {
  if (!msg) return E_POINTER;
  return S_OK;  // GetControlInfo lists no mnemonics, so there is nothing to act on
}

STDMETHODIMP CZMediaPlayer::OnAmbientPropertyChange(DISPID) {
  // The control's own picture takes no ambient colour or font; a repaint keeps it current
  // with whatever the container changed around it.
  if (m_hWnd) InvalidateRect(m_hWnd, nullptr, TRUE);
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::FreezeEvents(BOOL freeze) {
  m_nFreezeEvents += freeze ? 1 : (m_nFreezeEvents > 0 ? -1 : 0);
  return S_OK;
}

// IQuickActivate

STDMETHODIMP CZMediaPlayer::QuickActivate(QACONTAINER* container, QACONTROL* control) {
  if (!container || !control) return E_POINTER;
  if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL)) return E_INVALIDARG;
  ZM_RETURN_IF_FAILED(SetClientSite(container->pClientSite));
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
  if (!m_spDataAdviseHolder) ZM_RETURN_IF_FAILED(CreateDataAdviseHolder(m_spDataAdviseHolder.put()));
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
