// In-place activation of CZMediaPlayer: IOleObject::DoVerb, IOleWindow,
// IOleInPlaceObject(Windowless) and IOleInPlaceActiveObject. The control is a windowed,
// inside-out control: in-place activation creates its window in the site's window.
#include "control/player.h"

#include "com/hresult.h"
#include "control/module.h"

namespace zm::control {
namespace {

com::WindowClass& ControlWindowClass() {
  // The background becomes the black stock brush when the first window is created.
  static com::WindowClass cls(L"ZMediaControl Player", CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                              com::WindowImpl<CZMediaPlayer>::WindowProc);
  return cls;
}

}  // namespace

STDMETHODIMP CZMediaPlayer::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) {
  if (site && !m_spClientSite) m_spClientSite = site;
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE: return InPlaceActivate(verb);
    case OLEIVERB_HIDE:
      UIDeactivate();
      if (m_hWnd) ShowWindow(m_hWnd, SW_HIDE);
      return S_OK;
    case OLEIVERB_DISCARDUNDOSTATE: return S_OK;
    case OLEIVERB_OPEN:
    case OLEIVERB_PROPERTIES:
      // No separate editing window and no property pages.
      return OLEOBJ_S_CANNOT_DOVERB_NOW;
    default:
      if (verb < 0) return E_NOTIMPL;
      // An unknown positive verb is carried out as the primary verb.
      {
        HRESULT hr = InPlaceActivate(OLEIVERB_PRIMARY);
        return FAILED(hr) ? hr : OLEOBJ_S_INVALIDVERB;
      }
  }
}

HRESULT CZMediaPlayer::InPlaceActivate(LONG verb) {
  if (!m_spClientSite) return E_UNEXPECTED;   // a control must be sited before it is activated
  com::ComPtr<IUnknown> keepAlive(m_pOuter);  // the site may release us from its callbacks
  if (!m_bInPlaceActive) {
    com::ComPtr<IOleInPlaceSite> site;
    if (FAILED(m_spClientSite.query(&site)) || !site) return OLE_E_NOT_INPLACEACTIVE;
    if (site->CanInPlaceActivate() != S_OK) return OLE_E_NOT_INPLACEACTIVE;
    com::ComPtr<IOleInPlaceSiteEx> siteEx;
    site.query(&siteEx);
    BOOL noRedraw = FALSE;
    ZM_RETURN_IF_FAILED(siteEx ? siteEx->OnInPlaceActivateEx(&noRedraw, 0) : site->OnInPlaceActivate());
    m_spInPlaceSite = std::move(site);
    m_spInPlaceSiteEx = std::move(siteEx);
    m_bInPlaceActive = true;
  }
  if (!m_hWnd) {
    HWND parent = nullptr;
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    m_spInPlaceFrame.reset();
    m_spInPlaceDoc.reset();
    HRESULT hr = m_spInPlaceSite->GetWindow(&parent);
    if (SUCCEEDED(hr))
      hr =
          m_spInPlaceSite->GetWindowContext(m_spInPlaceFrame.put(), m_spInPlaceDoc.put(), &position, &clip, &frameInfo);
    if (SUCCEEDED(hr) && (!parent || !IsWindow(parent))) hr = OLE_E_INVALIDHWND;
    if (SUCCEEDED(hr)) hr = CreateControlWindow(parent, position);
    if (FAILED(hr)) {
      InPlaceDeactivate();
      return hr;
    }
    SetObjectRects(&position, &clip);
  }
  ShowWindow(m_hWnd, SW_SHOWNA);
  if (verb == OLEIVERB_PRIMARY || verb == OLEIVERB_UIACTIVATE) ZM_RETURN_IF_FAILED(UIActivate());
  if (m_spClientSite) m_spClientSite->ShowObject();
  return S_OK;
}

HRESULT CZMediaPlayer::CreateControlWindow(HWND parent, const RECT& position) {
  HWND hwnd = CreateFromClass(ControlWindowClass(), Module().Instance(), parent, position,
                              WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
  if (!hwnd) {
    DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
  }
  m_windowClassUse = com::WindowClassUse(&ControlWindowClass());
  return S_OK;
}

void CZMediaPlayer::DestroyControlWindow() {
  if (m_hWnd) DestroyWindow(m_hWnd);
  // The class goes only once no window of it is left.
  if (!m_hWnd) m_windowClassUse.reset();
}

HRESULT CZMediaPlayer::UIActivate() {
  if (m_bUIActive) return S_OK;
  if (!m_spInPlaceSite) return E_UNEXPECTED;
  m_bUIActive = true;
  m_spInPlaceSite->OnUIActivate();
  if (m_hWnd && !IsChild(m_hWnd, GetFocus()) && GetFocus() != m_hWnd) SetFocus(m_hWnd);
  auto* active = static_cast<IOleInPlaceActiveObject*>(this);
  if (m_spInPlaceFrame) {
    m_spInPlaceFrame->SetActiveObject(active, nullptr);
    m_spInPlaceFrame->SetBorderSpace(nullptr);  // the control takes no tools space
  }
  if (m_spInPlaceDoc) {
    m_spInPlaceDoc->SetActiveObject(active, nullptr);
    m_spInPlaceDoc->SetBorderSpace(nullptr);
  }
  return S_OK;
}

// IOleWindow, IOleInPlaceObject, IOleInPlaceObjectWindowless

STDMETHODIMP CZMediaPlayer::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = m_hWnd;
  return m_hWnd ? S_OK : E_FAIL;
}

STDMETHODIMP CZMediaPlayer::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP CZMediaPlayer::InPlaceDeactivate() {
  if (!m_bInPlaceActive) return S_OK;
  com::ComPtr<IUnknown> keepAlive(m_pOuter);
  UIDeactivate();
  m_bInPlaceActive = false;
  DestroyControlWindow();
  com::ComPtr<IOleInPlaceSite> site = std::move(m_spInPlaceSite);
  com::ComPtr<IOleInPlaceSiteEx> siteEx = std::move(m_spInPlaceSiteEx);
  m_spInPlaceFrame.reset();
  m_spInPlaceDoc.reset();
  if (siteEx) siteEx->OnInPlaceDeactivateEx(TRUE);
  else if (site) site->OnInPlaceDeactivate();
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::UIDeactivate() {
  if (!m_bUIActive) return S_OK;
  com::ComPtr<IUnknown> keepAlive(m_pOuter);
  m_bUIActive = false;
  if (m_spInPlaceFrame) m_spInPlaceFrame->SetActiveObject(nullptr, nullptr);
  if (m_spInPlaceDoc) m_spInPlaceDoc->SetActiveObject(nullptr, nullptr);
  if (m_spInPlaceSite) m_spInPlaceSite->OnUIDeactivate(FALSE);
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::SetObjectRects(LPCRECT position, LPCRECT clip) {
  if (!position || !clip) return E_POINTER;
  if (position->right < position->left || position->bottom < position->top) return E_INVALIDARG;
  if (!m_hWnd) return S_OK;
  // What lies outside the clip rectangle is cut off by a window region.
  RECT visible;
  if (!IntersectRect(&visible, position, clip)) visible = {};
  HRGN region = nullptr;
  if (!EqualRect(&visible, position)) {
    OffsetRect(&visible, -position->left, -position->top);
    region = CreateRectRgnIndirect(&visible);
  }
  SetWindowRgn(m_hWnd, region, TRUE);  // the window owns the region from here on
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

STDMETHODIMP CZMediaPlayer::TranslateAccelerator(LPMSG msg) {
  if (!msg) return E_POINTER;
  return S_FALSE;  // no accelerators: keys reach the control window as messages
}

STDMETHODIMP CZMediaPlayer::OnFrameWindowActivate(BOOL) { return S_OK; }

STDMETHODIMP CZMediaPlayer::OnDocWindowActivate(BOOL) { return S_OK; }

STDMETHODIMP CZMediaPlayer::ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL) {
  if (!border || !window) return E_POINTER;
  return S_OK;  // the control asks for no border space
}

STDMETHODIMP CZMediaPlayer::EnableModeless(BOOL) { return S_OK; }

}  // namespace zm::control
