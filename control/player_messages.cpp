// The commands (WM_COMMAND) and the private messages of the control window: events fired
// for the session thread, and the session's requests that the apartment thread carries out.
#include <cstdint>

#include "control/player.h"
#include "ui/ui_resources.h"

namespace zm::control {
namespace {

enum Command : WORD {
  kSizeHalf = IDM_SIZE_HALF,
  kSizeOriginal = IDM_SIZE_ORIGINAL,
  kSizeDouble = IDM_SIZE_DOUBLE,
  kFullScreen = session::kCommandFullScreen,
  kStop = session::kCommandStop,
  kPlayPause = session::kCommandPlayPause,
  kFlowBar = IDM_FLOWBAR,
  kProperties = IDM_PROPERTIES,
  kVideoSettings = IDM_VIDEO_SETTINGS,
  kAbout = IDM_ABOUT,
  kSnapshot = IDM_SNAPSHOT,
  kAspectFirst = IDM_ASPECT_FIRST,
  kAspectLast = IDM_ASPECT_LAST,
};
static_assert(kFullScreen == IDM_FULLSCREEN && kStop == IDM_STOP && kPlayPause == IDM_PLAYPAUSE,
              "the menu and the session send the same commands");

// The 16 bits an event's short parameter carries.
short Low16(int64_t value) { return static_cast<short>(static_cast<uint16_t>(value & 0xFFFF)); }

}  // namespace

// A command may arrive after the session has moved on from where it was offered (a menu's
// modal loop dispatches posted messages): each one checks again that it still applies.
bool CZMediaPlayer::OnCommand(WORD id, LPARAM lParam) {
  switch (id) {
    case kPlayPause:
      // The broadcast's end pauses a running session only; any other toggle while idle is a
      // Play, with its checks.
      if (m_session.m_nState == Idle) {
        if (lParam != session::kPauseAtBroadcastEnd) Play();
      } else {
        PlayPauseToggle();
      }
      return true;
    case kStop:
      if (lParam == session::kStopAtEnd) EndOfPlayback();
      else UserStop();
      return true;
    case kSizeHalf:
    case kSizeOriginal:
    case kSizeDouble:
      if (ShowsPicture()) RequestSize(id == kSizeHalf ? 50 : id == kSizeOriginal ? 100 : 200);
      return true;
    case kFullScreen:
      if (ShowsPicture()) EnterFullScreen();
      return true;
    case kProperties:
      if (IsActive()) OpenPropertiesDialog();
      return true;
    case kVideoSettings:
      if (ShowsPicture()) OpenVideoSettingsDialog();
      return true;
    case kSnapshot:
      if (m_session.m_bSnapshotAllowed) LiveVideoSnapshot();
      return true;
    case kFlowBar: ToggleFlowBar(); return true;
    case kAbout: ShowAboutBox(); return true;
    default:
      if (id >= kAspectFirst && id <= kAspectLast) {
        SetVideoAspectRatio(id - kAspectFirst);
        return true;
      }
      return false;
  }
}

void CZMediaPlayer::OnFire(WPARAM what, LPARAM lParam) {
  switch (what) {
    case session::kFireStop: {
      short continued = 1;
      // Full screen that carries on into the next playlist entry keeps the layout as it is.
      if (!(m_settings.m_bFullScreenRequested && m_session.m_bPlayListAdvance)) {
        ApplyLayout();
        continued = (m_session.m_bPlayListAdvance || m_session.m_bSwitching) ? 1 : 0;
      }
      Fire_OnStop(continued);
      m_wndFlowBar.OnFlowEvent(m_session.m_bSwitching ? 5 : 2);
      break;
    }
    case session::kFireStart:
      Fire_OnStart();
      m_wndFlowBar.OnFlowEvent(0);
      AdjustVolume(m_settings.m_nVolume);
      break;
    case session::kFirePause: {
      short reason = Low16(lParam);
      static constexpr int kFlowEventOfReason[] = {1, 3, 4};
      if (reason >= 0 && reason <= 2) m_wndFlowBar.OnFlowEvent(kFlowEventOfReason[reason]);
      if (m_session.m_bTimeShiftAtEnd) reason = session::kPauseBroadcastEnded;
      Fire_OnPause(reason);
      break;
    }
    case session::kFireResize: FireResizeFor(static_cast<int32_t>(lParam)); break;
    case session::kFireError: Fire_OnError(m_session.m_nErrorType, m_session.m_nErrorID); break;
    default: break;
  }
}

void CZMediaPlayer::FireResizeFor(int32_t percent) {
  int64_t width = static_cast<int32_t>(int64_t{m_session.m_nVideoWidth} * percent / 100);
  int64_t height = static_cast<int32_t>(int64_t{m_session.m_nVideoHeight} * percent / 100);
  ApplyLayout();
  // The width follows the aspect ratio now in use; a view without height (never laid out)
  // has no ratio to follow.
  if (!m_session.m_bAudioOnly && m_nViewHeight > 0) {
    double ratio = static_cast<double>(m_nViewWidth) / static_cast<double>(m_nViewHeight);
    width = static_cast<int64_t>(ratio * static_cast<double>(static_cast<short>(height))) + 1;
  }
  if (m_settings.m_bFlowBarShown) height += m_nFlowBarHeight;
  Fire_OnResize(Low16(width), Low16(height));
}

void CZMediaPlayer::OnSessionMessage(WPARAM what, LPARAM lParam) {
  switch (what) {
    case session::kSessionCreateRenderer: CreateRenderer(); break;
    case session::kSessionShutDownRenderer: ShutDownRenderer(); break;
    case session::kSessionAttachRenderer: AttachRenderer(); break;
    case session::kSessionPause: Pause(); break;
    case session::kSessionResume: Play(); break;
    case session::kSessionStopRenderer: StopRenderer(); break;
    case session::kSessionStopRequest:
    case session::kSessionPlaying: OnSessionRequest(what, lParam); break;
    case session::kSessionPlayListReply: ApplyPlayListReplies(); break;
    default: break;
  }
}

}  // namespace zm::control
