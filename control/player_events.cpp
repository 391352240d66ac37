// Event delivery to the connected _IZMediaPlayerEvents sinks, and the error report
// that chooses between a message box and the OnError event.
#include "com/unique_variant.h"
#include "control/player.h"

namespace zm::control {

void CZMediaPlayer::FireEvent(DISPID id, VARIANT* args, UINT count) {
  // Each sink is held for its call; a failing sink does not stop the others.
  for (const com::ComPtr<IUnknown>& unknown : m_cpEvents.Sinks()) {
    auto* sink = static_cast<IDispatch*>(unknown.get());
    DISPPARAMS params = {args, nullptr, count, 0};
    com::UniqueVariant result;
    sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.get(), nullptr, nullptr);
  }
}

namespace {

VARIANT Short(short value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I2;
  v.iVal = value;
  return v;
}

VARIANT Long(long value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

}  // namespace

// Arguments go in reverse order: the last parameter first.

void CZMediaPlayer::Fire_OnResize(short nWidth, short nHeight) {
  VARIANT args[2] = {Short(nHeight), Short(nWidth)};
  FireEvent(1, args, 2);
}

void CZMediaPlayer::Fire_OnStart() { FireEvent(2, nullptr, 0); }

void CZMediaPlayer::Fire_OnPause(short nReason) {
  VARIANT args[1] = {Short(nReason)};
  FireEvent(3, args, 1);
}

void CZMediaPlayer::Fire_OnStop(short bToBeContinued) {
  VARIANT args[1] = {Short(bToBeContinued)};
  FireEvent(4, args, 1);
}

void CZMediaPlayer::Fire_OnError(long nErrorType, long nErrorID) {
  VARIANT args[2] = {Long(nErrorID), Long(nErrorType)};
  FireEvent(5, args, 2);
}

void CZMediaPlayer::ReportError(const std::wstring& text, const wchar_t* caption) {
  if (!m_settings.m_bCustomErrorHandler) {
    HWND owner = m_hWnd;
    if (!owner && m_spClientSite) {
      com::ComPtr<IOleWindow> siteWindow;
      if (SUCCEEDED(m_spClientSite.query(&siteWindow))) siteWindow->GetWindow(&owner);
    }
    MessageBoxW(owner, text.c_str(), caption, MB_ICONEXCLAMATION);
    return;
  }
  if (m_hWnd) {
    SendMessageW(m_hWnd, session::WM_ZM_FIRE, session::kFireError, 0);
  } else if (GetCurrentThreadId() == m_dwApartmentThread) {
    // A host that never activates the control has no window to carry the event;
    // on the control's own thread it can be fired directly instead of being lost.
    Fire_OnError(m_session.m_nErrorType, m_session.m_nErrorID);
  }
}

}  // namespace zm::control
