// IViewObject, IViewObject2 and IViewObjectEx of CZMediaPlayer: drawing into a
// container's device context, view advise and hit testing.
#include "control/layout.h"
#include "control/player.h"

namespace zm::control {

STDMETHODIMP CZMediaPlayer::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDc, LPCRECTL bounds, LPCRECTL,
                                 BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT && aspect != DVASPECT_OPAQUE) return DV_E_DVASPECT;
  if (!drawDc) return E_INVALIDARG;
  if (!bounds) return m_hWnd ? S_OK : E_INVALIDARG;  // an active window paints itself
  // The picture of an inactive control (or a copy asked of an active one): the black
  // background with the logo laid out for the bounds as the window would lay it out.
  RECT rect = {bounds->left, bounds->top, bounds->right, bounds->bottom};
  if (rect.right <= rect.left || rect.bottom <= rect.top) return S_OK;
  FillRect(drawDc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  LayoutInput in;
  in.clientWidth = rect.right - rect.left;
  in.clientHeight = rect.bottom - rect.top;
  in.flowBarShown = m_settings.m_bFlowBarShown;
  in.flowBarHeight = m_nFlowBarHeight;
  in.active = IsActive();
  in.hasVideo = !m_session.m_bAudioOnly;
  if (m_pLogo) {
    in.logoWidth = m_sizeLogo.cx;
    in.logoHeight = m_sizeLogo.cy;
  }
  if (std::optional<ControlLayout> layout = LayOutControlWindow(in))
    DrawLogo(drawDc, rect, layout->viewWidth, layout->viewHeight);
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
  if (!colors) return E_POINTER;
  *colors = nullptr;
  return S_FALSE;
}

STDMETHODIMP CZMediaPlayer::Freeze(DWORD, LONG, void*, DWORD* freeze) {
  if (freeze) *freeze = 0;
  return E_NOTIMPL;
}

STDMETHODIMP CZMediaPlayer::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP CZMediaPlayer::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  m_spViewAdviseSink = sink;
  m_dwViewAdviseAspects = aspects;
  m_dwViewAdviseFlags = flags;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = m_dwViewAdviseAspects;
  if (flags) *flags = m_dwViewAdviseFlags;
  if (sink) m_spViewAdviseSink.copy_to(sink);
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return E_FAIL;
  *size = m_sizeExtent;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::GetRect(DWORD aspect, LPRECTL rect) {
  if (!rect) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *rect = {0, 0, m_sizeExtent.cx, m_sizeExtent.cy};
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::GetViewStatus(DWORD* status) {
  if (!status) return E_POINTER;
  *status = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT point, LONG, DWORD* hit) {
  if (!bounds || !hit) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return E_FAIL;
  *hit = PtInRect(bounds, point) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT rect, LONG, DWORD* hit) {
  if (!bounds || !rect || !hit) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return E_FAIL;
  RECT overlap;
  *hit = IntersectRect(&overlap, bounds, rect) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*, LPSIZEL) {
  return E_NOTIMPL;
}

}  // namespace zm::control
