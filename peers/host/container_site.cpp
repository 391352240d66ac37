#include "peers/host/container_site.h"

namespace zm::host {

RECT CContainerSite::Position() const {
  if (m_bPositionSet) return m_rcPosition;
  RECT client{};
  GetClientRect(m_hWindow, &client);
  return client;
}

STDMETHODIMP CContainerSite::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid == IID_IUnknown || riid == IID_IOleClientSite) *out = static_cast<IOleClientSite*>(this);
  else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite) *out = static_cast<IOleInPlaceSite*>(this);
  else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame) *out = static_cast<IOleInPlaceFrame*>(this);
  else if (riid == IID_IOleControlSite) *out = static_cast<IOleControlSite*>(this);
  else if (riid == IID_IDispatch) *out = static_cast<IDispatch*>(this);
  else return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CContainerSite::AddRef() { return InterlockedIncrement(&m_cRef); }

STDMETHODIMP_(ULONG) CContainerSite::Release() {
  LONG n = InterlockedDecrement(&m_cRef);
  if (n == 0) delete this;
  return n;
}

// IOleClientSite

STDMETHODIMP CContainerSite::SaveObject() { return S_OK; }

STDMETHODIMP CContainerSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (!moniker) return E_POINTER;
  *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CContainerSite::GetContainer(IOleContainer** container) {
  if (!container) return E_POINTER;
  *container = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP CContainerSite::ShowObject() { return S_OK; }

STDMETHODIMP CContainerSite::OnShowWindow(BOOL) { return S_OK; }

STDMETHODIMP CContainerSite::RequestNewObjectLayout() { return E_NOTIMPL; }

// IOleWindow

STDMETHODIMP CContainerSite::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = m_hWindow;
  return S_OK;
}

STDMETHODIMP CContainerSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// IOleInPlaceSite

STDMETHODIMP CContainerSite::CanInPlaceActivate() { return S_OK; }

STDMETHODIMP CContainerSite::OnInPlaceActivate() {
  m_bInPlaceActive = true;
  return S_OK;
}

STDMETHODIMP CContainerSite::OnUIActivate() {
  m_bUIActive = true;
  return S_OK;
}

STDMETHODIMP CContainerSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT position,
                                              LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  if (!frame || !doc || !position || !clip || !info) return E_POINTER;
  *frame = static_cast<IOleInPlaceFrame*>(this);
  AddRef();
  *doc = nullptr;  // the frame is the document window too
  *position = Position();
  GetClientRect(m_hWindow, clip);
  info->fMDIApp = FALSE;
  info->hwndFrame = m_hWindow;
  info->haccel = nullptr;
  info->cAccelEntries = 0;
  return S_OK;
}

STDMETHODIMP CContainerSite::Scroll(SIZE) { return S_FALSE; }

STDMETHODIMP CContainerSite::OnUIDeactivate(BOOL) {
  m_bUIActive = false;
  return S_OK;
}

STDMETHODIMP CContainerSite::OnInPlaceDeactivate() {
  m_bInPlaceActive = false;
  m_spActiveObject.reset();
  return S_OK;
}

STDMETHODIMP CContainerSite::DiscardUndoState() { return S_OK; }

STDMETHODIMP CContainerSite::DeactivateAndUndo() {
  if (m_spInPlaceObject) m_spInPlaceObject->UIDeactivate();
  return S_OK;
}

STDMETHODIMP CContainerSite::OnPosRectChange(LPCRECT position) {
  if (!position) return E_POINTER;
  m_rcPosition = *position;
  m_bPositionSet = true;
  if (m_spInPlaceObject) {
    RECT clip;
    GetClientRect(m_hWindow, &clip);
    m_spInPlaceObject->SetObjectRects(position, &clip);
  }
  return S_OK;
}

// IOleInPlaceUIWindow, IOleInPlaceFrame: no tools, menus or status line.

STDMETHODIMP CContainerSite::GetBorder(LPRECT border) {
  if (!border) return E_POINTER;
  return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP CContainerSite::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }

STDMETHODIMP CContainerSite::SetBorderSpace(LPCBORDERWIDTHS widths) { return widths ? OLE_E_INVALIDRECT : S_OK; }

STDMETHODIMP CContainerSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
  m_spActiveObject = object;
  return S_OK;
}

STDMETHODIMP CContainerSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return E_NOTIMPL; }

STDMETHODIMP CContainerSite::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }

STDMETHODIMP CContainerSite::RemoveMenus(HMENU) { return E_NOTIMPL; }

STDMETHODIMP CContainerSite::SetStatusText(LPCOLESTR) { return S_OK; }

STDMETHODIMP CContainerSite::EnableModeless(BOOL) { return S_OK; }

STDMETHODIMP CContainerSite::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

// IOleControlSite

STDMETHODIMP CContainerSite::OnControlInfoChanged() { return S_OK; }

STDMETHODIMP CContainerSite::LockInPlaceActive(BOOL) { return S_OK; }

STDMETHODIMP CContainerSite::GetExtendedControl(IDispatch** control) {
  if (!control) return E_POINTER;
  *control = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CContainerSite::TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) {
  if (!himetric || !container) return E_POINTER;
  // The container's coordinates are pixels of a 96-dpi screen.
  constexpr float kHimetricPerPixel = 2540.0f / 96.0f;
  if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
    container->x = static_cast<float>(himetric->x) / kHimetricPerPixel;
    container->y = static_cast<float>(himetric->y) / kHimetricPerPixel;
  } else if (flags & XFORMCOORDS_CONTAINERTOHIMETRIC) {
    himetric->x = static_cast<LONG>(container->x * kHimetricPerPixel);
    himetric->y = static_cast<LONG>(container->y * kHimetricPerPixel);
  } else {
    return E_INVALIDARG;
  }
  return S_OK;
}

STDMETHODIMP CContainerSite::TranslateAccelerator(MSG*, DWORD) { return S_FALSE; }

STDMETHODIMP CContainerSite::OnFocus(BOOL) { return S_OK; }

STDMETHODIMP CContainerSite::ShowPropertyFrame() { return E_NOTIMPL; }

// IDispatch: the ambient properties a running (not designing) container reports.

STDMETHODIMP CContainerSite::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP CContainerSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CContainerSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP CContainerSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                    UINT*) {
  if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
  if (!result) return E_POINTER;
  VariantInit(result);
  switch (id) {
    case DISPID_AMBIENT_USERMODE:
      result->vt = VT_BOOL;
      result->boolVal = VARIANT_TRUE;
      return S_OK;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
      result->vt = VT_BOOL;
      result->boolVal = VARIANT_FALSE;
      return S_OK;
    default: return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace zm::host
