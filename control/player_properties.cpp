// The 21 read-only properties of IZMediaPlayer. Each writes its initial value first,
// then answers S_FALSE when its condition does not hold.
#include <algorithm>

#include "control/player.h"
#include "session/stream_facts.h"

namespace zm::control {

using session::ReadAudioFacts;
using session::ReadVideoFacts;
namespace {

constexpr int64_t kUnitsPerSecond = 10000000;

}  // namespace

STDMETHODIMP CZMediaPlayer::get_MediaName(BSTR* sMediaName) {
  if (!sMediaName) return E_POINTER;
  *sMediaName = nullptr;  // a success code always leaves a valid out-parameter
  if (!IsActive()) return S_FALSE;
  *sMediaName = SysAllocStringLen(m_session.m_sMediaName.data(), static_cast<UINT>(m_session.m_sMediaName.size()));
  if (!*sMediaName) return SetComError(E_OUTOFMEMORY, L"Out of memory");
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_PlayListContent(BSTR* sListContent) {
  if (!sListContent) return E_POINTER;
  *sListContent = nullptr;
  if (m_session.m_nState == Connecting) return S_FALSE;
  const std::wstring& content = m_dlgPlayList.Content();
  *sListContent = SysAllocStringLen(content.data(), static_cast<UINT>(content.size()));
  if (!*sListContent) return SetComError(E_OUTOFMEMORY, L"Out of memory");
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_CurrentPlaybackTime_Sec(LONG* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = 0;
  if (!IsActive()) return S_FALSE;
  const session::CMediaBuffer* buffer = m_sessionController.Buffer();
  if (!buffer) return S_OK;
  const int64_t newest = std::max(buffer->Frames().LastVideoTime(), buffer->Frames().LastAudioTime());
  *pVal = static_cast<LONG>((newest - m_session.m_llStartTime) / kUnitsPerSecond);
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_CurrentDownloadTime_Sec(LONG* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = 0;
  if (!IsActive()) return S_FALSE;
  LONG played = 0;
  get_CurrentPlaybackTime_Sec(&played);
  LONG downloaded = static_cast<LONG>(m_session.m_nLastReceivedSec - m_session.m_llStartTime / kUnitsPerSecond);
  *pVal = downloaded > played ? downloaded : played;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_TotalTime_Sec(LONG* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = 0;
  if (!IsActive()) return S_FALSE;
  if (m_session.m_nPlaybackMode == Stored) *pVal = m_session.m_nDurationMs / 1000;
  else if (m_session.m_nPlaybackMode == LiveTimeShift || m_session.m_nPlaybackMode == TimeShiftPlayback)
    *pVal = m_session.m_nTimeShiftLength;
  else return S_FALSE;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_BufferingProgress_Percent(LONG* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = 100;
  if (m_session.m_nState != Paused ||
      !(m_session.m_nStreamKind == 0 || (m_session.m_nStreamKind == 1 && m_session.m_bBuffering)))
    return S_FALSE;
  if (const session::CMediaBuffer* buffer = m_sessionController.Buffer())
    *pVal = std::max(buffer->Frames().BufferingPercent(), 0);
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_MediaSeekable(VARIANT_BOOL* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = VARIANT_FALSE;
  if (!IsRunning()) return S_FALSE;
  *pVal = m_session.m_bSeekable > 0 ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_TimeShiftMode(LONG* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = -1;
  if (!IsRunning() || (m_session.m_nPlaybackMode != LiveTimeShift && m_session.m_nPlaybackMode != TimeShiftPlayback))
    return S_FALSE;
  *pVal = m_session.m_nPlaybackMode == LiveTimeShift ? 1 : 2;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_TimeShiftPosition(LONG* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = 0;
  if (!IsRunning() || (m_session.m_nPlaybackMode != LiveTimeShift && m_session.m_nPlaybackMode != TimeShiftPlayback))
    return S_FALSE;
  *pVal = m_session.m_nTimeShiftPosition;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_TimeShiftCanSwitchToLive(VARIANT_BOOL* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = VARIANT_FALSE;
  if (!IsRunning() || m_session.m_nPlaybackMode != TimeShiftPlayback) return S_FALSE;
  *pVal = m_session.m_bTimeShiftCanSwitchToLive ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_VideoExists(VARIANT_BOOL* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = VARIANT_FALSE;
  if (!IsRunning()) return S_FALSE;
  *pVal = m_session.m_bAudioOnly ? VARIANT_FALSE : VARIANT_TRUE;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_VideoBitrate_KBitSec(DOUBLE* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = 0.0;
  if (!IsRunning()) return S_FALSE;
  if (!m_session.m_bAudioOnly) *pVal = ReadVideoFacts(m_session.m_videoType).bitRate * (1.0 / 1024);
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_VideoFramerate_FSec(DOUBLE* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = 0.0;
  if (!IsRunning()) return S_FALSE;
  int64_t frameTime = m_session.m_bAudioOnly ? 0 : ReadVideoFacts(m_session.m_videoType).avgTimePerFrame;
  if (frameTime != 0) *pVal = 10000000.0 / static_cast<double>(frameTime);
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_VideoFrameWidth(LONG* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = 0;
  if (!IsRunning()) return S_FALSE;
  if (!m_session.m_bAudioOnly) *pVal = ReadVideoFacts(m_session.m_videoType).width;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_VideoFrameHeight(LONG* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = 0;
  if (!IsRunning()) return S_FALSE;
  if (!m_session.m_bAudioOnly) *pVal = ReadVideoFacts(m_session.m_videoType).height;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_VideoCurrentViewSize_Percent(LONG* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = 0;
  if (!IsRunning() || m_session.m_bAudioOnly) return S_FALSE;
  // A stream without a usable picture size has no percentage to give.
  if (m_session.m_nVideoHeight > 0)
    *pVal = static_cast<LONG>(static_cast<int64_t>(m_nViewHeight) * 100 / m_session.m_nVideoHeight);
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_VideoAspectRatio(LONG* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = 0;
  if (!IsRunning() || m_session.m_bAudioOnly) return S_FALSE;
  *pVal = m_settings.m_nAspectRatio;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_AudioExists(VARIANT_BOOL* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = VARIANT_FALSE;
  if (!IsRunning()) return S_FALSE;
  *pVal = HasAudio() ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_AudioBitrate_KBitSec(DOUBLE* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = 0.0;
  if (!IsRunning()) return S_FALSE;
  if (HasAudio()) *pVal = ReadAudioFacts(m_session.m_audioType).bitRate * (1.0 / 1024);
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_AudioSamplerate_KHz(DOUBLE* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = 0.0;
  if (!IsRunning()) return S_FALSE;
  if (HasAudio()) *pVal = ReadAudioFacts(m_session.m_audioType).sampleRate / 1000.0;
  return S_OK;
}

STDMETHODIMP CZMediaPlayer::get_AudioChannels(LONG* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = 0;
  if (!IsRunning()) return S_FALSE;
  if (HasAudio()) *pVal = ReadAudioFacts(m_session.m_audioType).channels;
  return S_OK;
}

}  // namespace zm::control
