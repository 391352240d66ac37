// IZMediaPlayer methods of CZMediaPlayer: source selection, playback commands and
// the picture, sound and view methods.
#include <algorithm>

#include "com/code_page_text.h"
#include "control/player.h"
#include "protocol/error_ids.h"
#include "protocol/error_texts.h"
#include "control/player_settings_text.h"
#include "com/unique_bstr.h"
#include "protocol/name_markers.h"
#include "ui/status_text.h"

namespace zm::control {
using com::AsWide;
using com::BstrText;
using com::BstrView;

// Source selection

STDMETHODIMP CZMediaPlayer::UseMediaServer(BSTR sMediaServerIPAddr) {
  ServerAddress address = SplitServerAddress(BstrView(sMediaServerIPAddr));
  if (address.port) m_settings.m_nServerPort = *address.port;
  std::wstring host = AsWide(address.host);
  if (host != m_settings.m_sServerAddr) {
    m_settings.m_sCredentialHash.clear();  // a digest belongs to the server it was made for
    ResetPlayListDialog();
  }
  m_settings.m_sServerAddr = std::move(host);
  return IsBusy() ? S_FALSE : S_OK;
}

STDMETHODIMP CZMediaPlayer::UseTCP() {
  if (IsBusy()) return S_FALSE;
  m_settings.m_nTransport = Tcp;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::UseHTTP() {
  if (IsBusy()) return S_FALSE;
  m_settings.m_nTransport = Http;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::UseHTTPS() {
  if (IsBusy()) return S_FALSE;
  m_settings.m_nTransport = Https;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::UseRTPUnicast() {
  if (IsBusy()) return S_FALSE;
  m_settings.m_nTransport = RtpUnicast;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::UseRTPMulticast() {
  if (IsBusy()) return S_FALSE;
  m_settings.m_nTransport = RtpMulticast;
  ResetPlayListDialog();
  return S_OK;
}

HRESULT CZMediaPlayer::StoreResourceName(BSTR text, std::wstring* field, ResourceKind kind) {
  *field = BstrText(text);
  m_settings.m_nResourceKind = kind;
  // The control appends the authentication suffix itself; a name may not carry one.
  if (protocol::HasAuthenticationMarker(BstrView(text))) {
    field->clear();
    m_settings.m_nResourceKind = None;
  }
  return IsBusy() ? S_FALSE : S_OK;
}

STDMETHODIMP CZMediaPlayer::UseFile(BSTR sFile) { return StoreResourceName(sFile, &m_settings.m_sFile, File); }

STDMETHODIMP CZMediaPlayer::UseLiveAlias(BSTR sSourceAlias) {
  return StoreResourceName(sSourceAlias, &m_settings.m_sLiveAlias, LiveAlias);
}

STDMETHODIMP CZMediaPlayer::UseFilePlayList(BSTR sFolderName) {
  m_settings.m_nPlayListIndex = 0;
  return StoreResourceName(sFolderName, &m_settings.m_sPlayListFolder, FilePlayList);
}

STDMETHODIMP CZMediaPlayer::UseLiveDirect(BSTR sSourceIPAddr, LONG nSourceNumber) {
  m_settings.m_sSourceAddr = BstrText(sSourceIPAddr);
  m_settings.m_sSourceNumber = AsWide(DecimalText(nSourceNumber));
  m_settings.m_nResourceKind = LiveDirect;
  return IsBusy() ? S_FALSE : S_OK;
}

STDMETHODIMP CZMediaPlayer::UseLiveLocal(LONG nSourceNumber) {
  m_settings.m_sSourceNumber = AsWide(DecimalText(nSourceNumber));
  m_settings.m_nResourceKind = LiveLocal;
  return IsBusy() ? S_FALSE : S_OK;
}

STDMETHODIMP CZMediaPlayer::UseSessionID(BSTR sSessionID) {
  std::string ansi = com::WideToCodePage(BstrText(sSessionID), CP_THREAD_ACP);
  m_settings.m_sSessionID = AsWide(protocol::SessionIdHex(ansi));
  m_settings.m_nAuthMode = 2;
  return S_OK;
}

// Playback commands

STDMETHODIMP CZMediaPlayer::Play() {
  if (m_session.m_nState == Connecting || m_session.m_nState == Playing || m_session.m_nState == Stopping) return S_OK;
  auto fail = [this](int32_t id, const wchar_t* text) {
    m_session.m_nErrorType = protocol::kErrorTypeStart;
    m_session.m_nErrorID = id;
    ReportError(text, protocol::kCaptionError);
    return S_FALSE;
  };
  if (m_settings.m_nResourceKind == None) return fail(protocol::kErrorNoResourceName, protocol::kTextNoResourceName);
  if (m_settings.m_sServerAddr.empty() && m_settings.m_nResourceKind != LiveLocal)
    return fail(protocol::kErrorNoServerAddress, protocol::kTextNoServerAddress);
  if (m_settings.m_nResourceKind == LiveLocal) m_settings.m_nTransport = Tcp;
  if (m_settings.m_nTransport == RtpMulticast && m_settings.m_nResourceKind == File)
    return fail(protocol::kErrorMulticastFile, protocol::kTextMulticastFile);
  return PlayPauseToggle();
}

STDMETHODIMP CZMediaPlayer::Pause() {
  if (m_session.m_nState != Playing) return S_FALSE;
  if (m_session.m_nPlaybackMode == LiveTimeShift && !m_session.m_bBuffering) m_session.m_bLivePaused = true;
  return PlayPauseToggle();
}

// Picture, sound and view

STDMETHODIMP CZMediaPlayer::AdjustContrast(LONG nContrast) {
  if (m_session.m_bAudioOnly || !IsActive()) return S_FALSE;
  if (Renderer().Exists() && SUCCEEDED(Renderer().get()->SetContrast(nContrast))) m_session.m_nContrast = nContrast;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::AdjustBrightness(LONG nBrightness) {
  if (m_session.m_bAudioOnly || !IsActive()) return S_FALSE;
  if (Renderer().Exists() && SUCCEEDED(Renderer().get()->SetBrightness(nBrightness))) {
    m_session.m_nBrightness = nBrightness;
  }
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::AdjustVolume(LONG nVolume) {
  m_settings.m_nVolume = nVolume == -5000 ? -10000 : nVolume;  // the knob's lowest step is silence
  m_wndFlowBar.ShowVolume(nVolume);
  if (!IsActive()) return S_FALSE;
  if (Renderer().Exists()) Renderer().get()->SetVolume(m_settings.m_nVolume);
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::EnableContextMenu(VARIANT_BOOL bEnable) {
  m_settings.m_bContextMenu = bEnable != 0;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::EnableSizeInContextMenu(VARIANT_BOOL bMenuEnable) {
  m_settings.m_bSizeInContextMenu = bMenuEnable != 0;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::EnableFlowControl(VARIANT_BOOL bMenuEnable, VARIANT_BOOL bShowNow) {
  m_settings.m_bFlowControlInMenu = bMenuEnable != 0;
  if ((bShowNow != 0) != m_settings.m_bFlowBarShown) ToggleFlowBar();
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::EnableUserFullScreen(VARIANT_BOOL bEnable) {
  m_settings.m_bUserFullScreen = bEnable != 0;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::ViewProperties() {
  if (!IsActive()) return S_FALSE;
  OpenPropertiesDialog();
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::ViewVideoSettings() {
  if (!ShowsPicture()) return S_FALSE;
  OpenVideoSettingsDialog();
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::ViewHalfSize() {
  if (!ShowsPicture()) return S_FALSE;
  RequestSize(50);
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::ViewOriginalSize() {
  if (!ShowsPicture()) return S_FALSE;
  RequestSize(100);
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::ViewDoubleSize() {
  if (!ShowsPicture()) return S_FALSE;
  RequestSize(200);
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::ViewFullScreenSize() {
  EnterFullScreen();
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::SetVideoAspectRatio(LONG nRatio) {
  m_settings.m_nAspectRatio = nRatio >= 0 && nRatio <= 4 ? nRatio : 5;
  ApplyLayout();
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::UseCustomLogo(BSTR sDownloadURL) {
  if (IsBusy()) return S_FALSE;
  LoadLogo(BstrText(sDownloadURL));
  ApplyLayout();
  return m_pLogo ? S_OK : S_FALSE;
}

STDMETHODIMP CZMediaPlayer::UseCustomErrorHandler(VARIANT_BOOL bVal) {
  m_settings.m_bCustomErrorHandler = bVal != 0;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::SetBufferSize(LONG nBufferSeconds) {
  if (IsBusy()) return S_FALSE;
  m_settings.m_nBufferSeconds = std::clamp<LONG>(nBufferSeconds, 1, 30);
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::SetUDPPacketLossControlMode(LONG nMode) {
  if (IsBusy()) return S_FALSE;
  if (static_cast<ULONG>(nMode) >= 3) return E_INVALIDARG;
  m_settings.m_nUDPLossControlMode = nMode;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::DisplayPlaybackStatus(VARIANT_BOOL bDisplay) {
  m_settings.m_bShowStatus = bDisplay != 0;
  // A running seek keeps saying so.
  ShowPlaybackStatus(m_session.m_bSeeking     ? ui::kStatusSeeking
                     : m_session.m_bBuffering ? ui::kStatusBuffering
                                              : ui::kStatusPaused);
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::LiveVideoSnapshot() {
  if (m_session.m_nState != Playing) return S_FALSE;
  if (m_session.m_bSnapshotAllowed && Renderer().Exists()) {
    com::UniqueBstr name(SysAllocString(m_session.m_sMediaName.c_str()));
    Renderer().get()->TakeSnapshot(name.get());
  }
  return S_OK;
}

void CZMediaPlayer::ApplyLayout() {
  // Lays the control window out again with its client size; no window, nothing to lay out.
  if (!m_hWnd) return;
  RECT client;
  GetClientRect(m_hWnd, &client);
  SendMessageW(m_hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

void CZMediaPlayer::LoadLogo(const std::wstring& pathOrUrl) {
  m_pLogo.reset();
  m_sizeLogo = {0, 0};
  if (pathOrUrl.empty()) return;
  com::ComPtr<IPicture> picture;
  if (FAILED(OleLoadPicturePath(const_cast<LPOLESTR>(pathOrUrl.c_str()), nullptr, 0, 0, IID_IPicture,
                                picture.put_void())) ||
      !picture)
    return;
  OLE_XSIZE_HIMETRIC width = 0;
  OLE_YSIZE_HIMETRIC height = 0;
  if (FAILED(picture->get_Width(&width)) || FAILED(picture->get_Height(&height)) || width == 0 || height == 0) return;
  m_pLogo = std::move(picture);
  m_sizeLogo = {width, height};
}

}  // namespace zm::control
